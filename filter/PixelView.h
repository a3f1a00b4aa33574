// Views on the buffers a render works on: the host's interleaved image and
// mask buffers, and the float field of summed dot intensities.
#pragma once

#include <cstddef>
#include <cstdint>

struct PixelView {
    uint8_t* pCursor = nullptr;
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    int32_t nRowBytes = 0;
    int32_t nColumnStride = 0;
    int32_t nAlphaIndex = 0;  // -1: the buffer holds no transparency
    bool bValid = false;
    uint8_t* pBase = nullptr;

    uint8_t* Row(int32_t y) const { return pBase + std::ptrdiff_t(y) * nRowBytes; }
};

inline PixelView MakePixelView(void* pData, int32_t nWidth, int32_t nHeight, int32_t nRowBytes,
                               int32_t nColumnStride, int32_t nAlphaIndex)
{
    PixelView view;
    view.pBase = static_cast<uint8_t*>(pData);
    view.pCursor = view.pBase;
    view.nWidth = nWidth;
    view.nHeight = nHeight;
    view.nRowBytes = nRowBytes;
    view.nColumnStride = nColumnStride;
    view.nAlphaIndex = nAlphaIndex;
    view.bValid = pData != nullptr;
    return view;
}

struct FieldView {
    float* pCursor = nullptr;
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    int32_t nRowBytes = 0;
    bool bValid = false;
    float* pBase = nullptr;
    // Floats from one row to the next: the width, or more for a window on
    // a wider field.
    int32_t nStride = 0;

    float* Row(int32_t y) const { return pBase + std::ptrdiff_t(y) * nStride; }
};

inline FieldView MakeFieldView(float* pField, int32_t nWidth, int32_t nHeight)
{
    FieldView view;
    view.pBase = pField;
    view.pCursor = pField;
    view.nWidth = nWidth;
    view.nHeight = nHeight;
    view.nRowBytes = nWidth * int32_t(sizeof(float));
    view.bValid = pField != nullptr;
    view.nStride = nWidth;
    return view;
}

// The nWidth x nHeight part of a view whose top left pixel is (x, y); the
// caller keeps it inside. An invalid view stays invalid.
inline PixelView WindowOf(const PixelView& view, int32_t x, int32_t y, int32_t nWidth, int32_t nHeight)
{
    PixelView window = view;
    if (view.bValid)
        window.pBase = view.Row(y) + std::ptrdiff_t(x) * view.nColumnStride;
    window.pCursor = window.pBase;
    window.nWidth = nWidth;
    window.nHeight = nHeight;
    return window;
}

inline FieldView WindowOf(const FieldView& view, int32_t x, int32_t y, int32_t nWidth, int32_t nHeight)
{
    FieldView window = view;
    window.pBase = view.Row(y) + x;
    window.pCursor = window.pBase;
    window.nWidth = nWidth;
    window.nHeight = nHeight;
    return window;
}
