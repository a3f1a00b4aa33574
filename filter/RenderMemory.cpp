#include "RenderMemory.h"

#include <limits>

namespace {
uint64_t g_nRenderMemoryLimit = std::numeric_limits<uint64_t>::max();
}

pfRenderFloats AllocateRenderFloats(uint64_t nCount)
{
    // Checked in 64 bits: a 32767 x 32767 field overflows a 32-bit size_t.
    const uint64_t nMaxCount = std::numeric_limits<std::size_t>::max() / sizeof(float);
    if (nCount > nMaxCount || nCount * sizeof(float) > g_nRenderMemoryLimit)
        return nullptr;
    // calloc of zero bytes may give null: ask for one float at least.
    return pfRenderFloats(static_cast<float*>(std::calloc(std::size_t(nCount > 0 ? nCount : 1), sizeof(float))));
}

uint64_t SetRenderMemoryLimit(uint64_t nBytes)
{
    const uint64_t nPrevious = g_nRenderMemoryLimit;
    g_nRenderMemoryLimit = nBytes;
    return nPrevious;
}
