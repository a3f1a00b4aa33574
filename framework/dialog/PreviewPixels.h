// Turns the host's output tile of a preview render into the preview's
// 32-bit picture: grey, RGB or two channels (as green and blue), 8 or 16
// bits, with transparent pixels shown over a checkerboard whose squares are
// 16 pixels of the whole image at any zoom.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Bytes of a pixel: blue, green, red and one unused. The screen's own
// format: under Wine a 24-bit picture takes three and a half times as long
// to reach the window as this one (3 million pixels: 5.6 against 1.6 ms).
constexpr int kPreviewPixelBytes = 4;

// Bytes that are all zero when assigned, and keep their memory when emptied:
// touching fresh pages costs more than converting into them. Memory beyond
// what was held comes from the system already zero, so a bigger picture
// costs no clearing pass on the dialog's thread; its pages are first
// touched where the render's workers convert rows into them.
class pfPreviewBits {
public:
    // False (and empty) when the memory is not there.
    bool AssignZeros(std::size_t nSize);
    void Clear() { m_nSize = 0; }
    bool IsEmpty() const { return m_nSize == 0; }
    std::size_t Size() const { return m_nSize; }
    uint8_t* Data() { return m_pData.get(); }
    const uint8_t* Data() const { return m_pData.get(); }
    uint8_t& operator[](std::size_t n) { return m_pData[n]; }

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t[], Free> m_pData;
    std::size_t m_nSize = 0;
    std::size_t m_nCapacity = 0;
};

// A bottom-up device-independent bitmap: rows of nStride pixels of blue,
// green and red bytes and an unused one, the picture's top row last.
struct pfPreviewBitmap {
    pfPreviewBits bits;
    int nStride = 0;
    int nHeight = 0;

    bool IsEmpty() const { return bits.IsEmpty(); }
    // Empty, but the memory stays for the next picture.
    void Release()
    {
        bits.Clear();
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
