// Adding dots to the field: plainly into the pixel a dot falls in, or
// antialiased over that pixel and its nearest neighbours. A dot's landing
// (its pixels and what each receives, in the order they are added) can be
// applied whole or to some rows only: the field's float sums depend only on
// the order of the additions at each pixel, which threads that each own
// some rows and go through the dots in order keep.
#pragma once

#include "PixelView.h"

#include <cmath>
#include <cstdint>

struct DotLanding {
    bool bLands = false;
    bool bAntialias = false;
    int32_t ix = 0, iy = 0, nx = 0, ny = 0;
    // Added at (iy, ix), (iy, ix + nx), (iy + ny, ix), (iy + ny, ix + nx).
    double w[4] = {};
};

// The rows a dot touches (both iy when it touches one); false when the dot
// is dropped.
template <bool bAntialias>
inline bool DotRows(int32_t nWidth, int32_t nHeight, double px, double py, int32_t& y0, int32_t& y1)
{
    if constexpr (!bAntialias) {
        // Truncation toward zero: anything above -1 lands in column or row 0.
        if (!(px > -1 && px < nWidth && py > -1 && py < nHeight))
            return false;
        y0 = y1 = int32_t(py);
    } else {
        if (!(px >= 0 && px < nWidth && py >= 0 && py < nHeight))
            return false;
        y0 = int32_t(py);
        const int32_t ny = py - y0 > 0 ? 1 : -1;
        // At the border the neighbour folds back onto the dot's own row.
        y1 = (y0 == 0 && ny < 0) || (y0 == nHeight - 1 && ny > 0) ? y0 : y0 + ny;
    }
    return true;
}

template <bool bAntialias>
inline DotLanding LandDot(int32_t nWidth, int32_t nHeight, double px, double py, double fIntensity)
{
    DotLanding landing;
    landing.bAntialias = bAntialias;
    if constexpr (!bAntialias) {
        if (!(px > -1 && px < nWidth && py > -1 && py < nHeight))
            return landing;
        landing.ix = int32_t(px);
        landing.iy = int32_t(py);
        landing.w[0] = fIntensity;
    } else {
        if (!(px >= 0 && px < nWidth && py >= 0 && py < nHeight))
            return landing;
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
        landing.ix = ix;
        landing.iy = iy;
        landing.nx = nx;
        landing.ny = ny;
        landing.w[0] = fIntensity * kx * ky;
        landing.w[1] = fIntensity * (1 - kx) * ky;
        landing.w[2] = fIntensity * kx * (1 - ky);
        landing.w[3] = fIntensity * (1 - ky) * (1 - kx);
    }
    landing.bLands = true;
    return landing;
}

// Adds the parts of a landing that fall in rows for which owns(y) holds.
template <typename OwnsRow>
inline void AddLanding(const FieldView& field, const DotLanding& l, OwnsRow owns)
{
    if (!l.bLands)
        return;
    if (owns(l.iy)) {
        float* pRow = field.Row(l.iy);
        pRow[l.ix] += l.w[0];
        if (l.bAntialias)
            pRow[l.ix + l.nx] += l.w[1];
    }
    const int32_t y = l.iy + l.ny;
    if (l.bAntialias && owns(y)) {
        float* pRow = field.Row(y);
        pRow[l.ix] += l.w[2];
        pRow[l.ix + l.nx] += l.w[3];
    }
}

inline void AddLanding(const FieldView& field, const DotLanding& l)
{
    AddLanding(field, l, [](int32_t) { return true; });
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
