// What a photograph carries besides its pixels and the host passes on from
// the file it read to the file it writes, as far as that format holds it.
#pragma once

#include <cstdint>
#include <vector>

struct pfImageMetadata {
    std::vector<uint8_t> icc;  // the colour profile, as embedded
    std::vector<uint8_t> exif; // the camera data: a TIFF structure ("II*\0" or "MM\0*"), no "Exif" prefix
    std::vector<uint8_t> xmp;  // the XMP packet, UTF-8
    // A TIFF's own orientation tag (1 to 8; 0: none). JPEG and PNG keep the
    // orientation inside the EXIF data; pixels are never turned.
    uint16_t nOrientation = 0;
};

// The four bytes naming a profile's colour space ("RGB ", "GRAY", "CMYK",
// "Lab "); empty when there is no profile or it is too short to say.
inline std::vector<uint8_t> ProfileColorSpace(const std::vector<uint8_t>& icc)
{
    return icc.size() < 20 ? std::vector<uint8_t>() : std::vector<uint8_t>(icc.begin() + 16, icc.begin() + 20);
}
