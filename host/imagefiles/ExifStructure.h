// EXIF data is a small TIFF structure of its own: a header, the main
// directory (camera, orientation), the EXIF directory (exposure) and maybe
// a GPS directory and a thumbnail. A TIFF file keeps the EXIF directory as
// one of its own, which is how readers of photographs look for it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// EXIF data never needs more; larger claims are not believed.
constexpr uint32_t kMaxExifBytes = 4u << 20;

struct pfExifLayout {
    bool bBigEndian = false;
    uint32_t nExifIfd = 0; // offsets within the data; 0: none
    uint32_t nGpsIfd = 0;
    uint16_t nOrientation = 0;
    uint32_t nEnd = 0;     // where the last byte the structure uses ends
};

// The layout of EXIF data held in bytes (from its header on); false when it
// is no sound TIFF structure: offsets outside the bytes, loops, unknown types.
bool ReadExifLayout(const std::vector<uint8_t>& bytes, pfExifLayout& layout);

// Reads nSize bytes at nOffset of a file; false past its end.
using pfFileBytes = std::function<bool(uint64_t nOffset, uint32_t nSize, std::vector<uint8_t>& bytes)>;

// EXIF data made from a TIFF file's EXIF (and GPS) directory at nExifIfd
// (nGpsIfd, or 0): a new header and main directory pointing to copies of
// both with their values. Empty when the directories cannot be read.
std::vector<uint8_t> CopyExifDirectories(const pfFileBytes& read, bool bBigEndian, uint64_t nExifIfd,
                                         uint64_t nGpsIfd);
