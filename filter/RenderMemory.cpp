#include "RenderMemory.h"

#include <limits>
#include <new>

namespace {
uint64_t g_nRenderMemoryLimit = std::numeric_limits<uint64_t>::max();
}

std::unique_ptr<float[]> AllocateRenderFloats(uint64_t nCount)
{
    // Checked in 64 bits: a 32767 x 32767 field overflows a 32-bit size_t.
    const uint64_t nMaxCount = std::numeric_limits<std::size_t>::max() / sizeof(float);
    if (nCount > nMaxCount || nCount * sizeof(float) > g_nRenderMemoryLimit)
        return nullptr;
    return std::unique_ptr<float[]>(new (std::nothrow) float[std::size_t(nCount)]);
}

uint64_t SetRenderMemoryLimit(uint64_t nBytes)
{
    const uint64_t nPrevious = g_nRenderMemoryLimit;
    g_nRenderMemoryLimit = nBytes;
    return nPrevious;
}
