// The narrow seam through which the portable core reaches the operating
// system: tick count, message pumping during a preview render, the settings
// store under the plug-in's registry key, message boxes, and the threads
// and semaphores of the render's workers.
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
};

pfPlatform& GetPlatform();

// The operating system's own implementation, defined once per platform.
pfPlatform& DefaultPlatform();

// Installs another implementation (tests); returns the previous one.
pfPlatform* SetPlatform(pfPlatform* pPlatform);

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
