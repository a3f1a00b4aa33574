// Adding one dot to the field: plainly into the pixel it falls in, or
// antialiased over that pixel and its nearest neighbours.
#pragma once

#include "PixelView.h"

#include <cmath>
#include <cstdint>

template <bool bAntialias>
inline void DepositDotInto(const FieldView& field, double px, double py, double fIntensity)
{
    const int32_t nWidth = field.nWidth, nHeight = field.nHeight;
    if constexpr (!bAntialias) {
        // Truncation toward zero: anything above -1 lands in column or row 0.
        if (!(px > -1 && px < nWidth && py > -1 && py < nHeight))
            return;
        field.Row(int32_t(py))[int32_t(px)] += fIntensity;
    } else {
        if (!(px >= 0 && px < nWidth && py >= 0 && py < nHeight))
            return;
        const int32_t ix = int32_t(px), iy = int32_t(py);
        const double fx = px - ix, fy = py - iy;
        int32_t nx = fx > 0 ? 1 : -1;
        int32_t ny = fy > 0 ? 1 : -1;
        const double kx = 1 - std::fabs(fx), ky = 1 - std::fabs(fy);
        // At the border the neighbour folds back onto the dot's own pixel.
        if ((ix == 0 && nx < 0) || (ix == nWidth - 1 && nx > 0))
            nx = 0;
        if ((iy == 0 && ny < 0) || (iy == nHeight - 1 && ny > 0))
            ny = 0;
        float* pRow = field.Row(iy);
        float* pNeighbourRow = field.Row(iy + ny);
        pRow[ix] += fIntensity * kx * ky;
        pRow[ix + nx] += fIntensity * (1 - kx) * ky;
        pNeighbourRow[ix] += fIntensity * kx * (1 - ky);
        pNeighbourRow[ix + nx] += fIntensity * (1 - ky) * (1 - kx);
    }
}

// Asks the cache for the field around a dot that is about to be added: the
// positions are known a little ahead, the field's lines mostly are not in
// the cache. Only a hint; compilers without it simply wait for memory.
inline void PrefetchDot(const FieldView& field, double px, double py)
{
#if defined(__GNUC__)
    if (px >= 0 && px < field.nWidth && py >= 0 && py < field.nHeight - 1) {
        const float* p = field.Row(int32_t(py)) + int32_t(px);
        __builtin_prefetch(p, 1);
        __builtin_prefetch(p + field.nWidth, 1);
    }
#else
    (void)field, (void)px, (void)py;
#endif
}

// Adds the dots in their order, prefetching a few dots ahead.
template <bool bAntialias>
void DepositDots(const FieldView& field, const double* px, const double* py, int64_t nDots, double fIntensity)
{
    constexpr int64_t kAhead = 12;
    for (int64_t n = 0; n < nDots; ++n) {
        if (n + kAhead < nDots)
            PrefetchDot(field, px[n + kAhead], py[n + kAhead]);
        DepositDotInto<bAntialias>(field, px[n], py[n], fIntensity);
    }
}
