// The gamma table and the source colour a field value stands for.
#pragma once

#include "framework/render/RenderMemory.h"

#include <cstdint>

constexpr int32_t kGammaTableSize = 32768;

// Entry i = (i / 32767) ^ (1 / fGammaCorrection); null when out of memory.
pfRenderFloats MakeGammaTable(double fGammaCorrection);

// One colour channel of the source pixel: the field value v coloured with
// fColor, limited to the unit range and gamma-corrected through the table.
// The limit also keeps NaN and infinity from ever becoming an index.
inline double SourceValue(double v, double fColor, bool bClipColor, const float* pGammaTable)
{
    if (bClipColor && v > 1)
        v = 1;
    double s = fColor * v;
    if (!(s > 0))
        s = 0;
    else if (s > 1)
        s = 1;
    return pGammaTable[int32_t(s * 32767)];
}
