// The host's image: planes of samples in host units, 0..255 for 8-bit
// documents and 0..32768 for 16-bit ones, stored plane by plane.
#pragma once

#include <cstdint>
#include <vector>

// 16-bit conversions between PNG samples (0..65535) and host samples
// (0..32768), both rounding to nearest with halves going up:
//   host = round(png * 32768 / 65535), png = round(host * 65535 / 32768).
// Integer arithmetic only; every host value survives the trip to PNG and
// back unchanged.
uint16_t PngToHost16(uint16_t nPng);
uint16_t HostToPng16(uint16_t nHost);

class pfDocument {
public:
    pfDocument() = default;
    pfDocument(int nWidth, int nHeight, int nPlanes, int nDepth);

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetPlanes() const { return int(m_lstPlanes.size()); }
    int GetDepth() const { return m_nDepth; }
    int GetSampleBytes() const { return m_nDepth == 16 ? 2 : 1; }
    uint16_t GetMaxValue() const { return m_nDepth == 16 ? 32768 : 255; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }

    uint16_t Get(int nPlane, int x, int y) const { return m_lstPlanes[nPlane][Index(x, y)]; }
    void Set(int nPlane, int x, int y, uint16_t nValue) { m_lstPlanes[nPlane][Index(x, y)] = nValue; }
    void Fill(int nPlane, uint16_t nValue);

    bool operator==(const pfDocument& other) const;
    bool operator!=(const pfDocument& other) const { return !(*this == other); }

private:
    std::size_t Index(int x, int y) const { return std::size_t(y) * m_nWidth + x; }

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nDepth = 8;
    std::vector<std::vector<uint16_t>> m_lstPlanes;
};
