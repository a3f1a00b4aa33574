#include "PlaneCounts.h"

#include <algorithm>

namespace {

int Count(int16_t n)
{
    return std::max<int>(n, 0);
}

}  // namespace

int InputPlaneCount(const FilterRecord& record)
{
    const int nCounted = Count(record.inLayerPlanes) + Count(record.inTransparencyMask) +
                         Count(record.inLayerMasks) + Count(record.inInvertedLayerMasks) +
                         Count(record.inNonLayerPlanes);
    return std::max(nCounted, Count(record.planes));
}

int OutputPlaneCount(const FilterRecord& record)
{
    const int nCounted = Count(record.outLayerPlanes) + Count(record.outTransparencyMask) +
                         Count(record.outLayerMasks) + Count(record.outInvertedLayerMasks) +
                         Count(record.outNonLayerPlanes);
    const int nInput = InputPlaneCount(record);
    return nCounted == 0 ? nInput : std::min(nCounted, nInput);
}
