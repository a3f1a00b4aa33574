// trace/ holds the process-wide trace log.
// The process-wide trace log: entry and exit lines of every operation,
// warnings and errors, indented by nesting depth, written to a file only
// when the user named one under the plug-in's registry key.
//
// Any thread may trace: each line is formatted in the caller's own stream
// and handed over whole, and the log writes it under its lock, so lines of
// different threads never mix. The depth stays process-wide: it changes
// together with the line that changes it, so every line is indented by the
// nesting at the moment it is written, whichever thread wrote it.
#pragma once

#include "framework/platform/Platform.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

enum pfTraceClass { PF_TRACE_ERROR = 1, PF_TRACE_WARNING = 2, PF_TRACE_INFO = 3 };

class pfTraceLog {
public:
    static pfTraceLog& Get();

    bool Enabled(int nClass) const { return m_nLevel.load(std::memory_order_relaxed) >= nClass; }

    // One finished line (with its "\n") at the current depth.
    void WriteLine(const std::string& strLine);
    // An entry line, after which the depth is one level deeper.
    void WriteEnter(const std::string& strLine);
    // An exit line, one level less deep than the lines before it.
    void WriteExit(const std::string& strLine);
    // The entry and exit lines of an operation that traces nothing in
    // between, written together so that no other thread's line falls
    // between them and shifts its depth.
    void WriteEnterExit(const std::string& strEnter, const std::string& strExit);

    void OpenLog(const std::string& strPath, int nLevel);
    void CloseLog();
    bool HasFile();
    int GetLevel() const { return m_nLevel.load(std::memory_order_relaxed); }

    ~pfTraceLog();

private:
    pfTraceLog() = default;
    pfTraceLog(const pfTraceLog&) = delete;
    pfTraceLog& operator=(const pfTraceLog&) = delete;

    // Callers hold m_Lock.
    void Write(const std::string& strLine);

    std::atomic<int32_t> m_nLevel{3};
    pfLock m_Lock;
    int32_t m_nDepth = 0;
    std::FILE* m_pFile = nullptr;
};

// The stream a call site formats one line into: the classic locale, so
// numbers read the same whatever locale the host has set.
class pfTraceLine {
public:
    pfTraceLine();
    std::ostream& Stream() { return m_Stream; }
    std::string Text() const { return m_Stream.str(); }

private:
    std::ostringstream m_Stream;
};

// Formats a pointer as the log shows it: upper-case hex digits, zero-padded
// to the pointer's width, without prefix.
struct pfTracePtr {
    const volatile void* p;
};
std::ostream& operator<<(std::ostream& os, pfTracePtr ptr);
inline pfTracePtr TracePtr(const volatile void* p) { return pfTracePtr{p}; }

// The registry key under the current user that holds the plug-in's settings.
extern const std::string g_strRegistryKey;

// Level test first, so that nothing is formatted below the threshold.
#define PF_TRACE_WRITE(nClass, write, text)                      \
    do {                                                         \
        if (pfTraceLog::Get().Enabled(nClass)) {                 \
            pfTraceLine traceLine;                               \
            traceLine.Stream() << text << "\n";                  \
            pfTraceLog::Get().write(traceLine.Text());           \
        }                                                        \
    } while (0)

#define PF_TRACE(nClass, text) PF_TRACE_WRITE(nClass, WriteLine, text)
#define PF_TRACE_ENTER(text) PF_TRACE_WRITE(PF_TRACE_INFO, WriteEnter, "ENTER: " << text)
#define PF_TRACE_EXIT(text) PF_TRACE_WRITE(PF_TRACE_INFO, WriteExit, "EXIT : " << text)
#define PF_TRACE_ERROR_LINE(text) PF_TRACE(PF_TRACE_ERROR, "-**### ERROR ###**-: " << text)
#define PF_TRACE_WARNING_LINE(text) PF_TRACE(PF_TRACE_WARNING, "-**### WARNING ###**-: " << text)
