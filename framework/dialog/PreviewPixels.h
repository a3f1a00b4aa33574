// Turns the host's output tile of a preview render into the preview's
// 32-bit picture: grey, RGB or two channels (as green and blue), 8 or 16
// bits, with transparent pixels shown over a checkerboard whose squares are
// 16 pixels of the whole image at any zoom.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>
#include <vector>

// Bytes of a pixel: blue, green, red and one unused. The screen's own
// format: under Wine a 24-bit picture takes three and a half times as long
// to reach the window as this one (3 million pixels: 5.6 against 1.6 ms).
constexpr int kPreviewPixelBytes = 4;

// A bottom-up device-independent bitmap: rows of nStride pixels of blue,
// green and red bytes and an unused one, the picture's top row last.
struct pfPreviewBitmap {
    std::vector<uint8_t> bits;
    int nStride = 0;
    int nHeight = 0;

    bool IsEmpty() const { return bits.empty(); }
    // Empty, but the memory stays for the next picture: touching fresh
    // pages costs more than converting into them.
    void Release()
    {
        bits.clear();
        nStride = nHeight = 0;
    }
};

// Allocates a bitmap for a rendered image nWidth x nHeight, in the memory it
// held when that suffices; false (and an empty bitmap) when the memory is not
// there.
bool AllocatePreviewBitmap(pfPreviewBitmap& bitmap, int nWidth, int nHeight);

enum class pfPreviewConversion { Done, InvalidMode };

// Reads the record's output data over its output rectangle. The host's
// record is not trusted: a missing buffer or rows too short for their
// pixels leave the bitmap as it was. A window (relative to the output
// rectangle's top left) limits the conversion to what the preview rendered;
// an empty one converts everything.
pfPreviewConversion ConvertOutputToPreview(const FilterRecord& record, pfPreviewBitmap& bitmap,
                                           const Rect& window = Rect{});
