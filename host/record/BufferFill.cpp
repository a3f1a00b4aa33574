#include "BufferFill.h"

#include <algorithm>
#include <cstring>

namespace {

int Width(const Rect& rect)
{
    return int(rect.right) - int(rect.left);
}

int Height(const Rect& rect)
{
    return int(rect.bottom) - int(rect.top);
}

int PlaneCount(const pfBufferRequest& request)
{
    return request.nHiPlane - request.nLoPlane + 1;
}

int64_t RowBytes(const pfDocument& document, const pfBufferRequest& request)
{
    const int64_t nBytes = int64_t(Width(request.rect)) * PlaneCount(request) * document.GetSampleBytes();
    return (nBytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
}

bool ReachesOutside(const pfDocument& document, const pfBufferRequest& request)
{
    const int64_t nLeft = int64_t(request.rect.left) * request.nRate;
    const int64_t nTop = int64_t(request.rect.top) * request.nRate;
    const int64_t nRight = int64_t(request.rect.right - 1) * request.nRate;
    const int64_t nBottom = int64_t(request.rect.bottom - 1) * request.nRate;
    return nLeft < 0 || nTop < 0 || nRight >= document.GetWidth() || nBottom >= document.GetHeight();
}

uint16_t PaddingValue(const pfDocument& document, int16_t nPadding)
{
    // The padding is a byte value; 16-bit samples get it in both bytes.
    if (nPadding < 0)
        return 0;
    return document.GetDepth() == 16 ? uint16_t(nPadding * 257) : uint16_t(nPadding);
}

uint16_t SampleAt(const pfDocument& document, int nPlane, int x, int y, int16_t nPadding)
{
    if (document.Contains(x, y))
        return document.Get(nPlane, x, y);
    if (nPadding == -1)
        return document.Get(nPlane, std::clamp(x, 0, document.GetWidth() - 1),
                            std::clamp(y, 0, document.GetHeight() - 1));
    return PaddingValue(document, nPadding);
}

void StoreSample(uint8_t* pSample, int nSampleBytes, uint16_t nValue)
{
    if (nSampleBytes == 2)
        std::memcpy(pSample, &nValue, 2);
    else
        *pSample = uint8_t(nValue);
}

// nCount runs of nBytes, stepping nFromStep and nToStep bytes: a pixel's
// planes from one interleaved layout into another.
template <std::size_t kBytes>
void CopyEachPixel(const uint8_t* pFrom, std::size_t nFromStep, uint8_t* pTo, std::size_t nToStep, int nCount)
{
    for (int i = 0; i < nCount; ++i, pFrom += nFromStep, pTo += nToStep)
        std::memcpy(pTo, pFrom, kBytes);
}

void CopyPixels(const uint8_t* pFrom, std::size_t nFromStep, uint8_t* pTo, std::size_t nToStep, std::size_t nBytes,
                int nCount)
{
    if (nFromStep == nBytes && nToStep == nBytes) {
        std::memcpy(pTo, pFrom, nBytes * std::size_t(nCount));
        return;
    }
    // A sampled delivery copies pixel by pixel: the common pixel sizes get
    // copies of a known length, which compile to moves instead of calls.
    switch (nBytes) {
    case 3: CopyEachPixel<3>(pFrom, nFromStep, pTo, nToStep, nCount); return;
    case 4: CopyEachPixel<4>(pFrom, nFromStep, pTo, nToStep, nCount); return;
    case 6: CopyEachPixel<6>(pFrom, nFromStep, pTo, nToStep, nCount); return;
    case 8: CopyEachPixel<8>(pFrom, nFromStep, pTo, nToStep, nCount); return;
    default: break;
    }
    for (int i = 0; i < nCount; ++i, pFrom += nFromStep, pTo += nToStep)
        std::memcpy(pTo, pFrom, nBytes);
}

// One buffer row sample by sample, for rows that reach outside the image.
void FillPaddedRow(const pfDocument& source, const pfBufferRequest& request, int y, uint8_t* pRow)
{
    const int nSampleBytes = source.GetSampleBytes();
    const int nPlanes = PlaneCount(request);
    for (int nColumn = 0; nColumn < Width(request.rect); ++nColumn) {
        const int x = (request.rect.left + nColumn) * request.nRate;
        for (int p = 0; p < nPlanes; ++p) {
            const uint16_t nValue = SampleAt(source, request.nLoPlane + p, x, y, request.nPadding);
            StoreSample(pRow + (std::size_t(nColumn) * nPlanes + p) * nSampleBytes, nSampleBytes, nValue);
        }
    }
}

} // namespace

bool IsEmpty(const Rect& rect)
{
    return rect.bottom <= rect.top || rect.right <= rect.left;
}

int SamplingStep(Fixed nRate)
{
    if (nRate < 0)
        return 0;
    return std::max(1, int(nRate >> 16));
}

OSErr FillBuffer(const pfDocument& source, const pfBufferRequest& request, pfLargeBuffer& buffer,
                 int32_t& nRowBytes)
{
    return FillBuffer(pfRowSource(source), request, buffer, nRowBytes);
}

OSErr FillBuffer(const pfRowSource& rows, const pfBufferRequest& request, pfLargeBuffer& buffer,
                 int32_t& nRowBytes)
{
    const pfDocument& source = rows.Document();
    if (request.nLoPlane < 0 || request.nHiPlane < request.nLoPlane || request.nHiPlane >= source.GetPlanes() ||
        request.nRate < 1)
        return paramErr;
    const bool bPadded = request.nPadding >= -2 && request.nPadding <= 255;
    if (!bPadded && ReachesOutside(source, request))
        return paramErr;

    const int64_t nWideRowBytes = RowBytes(source, request);
    if (nWideRowBytes * Height(request.rect) > kMaxBufferBytes)
        return memFullErr;
    nRowBytes = int32_t(nWideRowBytes);
    const bool bInside = !ReachesOutside(source, request);
    const std::size_t nSampleBytes = std::size_t(source.GetSampleBytes());
    const std::size_t nBufferPixelBytes = std::size_t(PlaneCount(request)) * nSampleBytes;
    buffer.Reset(std::size_t(nRowBytes) * Height(request.rect));
    const std::size_t nDataBytes = std::size_t(Width(request.rect)) * nBufferPixelBytes;
    for (int nRow = 0; nRow < Height(request.rect); ++nRow) {
        uint8_t* pRow = buffer.Data() + std::size_t(nRow) * nRowBytes;
        const int y = (request.rect.top + nRow) * request.nRate;
        // A row outside the image reads the nearest edge row, if any.
        const pfDocument& rowDocument = rows.RowDocument(std::max(0, std::min(y, source.GetHeight() - 1)));
        std::memset(pRow + nDataBytes, 0, std::size_t(nRowBytes) - nDataBytes);
        if (!bInside) {
            FillPaddedRow(rowDocument, request, y, pRow);
            continue;
        }
        const std::size_t nLeft = std::size_t(request.rect.left) * request.nRate;
        const uint8_t* pFrom =
            rowDocument.Row(y) + nLeft * source.GetPixelBytes() + request.nLoPlane * nSampleBytes;
        CopyPixels(pFrom, source.GetPixelBytes() * request.nRate, pRow, nBufferPixelBytes, nBufferPixelBytes,
                   Width(request.rect));
    }
    return noErr;
}

int64_t RequestBytes(const pfDocument& document, const pfBufferRequest& request)
{
    return IsEmpty(request.rect) ? 0
                                 : int64_t(Width(request.rect)) * Height(request.rect) * PlaneCount(request) *
                                       document.GetSampleBytes();
}

bool CanShareRows(const pfDocument& document, const pfBufferRequest& input, const pfBufferRequest& output)
{
    const auto whole = [&](const pfBufferRequest& request) {
        return request.nRate == 1 && request.nLoPlane == 0 && request.nHiPlane == document.GetPlanes() - 1 &&
               !IsEmpty(request.rect) && !ReachesOutside(document, request);
    };
    const Rect& a = input.rect;
    const Rect& b = output.rect;
    return whole(input) && whole(output) && a.top == b.top && a.left == b.left && a.bottom == b.bottom &&
           a.right == b.right;
}

uint8_t* SharedRowsAt(pfDocument& document, const Rect& rect)
{
    return document.Row(rect.top) + std::size_t(rect.left) * document.GetPixelBytes();
}

void CommitBuffer(pfDocument& target, const pfBufferRequest& request, const pfLargeBuffer& buffer,
                  int32_t nRowBytes)
{
    CommitBuffer(target, request, buffer, nRowBytes, request.rect.top, request.rect.bottom);
}

void CommitBuffer(pfDocument& target, const pfBufferRequest& request, const pfLargeBuffer& buffer,
                  int32_t nRowBytes, int nFirstRow, int nEndRow)
{
    const std::size_t nSampleBytes = std::size_t(target.GetSampleBytes());
    const std::size_t nBufferPixelBytes = std::size_t(PlaneCount(request)) * nSampleBytes;
    const int nLeft = std::max<int>(request.rect.left, 0);
    const int nRight = std::min<int>(request.rect.right, target.GetWidth());
    const int nTop = std::max({int(request.rect.top), nFirstRow, 0});
    const int nBottom = std::min({int(request.rect.bottom), nEndRow, target.GetHeight()});
    for (int y = nTop; y < nBottom && nLeft < nRight; ++y) {
        const uint8_t* pFrom = buffer.Data() + std::size_t(y - request.rect.top) * nRowBytes +
                               std::size_t(nLeft - request.rect.left) * nBufferPixelBytes;
        uint8_t* pTo = target.Row(y) + std::size_t(nLeft) * target.GetPixelBytes() + request.nLoPlane * nSampleBytes;
        CopyPixels(pFrom, nBufferPixelBytes, pTo, target.GetPixelBytes(), nBufferPixelBytes, nRight - nLeft);
    }
}
