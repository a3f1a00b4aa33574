#include "Callbacks.h"

#include "host/text/Console.h"

#include <chrono>

namespace {

constexpr int64_t kProgressIntervalMs = 250;

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Boolean PF_CDECL AbortCallback()
{
    return pfCallbacks::Get().OnAbort() ? 1 : 0;
}

void PF_CDECL ProgressCallback(int32_t nDone, int32_t nTotal)
{
    pfCallbacks::Get().OnProgress(nDone, nTotal);
}

OSErr PF_CDECL ColorServicesCallback(ColorServicesInfo* pInfo)
{
    return pfCallbacks::Get().OnColorServices(pInfo);
}

OSErr PF_CDECL DisplayPixelsCallback(const void*, const VRect*, int32_t, int32_t, void*)
{
    return noErr;
}

void PF_CDECL ProcessEventCallback(void*) {}

// Luminance weights 0.299, 0.587, 0.114 in thousandths.
int16_t GreyOf(const uint8_t (&color)[3])
{
    return int16_t((color[0] * 299 + color[1] * 587 + color[2] * 114 + 500) / 1000);
}

} // namespace

pfCallbacks& pfCallbacks::Get()
{
    static pfCallbacks callbacks;
    return callbacks;
}

void pfCallbacks::ResetCounters()
{
    m_nProgressCalls = 0;
    m_nColorRequests = 0;
    m_nLastPercent = -1;
    m_nLastShownPercent = -1;
    m_nLastPrintMs = 0;
}

void pfCallbacks::OnProgress(int32_t nDone, int32_t nTotal)
{
    ++m_nProgressCalls;
    if (nTotal <= 0)
        return;
    const int64_t nClamped = nDone < 0 ? 0 : (nDone > nTotal ? nTotal : nDone);
    const int nPercent = int(nClamped * 100 / nTotal);
    if (m_Settings.onPercent && nPercent != m_nLastShownPercent) {
        m_nLastShownPercent = nPercent;
        m_Settings.onPercent(nPercent);
    }
    if (!m_Settings.bShowProgress)
        return;
    const int64_t nNow = NowMs();
    const bool bDue = m_nLastPercent < 0 || nPercent == 100 || nNow - m_nLastPrintMs >= kProgressIntervalMs;
    if (nPercent == m_nLastPercent || !bDue)
        return;
    m_nLastPercent = nPercent;
    m_nLastPrintMs = nNow;
    PrintErrorLine("progress " + std::to_string(nPercent) + "%");
}

bool pfCallbacks::OnAbort() const
{
    return m_Settings.nAbortAfter >= 0 && m_nProgressCalls >= m_Settings.nAbortAfter;
}

OSErr pfCallbacks::OnColorServices(ColorServicesInfo* pInfo)
{
    if (!pInfo || pInfo->infoSize != int32_t(sizeof(ColorServicesInfo)) || pInfo->reservedSourceSpaceInfo ||
        pInfo->reservedResultSpaceInfo || pInfo->reserved)
        return paramErr;
    if (pInfo->selector != plugIncolorServicesChooseColor)
        return errPlugInHostInsufficient;
    ++m_nColorRequests;
    if (m_Settings.bColorCancel)
        return userCanceledErr;
    if (m_Settings.bColorRefuse)
        return errPlugInHostInsufficient;
    if (m_Settings.bColorKeep)
        return noErr;
    const int16_t nSpace = pInfo->resultSpace;
    if (nSpace == plugIncolorServicesGraySpace) {
        pInfo->colorComponents[0] = GreyOf(m_Settings.color);
        pInfo->colorComponents[1] = pInfo->colorComponents[2] = pInfo->colorComponents[3] = 0;
        return noErr;
    }
    // The picker works in RGB; a request for "whatever was chosen" learns so.
    if (nSpace != plugIncolorServicesRGBSpace && nSpace != -1)
        return errPlugInHostInsufficient;
    pInfo->resultSpace = plugIncolorServicesRGBSpace;
    for (int i = 0; i < 3; ++i)
        pInfo->colorComponents[i] = m_Settings.color[i];
    pInfo->colorComponents[3] = 0;
    return noErr;
}

TestAbortProc pfCallbacks::AbortProcedure()
{
    return AbortCallback;
}

ProgressProc pfCallbacks::ProgressProcedure()
{
    return ProgressCallback;
}

ColorServicesProc pfCallbacks::ColorServicesProcedure()
{
    return ColorServicesCallback;
}

DisplayPixelsProc pfCallbacks::DisplayPixelsProcedure()
{
    return DisplayPixelsCallback;
}

ProcessEventProc pfCallbacks::ProcessEventProcedure()
{
    return ProcessEventCallback;
}
