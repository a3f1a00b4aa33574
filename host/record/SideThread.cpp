#include "SideThread.h"

#include <cstdlib>
#include <exception>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <system_error>
#include <thread>
#endif

namespace {

struct SideWork {
    const std::function<void()>& fnWork;
    std::exception_ptr pError;

    void Run()
    {
        try {
            fnWork();
        } catch (...) {
            pError = std::current_exception();
        }
    }
};

// --threads 1 (CORVANE_THREADS=1) keeps our host's copying on its own
// thread too, as it keeps the plug-in's render there.
bool SecondThreadAllowed()
{
#if defined(_WIN32)
    // The C library's copy of the environment misses what --threads set.
    char szValue[16] = {};
    const DWORD nLength = GetEnvironmentVariableA("CORVANE_THREADS", szValue, sizeof szValue);
    const std::string strValue = nLength > 0 && nLength < sizeof szValue ? szValue : "";
#else
    const char* pValue = std::getenv("CORVANE_THREADS");
    const std::string strValue = pValue ? pValue : "";
#endif
    const std::size_t nFirst = strValue.find_first_not_of('0');
    return nFirst == std::string::npos || strValue.substr(nFirst) != "1";
}

#if defined(_WIN32)
DWORD WINAPI SideThreadProcedure(void* pParameter)
{
    static_cast<SideWork*>(pParameter)->Run();
    return 0;
}

// Runs side on a thread of its own while here runs on this one; false,
// with neither run, when the system gives no thread. The toolchain's thread
// model has no std::thread.
bool RunOnSideThread(SideWork& side, SideWork& here)
{
    const HANDLE hThread = CreateThread(nullptr, 0, SideThreadProcedure, &side, 0, nullptr);
    if (!hThread)
        return false;
    here.Run();
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    return true;
}
#else
bool RunOnSideThread(SideWork& side, SideWork& here)
{
    std::thread thread;
    try {
        thread = std::thread([&side] { side.Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    here.Run();
    thread.join();
    return true;
}
#endif

} // namespace

void RunBeside(const std::function<void()>& fnHere, const std::function<void()>& fnBeside)
{
    SideWork side{fnBeside, nullptr};
    SideWork here{fnHere, nullptr};
    if (!SecondThreadAllowed() || !RunOnSideThread(side, here)) {
        here.Run();
        side.Run();
    }
    if (here.pError)
        std::rethrow_exception(here.pError);
    if (side.pError)
        std::rethrow_exception(side.pError);
}
