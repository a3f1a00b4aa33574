// The interruption checks and progress reports of the synthesis: where a
// single pass over the dots makes them, and in which units.
#pragma once

#include "DotPath.h"

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>

// Huge loop counts must stay abortable: the interruption check also runs
// within an outer step, every so many dots.
constexpr uint64_t kDotsPerCheck = 65536;

// Progress of the synthesis in the first half of the bar. Each outer step
// counts as nSlices units, one for each interruption check within it, so
// that the bar moves wherever the abort check runs and never goes back;
// with short steps (one slice) a step counts one unit and the total is
// twice the outer count.
class SynthesisProgress {
public:
    SynthesisProgress(const FilterRecord* pFilterRecord, double fOuter, uint64_t nInner);

    // nDone dots of outer step j are placed.
    void Within(int64_t j, uint64_t nDone) const;
    void StepDone(int64_t j) const;

private:
    void Report(double fDone) const;

    const FilterRecord* m_pFilterRecord;
    double m_fInner;
    double m_fSlices = 1;
    int32_t m_nTotal = 0;
};

// The checks (each after its progress report) that a single pass makes
// between the dots from and to: every kDotsPerCheck dots within a step,
// and at the end of every step. Returns the first non-zero check.
int16_t ReplayChecks(const DotCursor& from, const DotCursor& to, uint64_t nInner, const SynthesisProgress& progress,
                     const FilterRecord* pFilterRecord);
