// platform/ holds the seam to the operating system, its portable stand-in and the render's worker teams.
// The narrow seam through which the portable core reaches the operating
// system: tick count, message pumping during a preview render, the settings
// store under the plug-in's registry key, message boxes, the threads and
// semaphores of the render's workers, and the file steps of replacing the
// presets file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Other: any stored type the plug-in never writes.
class pfDialogControls;

enum class pfSettingType { String, Dword, Binary, Other };

// A new file being written. Each step says whether it succeeded; a file
// that was not closed is closed, unchecked, when the object goes.
class pfOutputFile {
public:
    virtual ~pfOutputFile() = default;
    virtual bool Write(const std::string& strData) = 0;
    // Everything written handed to the system and forced onto the disk.
    virtual bool FlushToDisk() = 0;
    virtual bool Close() = 0;
};

class pfPlatform {
public:
    virtual ~pfPlatform() = default;

    virtual uint32_t GetTickCount() = 0;

    // Drains the thread's message queue, dispatching every message. Returns
    // false when a quit message was met; it has then been posted again.
    virtual bool PumpMessages() = 0;

    virtual void ShowMessage(const std::string& strCaption, const std::string& strText) = 0;
    virtual pfDialogControls& Controls() = 0;
    virtual void ShowAbout() = 0;

    // Values under the plug-in's key (strSubkey empty) or one of its subkeys.
    // A read fails when the value is missing or larger than nMaxSize bytes.
    virtual bool ReadSetting(const std::string& strSubkey, const std::string& strName,
                             std::vector<uint8_t>& data, std::size_t nMaxSize) = 0;
    // The same for a value stored with the given type only.
    virtual bool ReadSettingOfType(const std::string& strSubkey, const std::string& strName, pfSettingType type,
                                   std::vector<uint8_t>& data, std::size_t nMaxSize) = 0;
    // The plug-in's key (strSubkey empty) or subkey exists and can be read.
    virtual bool HasSettings(const std::string& strSubkey) = 0;
    virtual bool WriteSetting(const std::string& strSubkey, const std::string& strName, pfSettingType type,
                              const std::vector<uint8_t>& data) = 0;

    // Files, one call per step that can fail, so that tests can fail each.
    // The file a path leads to through symbolic links (the path itself when
    // it is no link); empty when the links cannot be followed.
    virtual std::string ResolveFileLinks(const std::string& strPath) = 0;
    // A new, empty file. Whatever file or link was left at the path is
    // removed first, never written through; null when it cannot be created.
    virtual std::unique_ptr<pfOutputFile> CreateOutputFile(const std::string& strPath) = 0;
    // Gives strNewPath the permissions and owner (on Windows the attributes)
    // of strOldPath, the file it is to replace; true when there is none.
    // False when that fails or the old file is read-only: it must stay.
    virtual bool TakeOverFileMode(const std::string& strOldPath, const std::string& strNewPath) = 0;
    // Puts strFromPath in the place of strToPath in one step.
    virtual bool MoveFileOver(const std::string& strFromPath, const std::string& strToPath) = 0;
    virtual bool RemoveFile(const std::string& strPath) = 0;
};

pfPlatform& GetPlatform();

// The operating system's own implementation, defined once per platform.
pfPlatform& DefaultPlatform();

// Installs another implementation (tests); returns the previous one.
pfPlatform* SetPlatform(pfPlatform* pPlatform);

// A lock that any thread may take, also inside the library's loader
// notifications: it is held only around work that waits for no other lock,
// so it cannot deadlock against the loader's. Each platform supplies it;
// lock() and unlock() are spelled as std::lock_guard expects.
class pfLock {
public:
    pfLock();
    ~pfLock();
    pfLock(const pfLock&) = delete;
    pfLock& operator=(const pfLock&) = delete;

    void lock();
    void unlock();

private:
    struct State;
    std::unique_ptr<State> m_pState;
};

// The library's attach and detach work: opens and closes the trace file
// named by the "logfile" setting.
void AttachProcess();
void DetachProcess();

// A thread of compute-only work (a render's worker: it never calls the host
// or the trace log). Destroying it waits for the thread to end.
class pfThread {
public:
    virtual ~pfThread() = default;
};

// A counting semaphore between the threads of one render.
class pfSemaphore {
public:
    virtual ~pfSemaphore() = default;
    virtual void Post() = 0;
    virtual void Wait() = 0;
};

// Defined once per platform. Both give null when the system refuses.
std::unique_ptr<pfThread> StartThread(std::function<void()> fnWork);
std::unique_ptr<pfSemaphore> MakeSemaphore();

// Lets another thread run on this processor.
void YieldThread();

// Processors the process may run on (at least 1).
int32_t CountProcessors();

// A variable of the process's environment; empty when it is not set.
std::string ReadEnvironment(const std::string& strName);
