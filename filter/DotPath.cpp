#include "DotPath.h"

#include "framework/math/PortableMath.h"

#include <algorithm>
#include <new>


namespace {

// Whole part of a non-negative count, saturating instead of overflowing.
uint64_t WholeCount(double fCount)
{
    if (!(fCount >= 1))
        return 0;
    if (fCount >= 18446744073709551615.0)
        return UINT64_MAX;
    return uint64_t(fCount);
}

}  // namespace

DotPath::DotPath(const DotFieldSettings& settings, int32_t nWidth, int32_t nHeight, const DotCounts& counts)
    : m_fOuter(counts.fOuter), m_nInner(WholeCount(counts.fInner)), m_Settings(settings)
{
    const double wx = settings.fWeightX1X2 * 0.5 + 0.5;
    const double wy = settings.fWeightY1Y2 * 0.5 + 0.5;
    m_ax1 = nWidth * wx * 0.5 - 1;
    m_ax2 = nWidth * (1 - wx) * 0.5 - 1;
    m_ay1 = nHeight * wy * 0.5 - 1;
    m_ay2 = nHeight * (1 - wy) * 0.5 - 1;
    m_cx = double(nWidth / 2);
    m_cy = double(nHeight / 2);
    m_dx1 = settings.fInnerAngleX1 / counts.fInner;
    m_dx2 = settings.fInnerAngleX2 / counts.fInner;
    m_dy1 = settings.fInnerAngleY1 / counts.fInner;
    m_dy2 = settings.fInnerAngleY2 / counts.fInner;
    MakeSecondVerticalTerms();
}

void DotPath::MakeSecondVerticalTerms()
{
    // Half a megabyte at most: longer steps are few, and the values of a
    // step are computed as often as they are used.
    constexpr uint64_t kMaxDotsKept = uint64_t(1) << 16;
    if (m_nInner == 0 || m_nInner > kMaxDotsKept || !(m_fOuter > 1))
        return;
    m_pSecondVertical.reset(new (std::nothrow) double[m_nInner]);
    if (!m_pSecondVertical)
        return;
    const double dy2 = m_dy2, oy2 = m_Settings.fOffsetY2, ay2 = m_ay2;
    double phy2 = StepStart(0).phy2;
    for (uint64_t i = 0; i < m_nInner; ++i) {
        phy2 += dy2;
        m_pSecondVertical[i] = ay2 * PortableCos(phy2 + oy2);
    }
}

DotCursor DotPath::StepStart(int64_t nStep) const
{
    const double t = (double(nStep) + 0.5) / m_fOuter;
    DotCursor cursor;
    cursor.nStep = nStep;
    cursor.phx1 = t * m_Settings.fOuterAngleX1;
    cursor.phx2 = t * m_Settings.fOuterAngleX2;
    // OuterAngleY2 adds to the first vertical term; the second starts at 0.
    cursor.phy1 = t * m_Settings.fOuterAngleY1 + t * m_Settings.fOuterAngleY2;
    cursor.phy2 = 0;
    return cursor;
}

void DotPath::Normalize(DotCursor& cursor) const
{
    // Signed step numbers keep their conversion to double in SSE2 on 32-bit
    // builds.
    if (cursor.nPlaced >= m_nInner && double(cursor.nStep + 1) < m_fOuter)
        cursor = StepStart(cursor.nStep + 1);
}

bool DotPath::AtEnd(const DotCursor& cursor) const
{
    return m_nInner == 0 || (cursor.nPlaced >= m_nInner && !(double(cursor.nStep + 1) < m_fOuter));
}

uint64_t DotPath::Skip(DotCursor& cursor, uint64_t nDots) const
{
    uint64_t nPassed = 0;
    while (nPassed < nDots && !AtEnd(cursor)) {
        Normalize(cursor);
        const uint64_t nLeftInStep = m_nInner - cursor.nPlaced;
        const uint64_t nTake = nDots - nPassed < nLeftInStep ? nDots - nPassed : nLeftInStep;
        if (nTake == nLeftInStep) {
            // The next step starts afresh: its phases need no additions.
            cursor.nPlaced = m_nInner;
        } else {
            for (uint64_t i = 0; i < nTake; ++i) {
                cursor.phx1 += m_dx1;
                cursor.phy1 += m_dy1;
                cursor.phx2 += m_dx2;
                cursor.phy2 += m_dy2;
            }
            cursor.nPlaced += nTake;
        }
        nPassed += nTake;
    }
    return nPassed;
}

void DotPath::Place(DotCursor& cursor, uint64_t nDots, double* px, double* py) const
{
    // The angles of a block of dots are gathered first: their sines and
    // cosines are then computed two at a time.
    constexpr uint64_t kBlockDots = 64;
    double s1[kBlockDots], s2[kBlockDots], c1[kBlockDots], c2[kBlockDots];
    // Copies in locals: the stores to px and py could alias the members and
    // the cursor, which would then be reread for every dot.
    const double ax1 = m_ax1, ax2 = m_ax2, ay1 = m_ay1, cx = m_cx, cy = m_cy;
    const double dx1 = m_dx1, dx2 = m_dx2, dy1 = m_dy1, dy2 = m_dy2;
    const double ox1 = m_Settings.fOffsetX1, ox2 = m_Settings.fOffsetX2;
    const double oy1 = m_Settings.fOffsetY1, oy2 = m_Settings.fOffsetY2;
    uint64_t n = 0;
    while (n < nDots) {
        Normalize(cursor);
        const uint64_t nTake = std::min(nDots - n, m_nInner - cursor.nPlaced);
        if (nTake == 0)
            break;
        double phx1 = cursor.phx1, phx2 = cursor.phx2, phy1 = cursor.phy1, phy2 = cursor.phy2;
        for (uint64_t nDone = 0; nDone < nTake;) {
            const uint64_t nBlock = std::min(kBlockDots, nTake - nDone);
            for (uint64_t k = 0; k < nBlock; ++k) {
                phx1 += dx1;
                phy1 += dy1;
                phx2 += dx2;
                phy2 += dy2;
                s1[k] = phx1 + ox1;
                s2[k] = phx2 + ox2;
                c1[k] = phy1 + oy1;
                c2[k] = phy2 + oy2;
            }
            PortableSines(s1, s1, nBlock);
            PortableSines(s2, s2, nBlock);
            PortableCosines(c1, c1, nBlock);
            const double* pSecondVertical = SecondVerticalTerms(cursor.nPlaced + nDone, c2, nBlock);
            for (uint64_t k = 0; k < nBlock; ++k, ++n) {
                px[n] = ax1 * s1[k] + ax2 * s2[k] + cx;
                py[n] = ay1 * c1[k] + pSecondVertical[k] + cy;
            }
            nDone += nBlock;
        }
        cursor.phx1 = phx1;
        cursor.phx2 = phx2;
        cursor.phy1 = phy1;
        cursor.phy2 = phy2;
        cursor.nPlaced += nTake;
    }
}

const double* DotPath::SecondVerticalTerms(uint64_t nFirst, double* pAngles, uint64_t nCount) const
{
    if (m_pSecondVertical)
        return m_pSecondVertical.get() + nFirst;
    PortableCosines(pAngles, pAngles, nCount);
    for (uint64_t k = 0; k < nCount; ++k)
        pAngles[k] = m_ay2 * pAngles[k];
    return pAngles;
}
