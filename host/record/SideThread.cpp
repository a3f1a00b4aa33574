#include "SideThread.h"

#include <exception>

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

#if defined(_WIN32)
DWORD WINAPI SideThreadProcedure(void* pParameter)
{
    static_cast<SideWork*>(pParameter)->Run();
    return 0;
}

// The toolchain's thread model has no std::thread.
void RunOnSideThread(SideWork& side, SideWork& here)
{
    const HANDLE hThread = CreateThread(nullptr, 0, SideThreadProcedure, &side, 0, nullptr);
    here.Run();
    if (!hThread) {
        side.Run();
        return;
    }
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
}
#else
void RunOnSideThread(SideWork& side, SideWork& here)
{
    std::thread thread;
    try {
        thread = std::thread([&side] { side.Run(); });
    } catch (const std::system_error&) {
        here.Run();
        side.Run();
        return;
    }
    here.Run();
    thread.join();
}
#endif

} // namespace

void RunBeside(const std::function<void()>& fnHere, const std::function<void()>& fnBeside)
{
    SideWork side{fnBeside, nullptr};
    SideWork here{fnHere, nullptr};
    RunOnSideThread(side, here);
    if (here.pError)
        std::rethrow_exception(here.pError);
    if (side.pError)
        std::rethrow_exception(side.pError);
}
