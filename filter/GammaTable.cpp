#include "GammaTable.h"

#include "framework/math/PortableMath.h"
#include "framework/render/RenderMemory.h"

pfRenderFloats MakeGammaTable(double fGammaCorrection)
{
    pfRenderFloats pTable = AllocateRenderFloats(kGammaTableSize);
    if (!pTable)
        return pTable;
    const double fExponent = 1 / fGammaCorrection;
    for (int32_t i = 0; i < kGammaTableSize; ++i)
        pTable[i] = float(PortablePow(i * 3.051850947599719e-05, fExponent));
    return pTable;
}
