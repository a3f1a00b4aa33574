#include "ReducedRequest.h"

#include <cstring>

namespace {

struct pfPlaneBuffer {
    const void* pData;
    int32_t nRowBytes;
    int32_t nPixelBytes;
};

int32_t PixelBytes(const FilterRecord& record, int16_t nLoPlane, int16_t nHiPlane)
{
    const int32_t nPlanes = nHiPlane >= nLoPlane ? nHiPlane - nLoPlane + 1 : 0;
    return nPlanes * (record.depth == 16 ? 2 : 1);
}

// Point-samples a host buffer of nWidth x nHeight pixels into rows without
// padding; empty when the host's buffer is missing or its rows are short.
std::vector<uint8_t> Sample(const pfPlaneBuffer& from, Point full, uint32_t nFactor, Point reduced)
{
    std::vector<uint8_t> to;
    const int64_t nFullRow = int64_t(full.h) * from.nPixelBytes;
    if (!from.pData || from.nPixelBytes <= 0 || from.nRowBytes < nFullRow || reduced.h <= 0 || reduced.v <= 0)
        return to;
    const auto* pFrom = static_cast<const uint8_t*>(from.pData);
    const std::size_t nPixel = std::size_t(from.nPixelBytes);
    to.resize(std::size_t(reduced.h) * reduced.v * nPixel);
    uint8_t* pTo = to.data();
    for (int32_t y = 0; y < reduced.v; ++y) {
        const uint8_t* pRow = pFrom + std::size_t(y) * nFactor * std::size_t(from.nRowBytes);
        for (int32_t x = 0; x < reduced.h; ++x, pTo += nPixel)
            std::memcpy(pTo, pRow + std::size_t(x) * nFactor * nPixel, nPixel);
    }
    return to;
}

void* DataOrNull(std::vector<uint8_t>& buffer)
{
    return buffer.empty() ? nullptr : buffer.data();
}

}  // namespace

void pfReducedRequest::Reduce(const FilterRecord& host, uint32_t nFactor)
{
    m_Record = FilterRecord{};
    std::memcpy(&m_Record, &host, kReadRecordBytes);
    const Point full{int16_t(host.inRect.bottom - host.inRect.top), int16_t(host.inRect.right - host.inRect.left)};
    const Point reduced{int16_t(full.v / int32_t(nFactor)), int16_t(full.h / int32_t(nFactor))};
    const int32_t nInPixel = PixelBytes(host, host.inLoPlane, host.inHiPlane);
    const int32_t nOutPixel = PixelBytes(host, host.outLoPlane, host.outHiPlane);
    m_In = Sample({host.inData, host.inRowBytes, nInPixel}, full, nFactor, reduced);
    m_Out = Sample({host.outData, host.outRowBytes, nOutPixel}, full, nFactor, reduced);
    m_Mask = Sample({host.maskData, host.maskRowBytes, 1}, full, nFactor, reduced);

    const Rect rect{0, 0, reduced.v, reduced.h};
    m_Record.inRect = m_Record.outRect = rect;
    m_Record.maskRect = host.maskData ? rect : Rect{};
    m_Record.inData = DataOrNull(m_In);
    m_Record.outData = DataOrNull(m_Out);
    m_Record.maskData = DataOrNull(m_Mask);
    m_Record.inRowBytes = reduced.h * nInPixel;
    m_Record.outRowBytes = reduced.h * nOutPixel;
    m_Record.maskRowBytes = reduced.h;
    m_bActive = true;
}

void pfReducedRequest::Clear()
{
    m_bActive = false;
    m_In = std::vector<uint8_t>();
    m_Out = std::vector<uint8_t>();
    m_Mask = std::vector<uint8_t>();
}
