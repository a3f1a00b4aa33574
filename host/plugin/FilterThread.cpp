#include "FilterThread.h"

#include <exception>

#if defined(_WIN32)
#include <windows.h>
#else
#include <thread>
#endif

namespace {

struct pfFilterCall {
    explicit pfFilterCall(const std::function<int16_t()>& callIn) : call(callIn) {}

    const std::function<int16_t()>& call;
    int16_t nResult = 0;
    std::exception_ptr pError;

    void Run()
    {
        try {
            nResult = call();
        } catch (...) {
            pError = std::current_exception();
        }
    }
};

#if defined(_WIN32)
DWORD WINAPI FilterThreadProcedure(LPVOID pParameter)
{
    static_cast<pfFilterCall*>(pParameter)->Run();
    return 0;
}

// The host's own windows stay alive (they answer clicks and the dialog
// driver) while the filter runs.
void DispatchUntilEnded(HANDLE hThread)
{
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
#endif

} // namespace

int16_t CallOnFilterThread(const std::function<int16_t()>& call)
{
    pfFilterCall filterCall(call);
#if defined(_WIN32)
    const HANDLE hThread = CreateThread(nullptr, 0, FilterThreadProcedure, &filterCall, 0, nullptr);
    if (!hThread) {
        // Without a second thread the run still happens, as on our own host.
        filterCall.Run();
    } else {
        DispatchUntilEnded(hThread);
        CloseHandle(hThread);
    }
#else
    std::thread thread([&filterCall] { filterCall.Run(); });
    thread.join();
#endif
    if (filterCall.pError)
        std::rethrow_exception(filterCall.pError);
    return filterCall.nResult;
}
