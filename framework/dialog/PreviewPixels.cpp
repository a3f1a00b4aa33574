#include "PreviewPixels.h"

#include "PreviewGeometry.h"

#include "framework/hostinterface/PlaneCounts.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

struct PixelLayout {
    int nPlanes = 0;      // samples per pixel in the host's output buffer
    int nColors = 0;      // colour planes shown
    int nAlphaIndex = -1; // transparency sample, -1 without
};

PixelLayout LayoutOf(const FilterRecord& record)
{
    PixelLayout layout;
    layout.nPlanes = OutputPlaneCount(record);
    if (record.inTransparencyMask > 0) {
        if (layout.nPlanes >= record.inLayerPlanes + 1)
            layout.nAlphaIndex = record.inLayerPlanes;
        layout.nColors = record.inLayerPlanes ? record.inLayerPlanes : record.planes;
    } else {
        layout.nColors = record.inLayerPlanes     ? record.inLayerPlanes
                         : record.inNonLayerPlanes ? record.inNonLayerPlanes
                                                   : record.planes;
    }
    layout.nColors = std::min(layout.nColors, layout.nPlanes);
    return layout;
}

int ColorLimit(int16_t nImageMode)
{
    switch (nImageMode) {
    case plugInModeGrayScale:
    case plugInModeGray16:
        return 1;
    case plugInModeRGBColor:
    case plugInModeMultichannel:
    case plugInModeRGB48:
    case plugInModeDeepMultichannel:
        return 3;
    default:
        return 0;
    }
}

// Samples of one row brought to 8 bits: 16-bit samples (0..32768) by
// division by 129.
int SampleAt(const uint8_t* pRow, int nIndex, bool bDeep)
{
    if (!bDeep)
        return pRow[nIndex];
    uint16_t nSample;
    std::copy(pRow + 2 * nIndex, pRow + 2 * nIndex + 2, reinterpret_cast<uint8_t*>(&nSample));
    return std::min(nSample / 129, 255);
}

uint8_t Checkerboard(const FilterRecord& record, int nWidth, int nHeight, int nX, int nY)
{
    const int i = int(double(record.imageSize.h) / nWidth * nX) / 16;
    const int j = int(double(record.imageSize.v) / nHeight * nY) / 16;
    return i % 2 + j % 2 == 1 ? 255 : 208;
}

// An 8-bit row without transparency, the common case, byte by byte: the
// preview converts every pixel after every render.
void ConvertPlainRow(const uint8_t* pRow, uint8_t* pOut, int nColumns, const PixelLayout& layout)
{
    const int nStep = layout.nPlanes;
    if (layout.nColors == 3) {
        for (int x = 0; x < nColumns; ++x, pRow += nStep, pOut += kPreviewPixelBytes) {
            pOut[0] = pRow[2];
            pOut[1] = pRow[1];
            pOut[2] = pRow[0];
        }
    } else if (layout.nColors == 2) {
        for (int x = 0; x < nColumns; ++x, pRow += nStep, pOut += kPreviewPixelBytes) {
            pOut[0] = pRow[1];
            pOut[1] = pRow[0];
            pOut[2] = 0;
        }
    } else {
        for (int x = 0; x < nColumns; ++x, pRow += nStep, pOut += kPreviewPixelBytes)
            pOut[0] = pOut[1] = pOut[2] = pRow[0];
    }
}

} // namespace

bool pfPreviewBits::AssignZeros(std::size_t nSize)
{
    if (nSize <= m_nCapacity && m_pData) {
        std::memset(m_pData.get(), 0, nSize);
        m_nSize = nSize;
        return true;
    }
    m_pData.reset();
    m_nSize = m_nCapacity = 0;
    // calloc of zero bytes may give null: ask for one byte at least.
    m_pData.reset(static_cast<uint8_t*>(std::calloc(nSize > 0 ? nSize : 1, 1)));
    if (!m_pData)
        return false;
    m_nSize = m_nCapacity = nSize;
    return true;
}

bool AllocatePreviewBitmap(pfPreviewBitmap& bitmap, int nWidth, int nHeight)
{
    bitmap.Release();
    if (nWidth < 0 || nHeight < 0)
        return false;
    const int nStride = PreviewBufferStride(nWidth);
    const uint64_t nBytes = uint64_t(nStride) * uint64_t(nHeight) * kPreviewPixelBytes;
    if (nBytes > std::numeric_limits<std::size_t>::max() || !bitmap.bits.AssignZeros(std::size_t(nBytes))) {
        bitmap = pfPreviewBitmap();
        return false;
    }
    bitmap.nStride = nStride;
    bitmap.nHeight = nHeight;
    return true;
}

pfPreviewConversion ConvertOutputToPreview(const FilterRecord& record, pfPreviewBitmap& bitmap, const Rect& window)
{
    PixelLayout layout = LayoutOf(record);
    const int nLimit = ColorLimit(record.imageMode);
    if (nLimit == 0)
        return pfPreviewConversion::InvalidMode;
    layout.nColors = std::min(layout.nColors, nLimit);
    const bool bDeep = record.depth == 16;
    if ((!bDeep && record.depth != 8 && record.depth != 0) || layout.nColors < 1 || layout.nPlanes < 1)
        return pfPreviewConversion::Done;

    const int nWidth = record.outRect.right - record.outRect.left;
    const int nHeight = record.outRect.bottom - record.outRect.top;
    const auto* pData = static_cast<const uint8_t*>(record.outData);
    const int64_t nPixelBytes = int64_t(layout.nPlanes) * (bDeep ? 2 : 1);
    if (!pData || nWidth <= 0 || nHeight <= 0 || record.outRowBytes < nPixelBytes * nWidth)
        return pfPreviewConversion::Done;
    const int nRows = std::min(nHeight, bitmap.nHeight);
    const int nColumns = std::min(nWidth, bitmap.nStride);
    const bool bWindow = window.right > window.left && window.bottom > window.top;
    const int x0 = bWindow ? std::clamp<int>(window.left, 0, nColumns) : 0;
    const int x1 = bWindow ? std::clamp<int>(window.right, x0, nColumns) : nColumns;
    const int y0 = bWindow ? std::clamp<int>(window.top, 0, nRows) : 0;
    const int y1 = bWindow ? std::clamp<int>(window.bottom, y0, nRows) : nRows;

    const bool bPlain = !bDeep && layout.nAlphaIndex < 0;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* pRow = pData + int64_t(y) * record.outRowBytes;
        const std::size_t nFirstPixel = std::size_t(nRows - 1 - y) * bitmap.nStride + std::size_t(x0);
        uint8_t* pOut = bitmap.bits.Data() + nFirstPixel * kPreviewPixelBytes;
        if (bPlain) {
            ConvertPlainRow(pRow + int64_t(x0) * layout.nPlanes, pOut, x1 - x0, layout);
            continue;
        }
        for (int x = x0; x < x1; ++x, pOut += kPreviewPixelBytes) {
            const int nBase = x * layout.nPlanes;
            int rgb[3];
            if (layout.nColors == 1) {
                rgb[0] = rgb[1] = rgb[2] = SampleAt(pRow, nBase, bDeep);
            } else if (layout.nColors == 2) {
                rgb[0] = 0;
                rgb[1] = SampleAt(pRow, nBase, bDeep);
                rgb[2] = SampleAt(pRow, nBase + 1, bDeep);
            } else {
                for (int c = 0; c < 3; ++c)
                    rgb[c] = SampleAt(pRow, nBase + c, bDeep);
            }
            if (layout.nAlphaIndex >= 0) {
                const double fAlpha = SampleAt(pRow, nBase + layout.nAlphaIndex, bDeep) / 255.0;
                const int nBack = Checkerboard(record, nWidth, nHeight, x, y);
                for (int& c : rgb)
                    c = int(c * fAlpha + nBack * (1.0 - fAlpha));
            }
            pOut[0] = uint8_t(rgb[2]);
            pOut[1] = uint8_t(rgb[1]);
            pOut[2] = uint8_t(rgb[0]);
        }
    }
    return pfPreviewConversion::Done;
}
