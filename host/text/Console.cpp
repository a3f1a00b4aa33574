#include "Console.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
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

void Write(std::FILE* pStream, const std::string& strLine)
{
    const ConsoleLock lock;
    std::fputs(strLine.c_str(), pStream);
    std::fputc('\n', pStream);
    std::fflush(pStream);
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
