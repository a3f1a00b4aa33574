// The sequence of dots a synthesis places: outer step after outer step,
// each of the same number of dots whose phases advance by addition. A
// cursor can be moved over the sequence cheaply and the positions of any
// stretch computed from it, so that stretches can be placed on different
// threads and still give the very positions of one pass in order.
// The second vertical term starts every step at phase 0 and advances by the
// same additions: its values are the same in every step, and are computed
// once.
#pragma once

#include "DotField.h"

#include <cstdint>
#include <memory>

struct DotCursor {
    int64_t nStep = 0;     // outer step j
    uint64_t nPlaced = 0;  // dots of that step placed so far
    double phx1 = 0, phx2 = 0, phy1 = 0, phy2 = 0;
};

class DotPath {
public:
    DotPath(const DotFieldSettings& settings, int32_t nWidth, int32_t nHeight, const DotCounts& counts);

    uint64_t GetDotsPerStep() const { return m_nInner; }
    DotCursor Start() const { return StepStart(0); }
    bool AtEnd(const DotCursor& cursor) const;

    // Moves the cursor over up to nDots dots; returns how many it passed.
    uint64_t Skip(DotCursor& cursor, uint64_t nDots) const;

    // Positions of the next nDots dots (as many as Skip passed from the same
    // cursor), exactly as one pass over the sequence computes them.
    void Place(DotCursor& cursor, uint64_t nDots, double* px, double* py) const;

private:
    DotCursor StepStart(int64_t nStep) const;
    // A cursor at the end of its step moves to the next step's start.
    void Normalize(DotCursor& cursor) const;
    void MakeSecondVerticalTerms();
    // ay2 * cos(phy2 + oy2) for the dots nFirst.. of a step whose angles
    // phy2 + oy2 are at pAngles: kept ones, or computed in place.
    const double* SecondVerticalTerms(uint64_t nFirst, double* pAngles, uint64_t nCount) const;

    double m_ax1, m_ax2, m_ay1, m_ay2, m_cx, m_cy;
    double m_dx1, m_dx2, m_dy1, m_dy2;
    double m_fOuter;
    uint64_t m_nInner;
    const DotFieldSettings& m_Settings;
    // ay2 * cos(phy2 + oy2) for each dot of a step; none for a single step,
    // for steps too long to keep, or when memory is short.
    std::unique_ptr<double[]> m_pSecondVertical;
};
