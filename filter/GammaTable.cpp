#include "GammaTable.h"

#include "framework/math/PortableMath.h"
#include "framework/platform/Platform.h"
#include "framework/render/RenderMemory.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

// The last table made. A preview render after any change but gamma needs
// the same table again, and its 32768 powers cost about a millisecond, a
// tenth of such a render. The copy is the same bits as a fresh table.
struct pfLastGammaTable {
    pfLock lock;
    double fGammaCorrection = 0.0;
    std::vector<float> values;
};

pfLastGammaTable& LastTable()
{
    static pfLastGammaTable table;
    return table;
}

// Bit for bit, as the kept field compares its settings: NaN matches itself.
bool SameGamma(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

pfRenderFloats MakeGammaTable(double fGammaCorrection)
{
    pfRenderFloats pTable = AllocateRenderFloats(kGammaTableSize);
    if (!pTable)
        return pTable;
    pfLastGammaTable& last = LastTable();
    const std::lock_guard<pfLock> guard(last.lock);
    if (!last.values.empty() && SameGamma(last.fGammaCorrection, fGammaCorrection)) {
        std::copy(last.values.begin(), last.values.end(), pTable.get());
        return pTable;
    }
    const double fExponent = 1 / fGammaCorrection;
    for (int32_t i = 0; i < kGammaTableSize; ++i)
        pTable[i] = float(PortablePow(i * 3.051850947599719e-05, fExponent));
    try {
        last.values.assign(pTable.get(), pTable.get() + kGammaTableSize);
        last.fGammaCorrection = fGammaCorrection;
    } catch (const std::bad_alloc&) {
        last.values.clear();
    }
    return pTable;
}
