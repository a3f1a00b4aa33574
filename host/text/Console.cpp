#include "Console.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <mutex>
#include <unistd.h>
#endif

namespace {

// The Windows toolchain's runtime has no std::mutex.
#if defined(_WIN32)
SRWLOCK g_ConsoleLock = SRWLOCK_INIT;
struct ConsoleLock {
    ConsoleLock() { AcquireSRWLockExclusive(&g_ConsoleLock); }
    ~ConsoleLock() { ReleaseSRWLockExclusive(&g_ConsoleLock); }
};
#else
std::mutex g_ConsoleMutex;
struct ConsoleLock {
    std::lock_guard<std::mutex> lock{g_ConsoleMutex};
};
#endif

std::string g_strStatus; // shown at the bottom of the terminal, guarded by the lock

// Carriage return and "erase to the end of the line": every terminal, and
// Windows 10's console once it follows terminal controls.
constexpr const char* kEraseLine = "\r\x1b[K";

void Write(std::FILE* pStream, const std::string& strLine)
{
    const ConsoleLock lock;
    if (!g_strStatus.empty())
        std::fputs(kEraseLine, stderr);
    std::fputs(strLine.c_str(), pStream);
    std::fputc('\n', pStream);
    std::fflush(pStream);
    if (!g_strStatus.empty()) {
        std::fputs(g_strStatus.c_str(), stderr);
        std::fflush(stderr);
    }
}

} // namespace

void PrintLine(const std::string& strLine)
{
    Write(stdout, strLine);
}

void PrintErrorLine(const std::string& strLine)
{
    Write(stderr, strLine);
}

void ShowStatusLine(const std::string& strText)
{
    const ConsoleLock lock;
    if (strText.empty() && g_strStatus.empty())
        return;
    g_strStatus = strText;
    std::fputs(kEraseLine, stderr);
    std::fputs(strText.c_str(), stderr);
    std::fflush(stderr);
}

bool IsErrorTerminal()
{
#if defined(_WIN32)
    // The console redraws in place only once it is asked to follow terminal
    // controls; a console that cannot gets a line per file instead.
    const HANDLE hError = GetStdHandle(STD_ERROR_HANDLE);
    DWORD nMode = 0;
    return _isatty(_fileno(stderr)) != 0 && GetConsoleMode(hError, &nMode) &&
           SetConsoleMode(hError, nMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    return isatty(fileno(stderr)) != 0;
#endif
}
