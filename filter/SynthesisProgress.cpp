#include "SynthesisProgress.h"

#include "framework/render/RenderInterrupt.h"

#include <algorithm>
#include <cmath>

namespace {

// Converted through a signed integer: 32-bit builds convert unsigned 64-bit
// integers with x87 arithmetic. Rounding past 2^63 does not matter here.
double CountAsDouble(uint64_t n)
{
    return n > uint64_t(INT64_MAX) ? 2 * double(int64_t(n / 2)) : double(int64_t(n));
}

int32_t ProgressValue(double fValue)
{
    return fValue >= double(INT32_MAX) ? INT32_MAX : int32_t(fValue);
}

}  // namespace

SynthesisProgress::SynthesisProgress(const FilterRecord* pFilterRecord, double fOuter, uint64_t nInner)
    : m_pFilterRecord(pFilterRecord), m_fInner(CountAsDouble(nInner))
{
    const double fSteps = std::ceil(fOuter);
    const double fMaxSlices = std::floor(double(INT32_MAX) / (2 * fSteps));
    m_fSlices = std::max(1.0, std::min(std::ceil(m_fInner / double(kDotsPerCheck)), fMaxSlices));
    m_nTotal = ProgressValue(m_fSlices > 1 ? 2 * fSteps * m_fSlices : std::trunc(2 * fOuter));
}

void SynthesisProgress::Within(int64_t j, uint64_t nDone) const
{
    const double fSlice = std::min(m_fSlices - 1, std::floor(CountAsDouble(nDone) / m_fInner * m_fSlices));
    Report(double(j) * m_fSlices + fSlice);
}

void SynthesisProgress::StepDone(int64_t j) const
{
    Report(double(j) * m_fSlices + m_fSlices - 1);
}

void SynthesisProgress::Report(double fDone) const
{
    if (m_pFilterRecord && m_pFilterRecord->progressProc)
        m_pFilterRecord->progressProc(ProgressValue(fDone), m_nTotal);
}

int16_t ReplayChecks(const DotCursor& from, const DotCursor& to, uint64_t nInner, const SynthesisProgress& progress,
                     const FilterRecord* pFilterRecord)
{
    for (int64_t j = from.nStep; j <= to.nStep; ++j) {
        const uint64_t nBegin = j == from.nStep ? from.nPlaced : 0;
        const uint64_t nEnd = j == to.nStep ? to.nPlaced : nInner;
        if (nBegin >= nEnd)
            continue;
        for (uint64_t nMark = (nBegin / kDotsPerCheck + 1) * kDotsPerCheck; nMark <= nEnd; nMark += kDotsPerCheck) {
            progress.Within(j, nMark);
            if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
                return nResult;
        }
        if (nEnd == nInner) {
            progress.StepDone(j);
            if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
                return nResult;
        }
    }
    return noErr;
}
