#include "DotPath.h"

#include "DotDeposit.h"
#include "PortableMath.h"


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

void DotPath::Place(DotCursor& cursor, uint64_t nDots, double* px, double* py, const FieldView& field) const
{
    const DotFieldSettings& s = m_Settings;
    for (uint64_t n = 0; n < nDots; ++n) {
        Normalize(cursor);
        cursor.phx1 += m_dx1;
        cursor.phy1 += m_dy1;
        cursor.phx2 += m_dx2;
        cursor.phy2 += m_dy2;
        ++cursor.nPlaced;
        px[n] = m_ax1 * PortableSin(cursor.phx1 + s.fOffsetX1) + m_ax2 * PortableSin(cursor.phx2 + s.fOffsetX2) + m_cx;
        py[n] = m_ay1 * PortableCos(cursor.phy1 + s.fOffsetY1) + m_ay2 * PortableCos(cursor.phy2 + s.fOffsetY2) + m_cy;
        PrefetchDot(field, px[n], py[n]);
    }
}
