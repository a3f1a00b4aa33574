#include "RenderMemory.h"

#include <cstring>
#include <limits>
#include <utility>

namespace {
uint64_t g_nRenderMemoryLimit = std::numeric_limits<uint64_t>::max();

// Renders run on the host's thread only, so the kept field needs no lock.
struct KeptField {
    float* p = nullptr;
    uint64_t nCount = 0;
    pfFieldContents contents;
    ~KeptField() { std::free(p); }
};
KeptField g_KeptField;

bool WithinLimits(uint64_t nCount)
{
    // Checked in 64 bits: a 32767 x 32767 field overflows a 32-bit size_t.
    const uint64_t nMaxCount = std::numeric_limits<std::size_t>::max() / sizeof(float);
    return nCount <= nMaxCount && nCount * sizeof(float) <= g_nRenderMemoryLimit;
}
}  // namespace

void pfFreeMemory::operator()(float* p) const
{
    if (nKeepCount != 0 && !g_KeptField.p) {
        g_KeptField.p = p;
        g_KeptField.nCount = nKeepCount;
        g_KeptField.contents = contents;
        return;
    }
    std::free(p);
}

pfRenderFloats AllocateRenderFloats(uint64_t nCount)
{
    if (!WithinLimits(nCount))
        return nullptr;
    // calloc of zero bytes may give null: ask for one float at least.
    return pfRenderFloats(static_cast<float*>(std::calloc(std::size_t(nCount > 0 ? nCount : 1), sizeof(float))));
}

namespace {
// Bit for bit: a NaN setting matches itself, and 0 and -0 stay apart.
bool SameContents(const pfFieldContents& a, const pfFieldContents& b)
{
    return !a.empty() && a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}
}  // namespace

pfRenderFloats AllocateFieldFloats(uint64_t nCount, bool bPreview, const pfFieldContents& contents, bool& bFilled)
{
    bFilled = false;
    if (bPreview && g_KeptField.p && g_KeptField.nCount >= nCount && WithinLimits(nCount)) {
        const uint64_t nCapacity = g_KeptField.nCount;
        float* p = std::exchange(g_KeptField.p, nullptr);
        bFilled = SameContents(g_KeptField.contents, contents);
        g_KeptField.contents.clear();
        // Given out, the field holds nothing reusable until its synthesis
        // has run to the end.
        pfRenderFloats pField(p, pfFreeMemory{nCapacity, {}});
        if (bFilled)
            pField.get_deleter().contents = contents;
        return pField;
    }
    // Given back before the new request, so that the two never add up.
    ReleaseKeptRenderMemory();
    pfRenderFloats pField = AllocateRenderFloats(nCount);
    if (pField && bPreview && nCount > 0)
        pField.get_deleter().nKeepCount = nCount;
    return pField;
}

void MarkFieldFilled(pfRenderFloats& field, const pfFieldContents& contents)
{
    field.get_deleter().contents = contents;
}

void ReleaseKeptRenderMemory()
{
    std::free(std::exchange(g_KeptField.p, nullptr));
    g_KeptField.nCount = 0;
    g_KeptField.contents.clear();
}

uint64_t SetRenderMemoryLimit(uint64_t nBytes)
{
    const uint64_t nPrevious = g_nRenderMemoryLimit;
    g_nRenderMemoryLimit = nBytes;
    return nPrevious;
}
