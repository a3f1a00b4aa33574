// imagefiles/ holds reading and writing image files.
// PNG files as the host reads and writes them, through libpng: 8- or 16-bit
// samples, grey, grey + alpha, RGB or RGBA, interleaved, in the file's own
// sample range (0..255 or 0..65535).
#pragma once

#include "ImageMetadata.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The largest side the host accepts: the record's geometry is 16-bit.
constexpr int kMaxPngSide = 32767;

// What a PNG holds, as the host sees it.
struct pfPngLayout {
    int nWidth = 0;
    int nHeight = 0;
    int nChannels = 0; // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int nBitDepth = 8; // 8 or 16
    std::size_t RowSamples() const { return std::size_t(nWidth) * nChannels; }
};

struct pfPngImage {
    int nWidth = 0;
    int nHeight = 0;
    int nChannels = 0; // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int nBitDepth = 8; // 8 or 16
    std::vector<uint16_t> samples; // row by row, channels interleaved

    pfPngLayout Layout() const { return {nWidth, nHeight, nChannels, nBitDepth}; }
    bool HasAlpha() const { return nChannels == 2 || nChannels == 4; }
    int ColorChannels() const { return HasAlpha() ? nChannels - 1 : nChannels; }
    uint16_t MaxValue() const { return nBitDepth == 16 ? 65535 : 255; }
    uint16_t& At(int x, int y, int c) { return samples[(std::size_t(y) * nWidth + x) * nChannels + c]; }
    uint16_t At(int x, int y, int c) const { return samples[(std::size_t(y) * nWidth + x) * nChannels + c]; }
    uint16_t* Row(int y) { return samples.data() + std::size_t(y) * nWidth * nChannels; }
    const uint16_t* Row(int y) const { return samples.data() + std::size_t(y) * nWidth * nChannels; }
};

// Decoding hands the layout to onLayout before any row (which may refuse
// it: false with strError set), then every row top to bottom to onRow as
// RowSamples() samples in the file's range.
using pfPngLayoutSink = std::function<bool(const pfPngLayout& layout, std::string& strError)>;
using pfPngRowSink = std::function<void(int y, const uint16_t* pRow)>;

// Decodes PNG bytes, every chunk checksum and the compressed stream's own
// checksum verified. Palette files come out as RGB, low bit depths as 8-bit,
// a transparent colour (tRNS) as an alpha channel; interlaced files are read.
// A declared size is believed only as far as the data can hold it. Returns
// false with a readable reason for anything else.
bool DecodePngRows(const uint8_t* pBytes, std::size_t nSize, const pfPngLayoutSink& onLayout,
                   const pfPngRowSink& onRow, std::string& strError);
// The same from a file; the reason then starts with the path. The profile
// (iCCP), EXIF (eXIf before the image data) and XMP (iTXt) go to metadata.
bool ReadPngRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                 std::string& strError);
bool ReadPngRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                 pfImageMetadata& metadata, std::string& strError);

// Whole images, when memory allows them.
bool DecodePng(const uint8_t* pBytes, std::size_t nSize, pfPngImage& image, std::string& strError);
bool DecodePng(const std::vector<uint8_t>& bytes, pfPngImage& image, std::string& strError);
bool ReadPng(const std::string& strPath, pfPngImage& image, std::string& strError);

// Encoding asks fillRow for every row top to bottom: RowSamples() samples
// in the range of the layout's depth. The compression suits photographs:
// every row filter tried, runs and literals coded.
using pfPngRowSource = std::function<void(int y, uint16_t* pRow)>;
bool EncodePngRows(const pfPngLayout& layout, const pfPngRowSource& fillRow, std::vector<uint8_t>& bytes,
                   std::string& strError);
// Nothing is left at strPath when writing fails.
bool WritePngRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                  std::string& strError);
bool WritePngRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                  const pfImageMetadata& metadata, std::string& strError);

bool EncodePng(const pfPngImage& image, std::vector<uint8_t>& bytes, std::string& strError);
bool WritePng(const std::string& strPath, const pfPngImage& image, std::string& strError);
