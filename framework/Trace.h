// The process-wide trace log: entry and exit lines of every operation,
// warnings and errors, indented by nesting depth, written to a file only
// when the user named one under the plug-in's registry key.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

enum pfTraceClass { PF_TRACE_ERROR = 1, PF_TRACE_WARNING = 2, PF_TRACE_INFO = 3 };

class pfTraceLog {
public:
    static pfTraceLog& Get();

    bool Enabled(int nClass) const { return m_nLevel >= nClass; }
    std::ostringstream& Line() { return m_Line; }
    void Flush();
    void OpenLog(const std::string& strPath, int nLevel);
    void CloseLog();
    bool HasFile() const { return m_pFile != nullptr; }

    void Indent() { ++m_nDepth; }
    void Outdent() { --m_nDepth; }
    int GetDepth() const { return m_nDepth; }
    int GetLevel() const { return m_nLevel; }

    ~pfTraceLog();

private:
    pfTraceLog() = default;
    pfTraceLog(const pfTraceLog&) = delete;
    pfTraceLog& operator=(const pfTraceLog&) = delete;

    int32_t m_nLevel = 3;
    int32_t m_nDepth = 0;
    std::ostringstream m_Line;
    std::FILE* m_pFile = nullptr;
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
#define PF_TRACE(nClass, text)                                   \
    do {                                                         \
        if (pfTraceLog::Get().Enabled(nClass)) {                 \
            pfTraceLog::Get().Line() << text << "\n";            \
            pfTraceLog::Get().Flush();                           \
        }                                                        \
    } while (0)

#define PF_TRACE_ENTER(text)                                     \
    do {                                                         \
        if (pfTraceLog::Get().Enabled(PF_TRACE_INFO)) {          \
            pfTraceLog::Get().Line() << "ENTER: " << text << "\n"; \
            pfTraceLog::Get().Flush();                           \
            pfTraceLog::Get().Indent();                          \
        }                                                        \
    } while (0)

#define PF_TRACE_EXIT(text)                                      \
    do {                                                         \
        if (pfTraceLog::Get().Enabled(PF_TRACE_INFO)) {          \
            pfTraceLog::Get().Outdent();                         \
            pfTraceLog::Get().Line() << "EXIT : " << text << "\n"; \
            pfTraceLog::Get().Flush();                           \
        }                                                        \
    } while (0)

#define PF_TRACE_ERROR_LINE(text) PF_TRACE(PF_TRACE_ERROR, "-**### ERROR ###**-: " << text)
#define PF_TRACE_WARNING_LINE(text) PF_TRACE(PF_TRACE_WARNING, "-**### WARNING ###**-: " << text)
