// document/ holds the host's image, its planes and buffers, and the memory it may take.
// The host's image: planes of samples in host units, 0..255 for 8-bit
// documents and 0..32768 for 16-bit ones, stored pixel by pixel with the
// planes interleaved, one byte a sample in 8-bit documents and two (in the
// machine's order) in 16-bit ones: the layout plug-in buffers have, so whole
// rows copy at once.
#pragma once

#include "LargeBuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// 16-bit conversions between PNG samples (0..65535) and host samples
// (0..32768), both rounding to nearest with halves going up:
//   host = round(png * 32768 / 65535), png = round(host * 65535 / 32768).
// Integer arithmetic only; every host value survives the trip to PNG and
// back unchanged.
// Inline: whole rows of a photograph pass through them.
inline uint16_t PngToHost16(uint16_t nPng)
{
    // 2 * png * 32768 is never an odd multiple of 65535, so no halves occur.
    return uint16_t((uint32_t(nPng) * 2 * 32768 + 65535) / (2 * 65535));
}

inline uint16_t HostToPng16(uint16_t nHost)
{
    const uint32_t nClamped = nHost < 32768 ? nHost : 32768;
    return uint16_t((nClamped * 2 * 65535 + 32768) / (2 * 32768));
}

class pfDocument {
public:
    pfDocument() = default;
    pfDocument(int nWidth, int nHeight, int nPlanes, int nDepth);
    // A document whose samples are left undefined, for a copy that is
    // filled in row by row: untouched memory costs nothing.
    static pfDocument Unfilled(int nWidth, int nHeight, int nPlanes, int nDepth);

    // The bytes a document of this size takes.
    static uint64_t BytesFor(int nWidth, int nHeight, int nPlanes, int nDepth);

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetPlanes() const { return m_nPlanes; }
    int GetDepth() const { return m_nDepth; }
    int GetSampleBytes() const { return m_nDepth == 16 ? 2 : 1; }
    uint16_t GetMaxValue() const { return m_nDepth == 16 ? 32768 : 255; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }

    uint16_t Get(int nPlane, int x, int y) const
    {
        const uint8_t* pSample = m_Samples.Data() + Offset(nPlane, x, y);
        if (m_nDepth != 16)
            return *pSample;
        uint16_t nValue = 0;
        std::memcpy(&nValue, pSample, 2);
        return nValue;
    }
    void Set(int nPlane, int x, int y, uint16_t nValue)
    {
        uint8_t* pSample = m_Samples.Data() + Offset(nPlane, x, y);
        if (m_nDepth == 16)
            std::memcpy(pSample, &nValue, 2);
        else
            *pSample = uint8_t(nValue);
    }
    void Fill(int nPlane, uint16_t nValue);

    // Row y: GetPixelBytes() per pixel, planes in order.
    std::size_t GetPixelBytes() const { return std::size_t(m_nPlanes) * GetSampleBytes(); }
    uint8_t* Row(int y) { return m_Samples.Data() + std::size_t(y) * m_nWidth * GetPixelBytes(); }
    const uint8_t* Row(int y) const { return m_Samples.Data() + std::size_t(y) * m_nWidth * GetPixelBytes(); }

    // Rows above y will not be read again: their memory may go back to the
    // system (see pfLargeBuffer::Discard).
    void DiscardRowsAbove(int y) { m_Samples.Discard(std::size_t(y) * m_nWidth * GetPixelBytes()); }

    bool operator==(const pfDocument& other) const;
    bool operator!=(const pfDocument& other) const { return !(*this == other); }

private:
    std::size_t Offset(int nPlane, int x, int y) const
    {
        return ((std::size_t(y) * m_nWidth + x) * m_nPlanes + nPlane) * GetSampleBytes();
    }

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nPlanes = 0;
    int m_nDepth = 8;
    pfLargeBuffer m_Samples;
};
