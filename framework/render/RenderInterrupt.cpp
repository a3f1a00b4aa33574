#include "RenderInterrupt.h"

#include "framework/platform/Platform.h"

uint32_t g_nRenderStartTick = 0;
bool g_bPreviewDirty = false;

namespace {

// Draining the queue asks the window system, which under Wine costs as much
// as rendering a row of a preview: it is drained on a render's first check
// and then at most every kPumpInterval milliseconds, which keeps the dialog
// just as responsive.
constexpr uint32_t kPumpInterval = 4;
uint32_t g_nLastPump = 0;
uint32_t g_nPumpedRender = 0;

} // namespace

int16_t CheckRenderInterrupt(const FilterRecord* pFilterRecord)
{
    if (g_nRenderStartTick == 0) {
        const bool bAbort = pFilterRecord && pFilterRecord->abortProc && pFilterRecord->abortProc();
        return bAbort ? userCanceledErr : noErr;
    }
    pfPlatform& platform = GetPlatform();
    const uint32_t nNow = platform.GetTickCount();
    // Unsigned differences: correct across the 49-day wrap of the tick count.
    if (g_nPumpedRender != g_nRenderStartTick || uint32_t(nNow - g_nLastPump) >= kPumpInterval) {
        g_nPumpedRender = g_nRenderStartTick;
        g_nLastPump = nNow;
        if (!platform.PumpMessages())
            return -1;
    }
    if (g_bPreviewDirty && uint32_t(platform.GetTickCount() - g_nRenderStartTick) > kPreviewPatience)
        return userCanceledErr;
    return noErr;
}
