// A small host-side image for render tests: interleaved input and output
// buffers, an optional selection mask, and the record that describes them.
#pragma once

#include "TestSupport.h"

#include "framework/render/RenderInterrupt.h"
#include "filter/RenderSnapshot.h"

#include <cstdint>
#include <cstring>
#include <vector>

class TestImage {
public:
    TestImage(int16_t nMode, int32_t nDepth, int16_t nWidth, int16_t nHeight, int16_t nPlanes)
        : m_nSampleSize(nDepth == 16 ? 2 : 1), m_nPlanes(nPlanes)
    {
        record.imageMode = nMode;
        record.depth = nDepth;
        record.planes = nPlanes;
        record.imageSize = Point{nHeight, nWidth};
        record.outRect = Rect{0, 0, nHeight, nWidth};
        record.inRowBytes = record.outRowBytes = nWidth * nPlanes * m_nSampleSize;
        in.assign(size_t(record.inRowBytes) * nHeight, 0);
        out.assign(in.size(), 0xEE);
        record.inData = in.data();
        record.outData = out.data();
    }

    // One byte per pixel at every depth, each row followed by nPadding
    // bytes the mask must not be read from.
    void AddMask(uint8_t nValue, int nPadding = 0)
    {
        const int nWidth = record.outRect.right;
        record.maskRowBytes = nWidth + nPadding;
        mask.assign(size_t(record.maskRowBytes) * record.outRect.bottom, 0x55);
        for (int y = 0; y < record.outRect.bottom; ++y)
            std::memset(&mask[size_t(y) * record.maskRowBytes], nValue, size_t(nWidth));
        record.maskData = mask.data();
    }

    void SetIn(int x, int y, int nPlane, uint16_t nValue) { Put(in, Index(x, y, nPlane), nValue); }
    uint16_t In(int x, int y, int nPlane) const { return Get(in, Index(x, y, nPlane)); }
    uint16_t Out(int x, int y, int nPlane) const { return Get(out, Index(x, y, nPlane)); }

    FilterRecord record = ZeroRecord();
    std::vector<uint8_t> in, out, mask;

private:
    size_t Index(int x, int y, int nPlane) const
    {
        return (size_t(y) * record.outRect.right + x) * m_nPlanes + nPlane;
    }
    void Put(std::vector<uint8_t>& buffer, size_t i, uint16_t v) const
    {
        if (m_nSampleSize == 2)
            std::memcpy(&buffer[i * 2], &v, 2);
        else
            buffer[i] = uint8_t(v);
    }
    uint16_t Get(const std::vector<uint8_t>& buffer, size_t i) const
    {
        if (m_nSampleSize == 1)
            return buffer[i];
        uint16_t v;
        std::memcpy(&v, &buffer[i * 2], 2);
        return v;
    }

    int m_nSampleSize;
    int m_nPlanes;
};

// Parameters that place no dot at all: the source is black everywhere.
inline pfRenderSnapshot NoDots(unsigned nBlendMode)
{
    pfRenderSnapshot snapshot;
    snapshot.fInnerDensity = snapshot.fOuterDensity = 0.0;
    snapshot.nBlendMode = nBlendMode;
    return snapshot;
}

// Restores the render control variables after a test that plays the dialog.
struct RenderControlReset {
    ~RenderControlReset()
    {
        g_nRenderStartTick = 0;
        g_bPreviewDirty = false;
    }
};
