#include "GammaTable.h"

#include "RenderMemory.h"

#include <cmath>

std::unique_ptr<float[]> MakeGammaTable(double fGammaCorrection)
{
    std::unique_ptr<float[]> pTable = AllocateRenderFloats(kGammaTableSize);
    if (!pTable)
        return pTable;
    const double fExponent = 1 / fGammaCorrection;
    for (int32_t i = 0; i < kGammaTableSize; ++i)
        pTable[i] = float(std::pow(i * 3.051850947599719e-05, fExponent));
    return pTable;
}
