// Fuzz target: rendering. Fuzzed parameter values (NaN, infinities,
// extremes, negative densities; validated or not) and a fuzzed host record
// (tiny and odd sizes, modes, depths, planes, row bytes, masks, image scale,
// and the shapes real hosts give: output plane counts of 0 or fewer than the
// input's, records that end early) on small images, through the filter's
// Render. The host's buffers and record are exactly as large as the host
// says, so any access beyond them is caught;
// the host cancels after a while, as a user would with a render that takes
// long. Checks: a known result code, bytes between rows untouched, and an
// image the render refuses left as it was.
#include "FuzzSupport.h"

#include "filter/FilterCorvane.h"
#include "framework/render/RenderInterrupt.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

// Synthesis checks for a cancel every 65,536 dots and the pixel pass every
// row; the host gives up after this many checks (some 400,000 dots, more
// than the default densities place), so an input that still takes long
// spends it between two checks.
constexpr int kChecksBeforeCancel = 6;
int g_nChecks = 0;

Boolean PF_CDECL CancelAfterAWhile()
{
    return ++g_nChecks > kChecksBeforeCancel;
}

void PF_CDECL IgnoreProgress(int32_t, int32_t) {}

double FuzzedDouble(FuzzedDataProvider& input)
{
    const double kSpecial[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(), std::numeric_limits<double>::denorm_min(),
                               -0.0, 0.0, 1.0, -1.0, 2.0, 1e308, -1e9, 1e9, 360.0, 0.5};
    if (input.ConsumeBool())
        return input.PickValueInArray(kSpecial);
    return input.ConsumeFloatingPoint<double>();
}

void FuzzParameters(FuzzedDataProvider& input, pfFilterCorvane& filter)
{
    for (pfParameter* pParameter : filter.GetParameters()) {
        if (!input.ConsumeBool())
            continue;
        if (auto* pFloat = dynamic_cast<pfParameterFloat*>(pParameter)) {
            pFloat->SetValue(FuzzedDouble(input));
        } else if (auto* pRGB = dynamic_cast<pfParameterRGB*>(pParameter)) {
            const double fRed = FuzzedDouble(input), fGreen = FuzzedDouble(input);
            pRGB->SetValue(fRed, fGreen, FuzzedDouble(input));
        } else if (auto* pList = dynamic_cast<pfParameterList*>(pParameter)) {
            pList->SetSelection(input.ConsumeIntegralInRange<int32_t>(-1, 24));
        } else if (auto* pBool = dynamic_cast<pfParameterBool*>(pParameter)) {
            pBool->SetValue(input.ConsumeBool());
        }
    }
    if (input.ConsumeBool())
        filter.GetParameters().ValidateAll();
}

// A host buffer of nRows rows of nRowBytes, its bytes a known pattern.
struct HostBuffer {
    std::vector<uint8_t> bytes;
    int32_t nRowBytes = 0;

    void* Allocate(int32_t nRows, int32_t nBytesPerRow, uint8_t nFill)
    {
        nRowBytes = nBytesPerRow;
        if (nRowBytes <= 0)
            return nullptr;
        bytes.assign(std::size_t(nRows) * std::size_t(nRowBytes), nFill);
        return bytes.data();
    }
};

// Where a host's record ends: ours at its full size, or where the shortest
// known one does (452 bytes on 32-bit, 556 on 64-bit).
std::size_t FuzzedRecordBytes(FuzzedDataProvider& input)
{
    return input.ConsumeBool() ? sizeof(FilterRecord) : (sizeof(void*) == 4 ? 452 : 556);
}

// Output counts as hosts give them: left at 0, the input's, or fewer (a
// host that protects transparency).
void FuzzOutputCounts(FuzzedDataProvider& input, FilterRecord& record)
{
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return;
    case 1:
        record.outLayerPlanes = record.inLayerPlanes;
        record.outTransparencyMask = record.inTransparencyMask;
        record.outNonLayerPlanes = record.inNonLayerPlanes;
        return;
    default:
        record.outLayerPlanes = input.ConsumeIntegralInRange<int16_t>(-1, 4);
        record.outTransparencyMask = input.ConsumeIntegralInRange<int16_t>(-1, 1);
        record.outNonLayerPlanes = input.ConsumeIntegralInRange<int16_t>(-1, 4);
    }
}

int32_t FuzzedRowBytes(FuzzedDataProvider& input, int32_t nMinimum)
{
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return nMinimum;
    case 1: return nMinimum + input.ConsumeIntegralInRange<int32_t>(1, 9);
    case 2: return nMinimum - input.ConsumeIntegralInRange<int32_t>(1, 3);
    default: return input.ConsumeIntegralInRange<int32_t>(-8, 600);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    const int16_t kModes[] = {plugInModeGrayScale, plugInModeRGBColor, plugInModeMultichannel,
                              plugInModeGray16,    plugInModeRGB48,    plugInModeDeepMultichannel,
                              plugInModeCMYKColor, plugInModeLabColor, plugInModeIndexedColor,
                              plugInModeBitmap,    -1,                 99};
    const int32_t kDepths[] = {8, 16, 0, 1, 32, -8};

    std::vector<uint8_t> recordBytes(FuzzedRecordBytes(input), 0);
    FilterRecord& record = *reinterpret_cast<FilterRecord*>(recordBytes.data());
    record.imageMode = input.PickValueInArray(kModes);
    record.depth = input.PickValueInArray(kDepths);
    const int16_t nWidth = input.ConsumeIntegralInRange<int16_t>(1, 23);
    const int16_t nHeight = input.ConsumeIntegralInRange<int16_t>(1, 23);
    const int16_t nLeft = input.ConsumeIntegralInRange<int16_t>(0, 40);
    const int16_t nTop = input.ConsumeIntegralInRange<int16_t>(0, 40);
    record.outRect = Rect{nTop, nLeft, int16_t(nTop + nHeight), int16_t(nLeft + nWidth)};
    record.inRect = record.outRect;
    record.imageSize = input.ConsumeBool()
                           ? Point{int16_t(nTop + nHeight), int16_t(nLeft + nWidth)}
                           : Point{input.ConsumeIntegral<int16_t>(), input.ConsumeIntegral<int16_t>()};
    record.planes = input.ConsumeIntegralInRange<int16_t>(-1, 8);
    record.inLayerPlanes = input.ConsumeIntegralInRange<int16_t>(-1, 4);
    record.inTransparencyMask = input.ConsumeIntegralInRange<int16_t>(-1, 2);
    record.inLayerMasks = input.ConsumeIntegralInRange<int16_t>(-1, 2);
    record.inInvertedLayerMasks = input.ConsumeIntegralInRange<int16_t>(-1, 2);
    record.inNonLayerPlanes = input.ConsumeIntegralInRange<int16_t>(-1, 4);
    FuzzOutputCounts(input, record);
    record.abortProc = CancelAfterAWhile;
    record.progressProc = input.ConsumeBool() ? IgnoreProgress : nullptr;

    // The host's own layout: its planes, its sample size. Mostly the planes
    // the record describes, sometimes other ones, as a careless host has.
    const int32_t nHostPlanes =
        input.ConsumeBool() && record.planes >= 1 ? record.planes : input.ConsumeIntegralInRange<int32_t>(1, 8);
    const int32_t nHostOutPlanes = input.ConsumeBool() ? nHostPlanes : input.ConsumeIntegralInRange<int32_t>(1, 8);
    const int32_t nSample = record.depth == 16 ? 2 : 1;
    HostBuffer in, out, mask;
    record.inData = in.Allocate(nHeight, FuzzedRowBytes(input, nWidth * nHostPlanes * nSample), 0x5C);
    record.outData = out.Allocate(nHeight, FuzzedRowBytes(input, nWidth * nHostOutPlanes * nSample), 0xA3);
    record.inRowBytes = in.nRowBytes;
    record.outRowBytes = out.nRowBytes;
    if (input.ConsumeBool()) {
        record.haveMask = 1;
        record.maskData = mask.Allocate(nHeight, FuzzedRowBytes(input, nWidth), 0x80);
        record.maskRowBytes = mask.nRowBytes;
    }
    if (input.ConsumeBool() && !in.bytes.empty())
        input.ConsumeData(in.bytes.data(), in.bytes.size());

    pfFilterCorvane filter;
    FuzzParameters(input, filter);
    const std::vector<uint8_t> before = out.bytes;
    g_nChecks = 0;
    const int16_t nResult = filter.Render(&record);
    FuzzCheck(nResult == noErr || nResult == paramErr || nResult == memFullErr || nResult == userCanceledErr,
              "the render answers with a known result");
    if (nResult == paramErr)
        FuzzCheck(out.bytes == before, "a refused image is left as it was");
    // Where the record describes the host's layout, what lies between the
    // rows is the host's.
    const auto count = [](int16_t n) { return n > 0 ? int32_t(n) : 0; };
    const int32_t nOutCounted =
        count(record.outLayerPlanes) + count(record.outTransparencyMask) + count(record.outNonLayerPlanes);
    const bool bHonest = record.planes == nHostPlanes && nHostOutPlanes == nHostPlanes && nOutCounted == 0 &&
                         count(record.inLayerPlanes) + count(record.inTransparencyMask) + count(record.inLayerMasks) +
                                 count(record.inInvertedLayerMasks) + count(record.inNonLayerPlanes) <=
                             nHostPlanes;
    const int32_t nRowSamples = nWidth * nHostOutPlanes * nSample;
    for (int32_t y = 0; bHonest && y < nHeight && out.nRowBytes > nRowSamples; ++y) {
        const std::size_t nRow = std::size_t(y) * out.nRowBytes;
        for (int32_t x = nRowSamples; x < out.nRowBytes; ++x)
            FuzzCheck(out.bytes[nRow + x] == before[nRow + x], "bytes between rows are left alone");
    }
    return 0;
}
