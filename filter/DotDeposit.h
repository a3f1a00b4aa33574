// Adding dots to the field: plainly into the pixel a dot falls in, or
// antialiased over that pixel and its nearest neighbours. A dot can be
// added whole or to some rows only: the field's float sums depend only on
// the order of the additions at each pixel, which threads that each own
// some rows and go through the dots in order keep.
#pragma once

#include "PixelView.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct AllRows {
    bool operator()(int32_t) const { return true; }
};

// An antialiased dot anywhere: the neighbour towards the dot is the one
// before when the dot sits on the corner (with weight 0), and at the border
// it folds back onto the dot's own pixel.
template <typename OwnsRow>
inline void AddDotOnEdge(const FieldView& field, int32_t ix, int32_t iy, double fx, double fy, double kx, double ky,
                         double fIntensity, OwnsRow owns)
{
    const int32_t nx = fx > 0 ? (ix < field.nWidth - 1 ? 1 : 0) : (ix > 0 ? -1 : 0);
    const int32_t ny = fy > 0 ? (iy < field.nHeight - 1 ? 1 : 0) : (iy > 0 ? -1 : 0);
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

// The four parts of an antialiased dot past its pixel's corner and before
// the field's last column and row: the dot's pixel, the one after it and the
// two below them, all distinct. With SSE2 two neighbours at a time, each sum
// rounded to float and each weight multiplied in the same order as one at a
// time.
template <typename OwnsRow>
inline void AddInsideDot(const FieldView& field, int32_t ix, int32_t iy, double kx, double ky, double fIntensity,
                         OwnsRow owns)
{
#if defined(__SSE2__)
    const auto addPair = [](float* p, __m128d w) {
        const __m128 v = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
        const __m128 sum = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(v), w));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(sum));
    };
    const __m128d vIntensity = _mm_set1_pd(fIntensity);
    if (owns(iy)) {
        const __m128d w = _mm_mul_pd(_mm_mul_pd(vIntensity, _mm_set_pd(1 - kx, kx)), _mm_set1_pd(ky));
        addPair(field.Row(iy) + ix, w);
    }
    if (owns(iy + 1)) {
        const __m128d w = _mm_mul_pd(_mm_mul_pd(vIntensity, _mm_set_pd(1 - ky, kx)), _mm_set_pd(1 - kx, 1 - ky));
        addPair(field.Row(iy + 1) + ix, w);
    }
#else
    if (owns(iy)) {
        float* pRow = field.Row(iy);
        pRow[ix] = float(pRow[ix] + fIntensity * kx * ky);
        pRow[ix + 1] = float(pRow[ix + 1] + fIntensity * (1 - kx) * ky);
    }
    if (owns(iy + 1)) {
        float* pRow = field.Row(iy + 1);
        pRow[ix] = float(pRow[ix] + fIntensity * kx * (1 - ky));
        pRow[ix + 1] = float(pRow[ix + 1] + fIntensity * (1 - ky) * (1 - kx));
    }
#endif
}

// Adds the parts of one dot that fall in rows for which owns(y) holds; a
// dot outside the field is dropped. Past the range test the only branch
// tells the few dots on an edge from the rest: the dots come in no order
// the branch predictor could learn.
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
        if (fx > 0 && fy > 0 && ix < nWidth - 1 && iy < nHeight - 1)
            AddInsideDot(field, ix, iy, kx, ky, fIntensity, owns);
        else
            AddDotOnEdge(field, ix, iy, fx, fy, kx, ky, fIntensity, owns);
    }
}

// Dots whose field lines are asked for at once: enough to keep the memory
// busy, few enough that the lines are still in the cache when added.
constexpr uint32_t kPrefetchDots = 256;

// Asks for the field line at p, to be written, where the compiler offers
// the hint. Called only from functions that write the field: a compiler
// drops a call to a function whose only effect is a prefetch.
inline void PrefetchForWrite([[maybe_unused]] const float* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p, 1);
#endif
}

// A dot of a chunk as the first pass leaves it for the second: strictly
// inside, with the rows of its own to add to (bit 0 its pixel's row, bit 1
// the next), or (iy < 0) left to AddDot.
struct InsideDot {
    double kx, ky;
    int32_t ix, iy;
    uint32_t n, nRows;
};

// Antialiased dots a chunk at a time: the first pass tells the dots
// strictly inside from the rest, works out where they fall, asks for their
// lines and keeps only those that add to rows owned; the second adds them
// in order, once the lines are on their way. Whether a row is owned is
// settled without branches: it follows no pattern the branch predictor
// could learn, and guessing wrong would cost more than the whole dot.
template <typename OwnsRow>
inline void AddAntialiasedDots(const FieldView& field, const double* px, const double* py, uint32_t nDots,
                               double fIntensity, OwnsRow owns)
{
    const double fLastX = field.nWidth - 1, fLastY = field.nHeight - 1;
    InsideDot dots[kPrefetchDots];
    for (uint32_t nFrom = 0; nFrom < nDots; nFrom += kPrefetchDots) {
        const uint32_t nCount = nDots - nFrom < kPrefetchDots ? nDots - nFrom : kPrefetchDots;
        uint32_t nKept = 0;
        for (uint32_t n = nFrom; n < nFrom + nCount; ++n) {
            InsideDot& dot = dots[nKept];
            dot.n = n;
            dot.iy = -1;
            const double x = px[n], y = py[n];
            if (!(x > 0 && x < fLastX && y > 0 && y < fLastY)) {
                ++nKept;
                continue;
            }
            const int32_t ix = int32_t(x), iy = int32_t(y);
            const double fx = x - ix, fy = y - iy;
            if (!(fx > 0 && fy > 0)) {
                ++nKept;
                continue;
            }
            const uint32_t nRows = uint32_t(owns(iy)) | uint32_t(owns(iy + 1)) << 1;
            dot = {1 - fx, 1 - fy, ix, iy, n, nRows};
            // Lines of rows not owned are not asked for: the dot's own entry
            // stands in for them.
            const float* p = field.Row(iy) + ix;
            const float* pNowhere = reinterpret_cast<const float*>(&dot);
            PrefetchForWrite(nRows & 1 ? p : pNowhere);
            PrefetchForWrite(nRows & 2 ? p + field.nStride : pNowhere);
            nKept += nRows != 0;
        }
        for (uint32_t k = 0; k < nKept; ++k) {
            const InsideDot& dot = dots[k];
            if (dot.iy >= 0) {
                const uint32_t nRows = dot.nRows;
                const int32_t iy = dot.iy;
                AddInsideDot(field, dot.ix, iy, dot.kx, dot.ky, fIntensity,
                             [nRows, iy](int32_t y) { return ((y == iy ? 1u : 2u) & nRows) != 0; });
            } else {
                AddDot<true>(field, px[dot.n], py[dot.n], fIntensity, owns);
            }
        }
    }
}

// Adds the parts of a run of dots that fall in rows for which owns(y)
// holds, in order. The field's lines mostly are not in the cache: they are
// asked for (those of the rows owned) a chunk at a time just before its
// dots are added, not one by one while the positions are computed (only then do
// they arrive in time on the machines measured). Compilers without the hint
// simply wait for memory.
template <bool bAntialias, typename OwnsRow = AllRows>
inline void AddDots(const FieldView& field, const double* px, const double* py, uint32_t nDots, double fIntensity,
                    OwnsRow owns = {})
{
    if constexpr (bAntialias) {
        AddAntialiasedDots(field, px, py, nDots, fIntensity, owns);
    } else {
        const int32_t nWidth = field.nWidth, nHeight = field.nHeight;
        for (uint32_t nFrom = 0; nFrom < nDots; nFrom += kPrefetchDots) {
            const uint32_t nTo = nDots - nFrom < kPrefetchDots ? nDots : nFrom + kPrefetchDots;
            for (uint32_t n = nFrom; n < nTo; ++n)
                if (px[n] >= 0 && px[n] < nWidth && py[n] >= 0 && py[n] < nHeight && owns(int32_t(py[n])))
                    PrefetchForWrite(field.Row(int32_t(py[n])) + int32_t(px[n]));
            for (uint32_t n = nFrom; n < nTo; ++n)
                AddDot<false>(field, px[n], py[n], fIntensity, owns);
        }
    }
}
