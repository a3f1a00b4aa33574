#include "RenderDriver.h"

#include "FilterCorvane.h"
#include "RenderVariant.h"

#include "framework/hostinterface/PlaneCounts.h"
#include "framework/trace/Trace.h"

#include <algorithm>

namespace {

bool LimitsChannels(int16_t nImageMode, int32_t& nMaxChannels)
{
    switch (nImageMode) {
    case plugInModeGrayScale:
    case plugInModeGray16: nMaxChannels = 1; return true;
    case plugInModeRGBColor:
    case plugInModeMultichannel:
    case plugInModeRGB48:
    case plugInModeDeepMultichannel: nMaxChannels = 3; return true;
    default: return false;
    }
}

struct pfRenderJob {
    PixelView in, out, mask;
    const FilterRecord* pFilterRecord;
    int32_t nScaleX, nScaleY;
};

template <typename Sample, int N, bool bAlpha>
int16_t RunVariant(const pfRenderSnapshot& snapshot, const pfRenderJob& job)
{
    return ::Render<Sample, N, bAlpha>(snapshot, job.in, job.out, job.mask, job.pFilterRecord, job.nScaleX,
                                       job.nScaleY);
}

template <typename Sample>
int16_t RunVariant(const pfRenderFormat& format, const pfRenderSnapshot& snapshot, const pfRenderJob& job)
{
    switch (format.nColorChannels * 2 + (format.bAlpha ? 1 : 0)) {
    case 2: return RunVariant<Sample, 1, false>(snapshot, job);
    case 3: return RunVariant<Sample, 1, true>(snapshot, job);
    case 4: return RunVariant<Sample, 2, false>(snapshot, job);
    case 5: return RunVariant<Sample, 2, true>(snapshot, job);
    case 6: return RunVariant<Sample, 3, false>(snapshot, job);
    case 7: return RunVariant<Sample, 3, true>(snapshot, job);
    default: return noErr;
    }
}

// Masks are one byte per pixel at every depth: that is what the hosts that
// send masks deliver, and a row length cannot tell the two apart once rows
// are padded.
constexpr int32_t kMaskSampleSize = 1;

// The host's buffers must exist and hold a row of the rectangle; anything
// less would be read or written out of bounds.
bool BuffersUsable(const pfRenderJob& job)
{
    const auto rowFits = [](const PixelView& view) {
        return int64_t(view.nRowBytes) >= int64_t(view.nWidth) * view.nColumnStride;
    };
    return job.in.bValid && job.out.bValid && rowFits(job.in) && rowFits(job.out) &&
           (!job.mask.bValid || rowFits(job.mask));
}

int16_t RenderFormat(const pfRenderFormat& format, const pfRenderSnapshot& snapshot, FilterRecord& record)
{
    const int32_t nWidth = record.outRect.right - record.outRect.left;
    const int32_t nHeight = record.outRect.bottom - record.outRect.top;
    if (nWidth <= 0 || nHeight <= 0)
        return noErr;
    if (format.nDepth != 16 && format.nDepth != 8 && format.nDepth != 0)
        return noErr;

    const int32_t nSampleSize = format.nDepth == 16 ? 2 : 1;
    const int32_t nAlphaIndex = format.bAlpha ? format.nAlphaIndex : 0;
    const int32_t nOutAlphaIndex = format.bAlpha && format.nAlphaIndex >= format.nOutputPlanes ? -1 : nAlphaIndex;
    pfRenderJob job;
    job.in = MakePixelView(record.inData, nWidth, nHeight, record.inRowBytes, format.nTotalPlanes * nSampleSize,
                           nAlphaIndex);
    job.out = MakePixelView(record.outData, nWidth, nHeight, record.outRowBytes,
                            format.nOutputPlanes * nSampleSize, nOutAlphaIndex);
    job.mask = MakePixelView(record.maskData, nWidth, nHeight, record.maskRowBytes, kMaskSampleSize, 0);
    job.pFilterRecord = &record;
    job.nScaleX = record.imageSize.h / nWidth;
    job.nScaleY = record.imageSize.v / nHeight;
    if (!BuffersUsable(job)) {
        PF_TRACE_ERROR_LINE("SelectRenderTemplate: the host's image buffers do not cover the output rectangle");
        return paramErr;
    }
    if (nSampleSize == 2)
        return RunVariant<uint16_t>(format, snapshot, job);
    return RunVariant<uint8_t>(format, snapshot, job);
}

}  // namespace

pfRenderFormat DecideRenderFormat(const FilterRecord& record)
{
    const auto count = [](int16_t n) { return std::max<int32_t>(n, 0); };
    const int32_t nLayerPlanes = count(record.inLayerPlanes);
    const int32_t nNonLayerPlanes = count(record.inNonLayerPlanes);
    const int32_t nPlanes = count(record.planes);

    pfRenderFormat format;
    format.nDepth = record.depth;
    format.nTotalPlanes = InputPlaneCount(record);
    format.nOutputPlanes = OutputPlaneCount(record);
    format.bAlpha = record.inTransparencyMask > 0;
    format.nAlphaIndex = nLayerPlanes;
    format.nColorChannels = nLayerPlanes;
    if (format.bAlpha) {
        // Without layer planes the alpha index would point at colour plane
        // 0: such an image is rendered without its transparency.
        if (format.nTotalPlanes < nLayerPlanes + 1 || nLayerPlanes == 0)
            format.bAlpha = false;
        if (format.nColorChannels == 0)
            format.nColorChannels = nPlanes;
    } else if (format.nColorChannels == 0) {
        format.nColorChannels = nNonLayerPlanes != 0 ? nNonLayerPlanes : nPlanes;
    }
    int32_t nMaxChannels = 0;
    format.bSupportedMode = LimitsChannels(record.imageMode, nMaxChannels);
    format.nColorChannels = std::min({format.nColorChannels, nMaxChannels, format.nOutputPlanes});
    return format;
}

int16_t SelectRenderTemplate(const pfRenderSnapshot& snapshot, FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("SelectRenderTemplate( pFilterRecord(" << TracePtr(pFilterRecord) << ") )");
    int16_t nResult = noErr;
    if (pFilterRecord) {
        const pfRenderFormat format = DecideRenderFormat(*pFilterRecord);
        if (format.bSupportedMode) {
            PF_TRACE(PF_TRACE_INFO, "nDepth(" << format.nDepth << "), nColorChannels(" << format.nColorChannels
                                              << "), bAlpha(" << (format.bAlpha ? 1 : 0) << ")");
            nResult = RenderFormat(format, snapshot, *pFilterRecord);
        }
    } else {
        nResult = paramErr;
    }
    PF_TRACE_EXIT("SelectRenderTemplate( return(" << nResult << ") )");
    return nResult;
}

int16_t SelectRenderTemplate(pfFilterCorvane& filter, FilterRecord* pFilterRecord)
{
    return SelectRenderTemplate(TakeRenderSnapshot(filter), pFilterRecord);
}

int16_t pfFilterCorvane::Render(FilterRecord* pFilterRecord)
{
    return SelectRenderTemplate(*this, pFilterRecord);
}
