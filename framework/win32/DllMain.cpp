#include "ModuleInstance.h"

#include "framework/platform/Platform.h"
#include "framework/trace/Trace.h"

namespace {
HINSTANCE g_hInstance = nullptr;
}

HINSTANCE GetModuleInstance() { return g_hInstance; }

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD nReason, LPVOID /*pReserved*/)
{
    switch (nReason) {
    case DLL_PROCESS_ATTACH:
        g_hInstance = hInstance;
        AttachProcess();
        break;
    case DLL_PROCESS_DETACH:
        DetachProcess();
        break;
    default:
        // Thread attach and detach: nothing to do but show the call. This
        // runs under the loader's lock; the log's own lock is safe to take
        // here because no thread ever waits for the loader while holding it
        // (it covers writing one finished line and nothing else).
        if (pfTraceLog::Get().Enabled(PF_TRACE_INFO))
            pfTraceLog::Get().WriteEnterExit("ENTER: DllMain\n", "EXIT : DllMain\n");
        break;
    }
    return TRUE;
}
