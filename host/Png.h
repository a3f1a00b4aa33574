// PNG files as the host reads and writes them: 8- or 16-bit samples, grey,
// grey + alpha, RGB or RGBA, interleaved, in the file's own sample range
// (0..255 or 0..65535).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct pfPngImage {
    int nWidth = 0;
    int nHeight = 0;
    int nChannels = 0; // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int nBitDepth = 8; // 8 or 16
    std::vector<uint16_t> samples; // row by row, channels interleaved

    bool HasAlpha() const { return nChannels == 2 || nChannels == 4; }
    int ColorChannels() const { return HasAlpha() ? nChannels - 1 : nChannels; }
    uint16_t MaxValue() const { return nBitDepth == 16 ? 65535 : 255; }
    uint16_t& At(int x, int y, int c) { return samples[(std::size_t(y) * nWidth + x) * nChannels + c]; }
    uint16_t At(int x, int y, int c) const { return samples[(std::size_t(y) * nWidth + x) * nChannels + c]; }
};

// The largest side the host accepts: the record's geometry is 16-bit.
constexpr int kMaxPngSide = 32767;

// Decodes PNG bytes. Palette and low-bit-depth files come out as 8-bit.
// Returns false with a readable reason on anything else.
bool DecodePng(const std::vector<uint8_t>& bytes, pfPngImage& image, std::string& strError);
bool ReadPng(const std::string& strPath, pfPngImage& image, std::string& strError);

// Encodes an image that satisfies the description above.
bool EncodePng(const pfPngImage& image, std::vector<uint8_t>& bytes, std::string& strError);
bool WritePng(const std::string& strPath, const pfPngImage& image, std::string& strError);
