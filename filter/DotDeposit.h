// Adding dots to the field: plainly into the pixel a dot falls in, or
// antialiased over that pixel and its nearest neighbours. A dot can be
// added whole or to some rows only: the field's float sums depend only on
// the order of the additions at each pixel, which threads that each own
// some rows and go through the dots in order keep.
#pragma once

#include "PixelView.h"

#include <cstddef>
#include <cstdint>

struct AllRows {
    bool operator()(int32_t) const { return true; }
};

// Adds the parts of one dot that fall in rows for which owns(y) holds; a
// dot outside the field is dropped. Written without data-dependent
// branches past the range test: the dots come in no order the branch
// predictor could learn.
template <bool bAntialias, typename OwnsRow = AllRows>
inline void AddDot(const FieldView& field, double px, double py, double fIntensity, OwnsRow owns = {})
{
    const int32_t nWidth = field.nWidth, nHeight = field.nHeight;
    if constexpr (!bAntialias) {
        // Truncation toward zero: anything above -1 lands in column or row 0.
        if (!(px > -1 && px < nWidth && py > -1 && py < nHeight))
            return;
        const int32_t iy = int32_t(py);
        if (owns(iy)) {
            float& v = field.Row(iy)[int32_t(px)];
            v = float(v + fIntensity);
        }
    } else {
        if (!(px >= 0 && px < nWidth && py >= 0 && py < nHeight))
            return;
        const int32_t ix = int32_t(px), iy = int32_t(py);
        // Never negative: the dot lies at or past its pixel's corner.
        const double fx = px - ix, fy = py - iy;
        const double kx = 1 - fx, ky = 1 - fy;
        // The neighbour towards the dot (the one before when the dot sits on
        // the corner, with weight 0); at the border it folds back onto the
        // dot's own pixel.
        const int32_t nx = fx > 0 ? (ix < nWidth - 1 ? 1 : 0) : (ix > 0 ? -1 : 0);
        const int32_t ny = fy > 0 ? (iy < nHeight - 1 ? 1 : 0) : (iy > 0 ? -1 : 0);
        if (owns(iy)) {
            float* pRow = field.Row(iy);
            pRow[ix] = float(pRow[ix] + fIntensity * kx * ky);
            pRow[ix + nx] = float(pRow[ix + nx] + fIntensity * (1 - kx) * ky);
        }
        if (owns(iy + ny)) {
            float* pRow = field.Row(iy + ny);
            pRow[ix] = float(pRow[ix] + fIntensity * kx * (1 - ky));
            pRow[ix + nx] = float(pRow[ix + nx] + fIntensity * (1 - ky) * (1 - kx));
        }
    }
}

// Dots whose field lines are asked for at once: enough to keep the memory
// busy, few enough that the lines are still in the cache when added.
constexpr uint32_t kPrefetchDots = 256;

// Adds the parts of a run of dots that fall in rows for which owns(y)
// holds, in order. The field's lines mostly are not in the cache: they are
// asked for (those of the rows owned) a chunk at a time just before its
// dots are added, not one by one while the positions are computed (only then do
// they arrive in time on the machines measured). The hint lives here, in
// a function that writes, because the compiler drops a call to a function
// whose only effect is a prefetch. Compilers without the hint simply wait
// for memory.
template <bool bAntialias, typename OwnsRow = AllRows>
inline void AddDots(const FieldView& field, const double* px, const double* py, uint32_t nDots, double fIntensity,
                    OwnsRow owns = {})
{
    const int32_t nWidth = field.nWidth, nHeight = field.nHeight;
    for (uint32_t nFrom = 0; nFrom < nDots; nFrom += kPrefetchDots) {
        const uint32_t nTo = nDots - nFrom < kPrefetchDots ? nDots : nFrom + kPrefetchDots;
#if defined(__GNUC__)
        for (uint32_t n = nFrom; n < nTo; ++n) {
            if (!(px[n] >= 0 && px[n] < nWidth && py[n] >= 0 && py[n] < nHeight - 1))
                continue;
            const int32_t iy = int32_t(py[n]);
            const float* p = field.Row(iy) + int32_t(px[n]);
            if (owns(iy))
                __builtin_prefetch(p, 1);
            if (bAntialias && owns(iy + 1))
                __builtin_prefetch(p + nWidth, 1);
        }
#endif
        for (uint32_t n = nFrom; n < nTo; ++n)
            AddDot<bAntialias>(field, px[n], py[n], fIntensity, owns);
    }
}
