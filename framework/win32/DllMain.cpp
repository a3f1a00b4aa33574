#include "ModuleInstance.h"

#include "framework/Platform.h"
#include "framework/Trace.h"

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
        // Thread attach and detach: nothing to do but show the call.
        PF_TRACE_ENTER("DllMain");
        PF_TRACE_EXIT("DllMain");
        break;
    }
    return TRUE;
}
