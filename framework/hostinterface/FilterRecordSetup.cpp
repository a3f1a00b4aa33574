#include "framework/plugin/Filter.h"
#include "PlaneCounts.h"
#include "framework/trace/Trace.h"

namespace {

void TraceRect(const char* strName, const Rect& rect)
{
    PF_TRACE(PF_TRACE_INFO, "    " << strName << ": left(" << rect.left << "), right(" << rect.right << "), top("
                                  << rect.top << "), bottom(" << rect.bottom << ")");
}

void TraceRecord(const FilterRecord* p)
{
    PF_TRACE(PF_TRACE_INFO, "pFilterRecord:");
    PF_TRACE(PF_TRACE_INFO, "    imageMode(" << p->imageMode << ")");
    PF_TRACE(PF_TRACE_INFO, "    filterCase(" << p->filterCase << ")");
    PF_TRACE(PF_TRACE_INFO, "    planes(" << p->planes << ")");
    PF_TRACE(PF_TRACE_INFO, "    depth(" << p->depth << ")");
    PF_TRACE(PF_TRACE_INFO, "    inData(0x" << TracePtr(p->inData) << ")");
    PF_TRACE(PF_TRACE_INFO, "    inRowBytes(" << p->inRowBytes << ")");
    PF_TRACE(PF_TRACE_INFO, "    inLayerPlanes(" << p->inLayerPlanes << ")");
    PF_TRACE(PF_TRACE_INFO, "    inTransparencyMask(" << p->inTransparencyMask << ")");
    PF_TRACE(PF_TRACE_INFO, "    inLayerMasks(" << p->inLayerMasks << ")");
    PF_TRACE(PF_TRACE_INFO, "    inInvertedLayerMasks(" << p->inInvertedLayerMasks << ")");
    PF_TRACE(PF_TRACE_INFO, "    inNonLayerPlanes(" << p->inNonLayerPlanes << ")");
    PF_TRACE(PF_TRACE_INFO, "    outData(0x" << TracePtr(p->outData) << ")");
    PF_TRACE(PF_TRACE_INFO, "    outRowBytes(" << p->outRowBytes << ")");
    PF_TRACE(PF_TRACE_INFO, "    outLayerPlanes(" << p->outLayerPlanes << ")");
    PF_TRACE(PF_TRACE_INFO, "    outTransparencyMask(" << p->outTransparencyMask << ")");
    PF_TRACE(PF_TRACE_INFO, "    outLayerMasks(" << p->outLayerMasks << ")");
    PF_TRACE(PF_TRACE_INFO, "    outInvertedLayerMasks(" << p->outInvertedLayerMasks << ")");
    PF_TRACE(PF_TRACE_INFO, "    outNonLayerPlanes(" << p->outNonLayerPlanes << ")");
    PF_TRACE(PF_TRACE_INFO, "    maskData(0x" << TracePtr(p->maskData) << ")");
    PF_TRACE(PF_TRACE_INFO, "    maskRowBytes(" << p->maskRowBytes << ")");
    PF_TRACE(PF_TRACE_INFO, "    haveMask(" << int(p->haveMask) << ")");
    PF_TRACE(PF_TRACE_INFO, "    isFloating(" << int(p->isFloating) << ")");
    PF_TRACE(PF_TRACE_INFO, "    autoMask(" << int(p->autoMask) << ")");
    PF_TRACE(PF_TRACE_INFO, "    imageSize.h(" << p->imageSize.h << ")");
    PF_TRACE(PF_TRACE_INFO, "    imageSize.v(" << p->imageSize.v << ")");
    PF_TRACE(PF_TRACE_INFO, "    wholeSize.h(" << p->wholeSize.h << ")");
    PF_TRACE(PF_TRACE_INFO, "    wholeSize.v(" << p->wholeSize.v << ")");
    TraceRect("inRect", p->inRect);
    TraceRect("outRect", p->outRect);
    TraceRect("maskRect", p->maskRect);
    TraceRect("filterRect", p->filterRect);
}

}  // namespace

void ScaleRect(Rect& rect, uint32_t nNumerator, uint32_t nDenominator)
{
    auto scale = [&](int16_t& n) { n = int16_t(uint32_t(n) * nNumerator / nDenominator); };
    scale(rect.top);
    scale(rect.left);
    scale(rect.bottom);
    scale(rect.right);
}

int16_t pfFilter::SetupFilterRecord(FilterRecord* pFilterRecord, uint32_t nScaleFactor)
{
    PF_TRACE_ENTER("pfFilter::SetupFilterRecord( pFilterRecord(0x" << TracePtr(pFilterRecord) << "), nScaleFactor("
                                                                   << nScaleFactor << ") )");
    if (pfTraceLog::Get().Enabled(PF_TRACE_INFO))
        TraceRecord(pFilterRecord);
    if (nScaleFactor == 0)
        nScaleFactor = 1;
    // A host that cannot sample serves every request 1:1: it gets one, and
    // the reduction is done here.
    const bool bReduceHere = nScaleFactor > 1 && pFilterRecord->samplingSupport == 0;
    const uint32_t nRequestedFactor = bReduceHere ? 1 : nScaleFactor;
    m_Reduced.Clear();

    pFilterRecord->inRect = Rect{0, 0, pFilterRecord->imageSize.v, pFilterRecord->imageSize.h};
    pFilterRecord->filterRect = pFilterRecord->inRect;
    ScaleRect(pFilterRecord->inRect, 1, nRequestedFactor);
    pFilterRecord->outRect = pFilterRecord->inRect;
    if (pFilterRecord->haveMask)
        pFilterRecord->maskRect = pFilterRecord->inRect;

    pFilterRecord->outLoPlane = 0;
    pFilterRecord->outHiPlane = int16_t(OutputPlaneCount(*pFilterRecord) - 1);
    pFilterRecord->inHiPlane = int16_t(InputPlaneCount(*pFilterRecord) - 1);
    pFilterRecord->inLoPlane = 0;

    pFilterRecord->inputRate = Fixed(nRequestedFactor * 65536u);
    pFilterRecord->maskRate = Fixed(nRequestedFactor * 65536u);
    pFilterRecord->inputPadding = 255;
    pFilterRecord->outputPadding = 255;
    pFilterRecord->maskPadding = 0;
    if (pFilterRecord->haveMask && !pFilterRecord->isFloating)
        pFilterRecord->autoMask = false;
    pFilterRecord->wantsAbsolute = true;
    PF_TRACE_EXIT("pfFilter::SetupFilterRecord");
    const int16_t nResult = pFilterRecord->advanceState();
    if (nResult == noErr && bReduceHere)
        m_Reduced.Reduce(*pFilterRecord, nScaleFactor);
    return nResult;
}

FilterRecord* pfFilter::GetRenderRecord()
{
    return m_Reduced.IsActive() ? &m_Reduced.Record() : m_pFilterRecord;
}

int pfFilter::GetScaleX() const
{
    const FilterRecord* p = m_Reduced.IsActive() ? &m_Reduced.Record() : m_pFilterRecord;
    const int nWidth = p->outRect.right - p->outRect.left;
    return nWidth > 0 ? p->imageSize.h / nWidth : 1;
}

int pfFilter::GetScaleY() const
{
    const FilterRecord* p = m_Reduced.IsActive() ? &m_Reduced.Record() : m_pFilterRecord;
    const int nHeight = p->outRect.bottom - p->outRect.top;
    return nHeight > 0 ? p->imageSize.v / nHeight : 1;
}
