#include "RenderInterrupt.h"

#include "../framework/Platform.h"

uint32_t g_nRenderStartTick = 0;
bool g_bPreviewDirty = false;

int16_t CheckRenderInterrupt(const FilterRecord* pFilterRecord)
{
    if (g_nRenderStartTick == 0) {
        const bool bAbort = pFilterRecord && pFilterRecord->abortProc && pFilterRecord->abortProc();
        return bAbort ? userCanceledErr : noErr;
    }
    pfPlatform& platform = GetPlatform();
    if (!platform.PumpMessages())
        return -1;
    // Unsigned difference: correct across the 49-day wrap of the tick count.
    if (g_bPreviewDirty && uint32_t(platform.GetTickCount() - g_nRenderStartTick) > kPreviewPatience)
        return userCanceledErr;
    return noErr;
}
