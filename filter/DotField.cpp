#include "DotField.h"

#include "PortableMath.h"
#include "RenderInterrupt.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace {

// Huge loop counts must stay abortable: the interruption check also runs
// within an outer step, every so many dots.
constexpr uint64_t kDotsPerCheck = 65536;

// Whole part of a non-negative count, saturating instead of overflowing.
uint64_t WholeCount(double fCount)
{
    if (!(fCount >= 1))
        return 0;
    if (fCount >= 18446744073709551615.0)
        return UINT64_MAX;
    return uint64_t(fCount);
}

int32_t ProgressValue(double fValue)
{
    return fValue >= double(INT32_MAX) ? INT32_MAX : int32_t(fValue);
}

// Progress of the synthesis in the first half of the bar. Each outer step
// counts as nSlices units, one for each interruption check within it, so
// that the bar moves wherever the abort check runs and never goes back;
// with short steps (one slice) a step counts one unit and the total is
// twice the outer count.
class SynthesisProgress {
public:
    SynthesisProgress(const FilterRecord* pFilterRecord, double fOuter, uint64_t nInner)
        : m_pFilterRecord(pFilterRecord), m_fInner(double(nInner))
    {
        const double fSteps = std::ceil(fOuter);
        const double fMaxSlices = std::floor(double(INT32_MAX) / (2 * fSteps));
        m_fSlices = std::max(1.0, std::min(std::ceil(m_fInner / double(kDotsPerCheck)), fMaxSlices));
        m_nTotal = ProgressValue(m_fSlices > 1 ? 2 * fSteps * m_fSlices : std::trunc(2 * fOuter));
    }

    // nDone dots of outer step j are placed.
    void Within(int64_t j, uint64_t nDone) const
    {
        const double fSlice = std::min(m_fSlices - 1, std::floor(double(nDone) / m_fInner * m_fSlices));
        Report(double(j) * m_fSlices + fSlice);
    }

    void StepDone(int64_t j) const { Report(double(j) * m_fSlices + m_fSlices - 1); }

private:
    void Report(double fDone) const
    {
        if (m_pFilterRecord && m_pFilterRecord->progressProc)
            m_pFilterRecord->progressProc(ProgressValue(fDone), m_nTotal);
    }

    const FilterRecord* m_pFilterRecord;
    double m_fInner;
    double m_fSlices = 1;
    int32_t m_nTotal = 0;
};

}  // namespace

DotFieldSettings MakeDotFieldSettings(const pfRenderSnapshot& snapshot, int32_t nWidth, int32_t nHeight,
                                      int32_t nScaleX, int32_t nScaleY)
{
    DotFieldSettings s;
    s.fOffsetX1 = DegreesToRadians(snapshot.fOffsetX1);
    s.fOffsetX2 = DegreesToRadians(snapshot.fOffsetX2);
    s.fOffsetY1 = DegreesToRadians(snapshot.fOffsetY1);
    s.fOffsetY2 = DegreesToRadians(snapshot.fOffsetY2);
    s.fWeightX1X2 = snapshot.fWeightX1X2;
    s.fWeightY1Y2 = snapshot.fWeightY1Y2;
    s.fInnerAngleX1 = DegreesToRadians(snapshot.fInnerAngleX1);
    s.fInnerAngleX2 = DegreesToRadians(snapshot.fInnerAngleX2);
    s.fInnerAngleY1 = DegreesToRadians(snapshot.fInnerAngleY1);
    s.fInnerAngleY2 = DegreesToRadians(snapshot.fInnerAngleY2);
    s.fOuterAngleX1 = DegreesToRadians(snapshot.fOuterAngleX1);
    s.fOuterAngleX2 = DegreesToRadians(snapshot.fOuterAngleX2);
    s.fOuterAngleY1 = DegreesToRadians(snapshot.fOuterAngleY1);
    s.fOuterAngleY2 = DegreesToRadians(snapshot.fOuterAngleY2);
    s.fInnerDensity = snapshot.fInnerDensity;
    s.fOuterDensity = snapshot.fOuterDensity;
    s.bAntialias = snapshot.bAntialias;

    const double fPass = snapshot.nRenderPass > 0 ? double(snapshot.nRenderPass) : 0.0;
    const double sx = double(std::max(nScaleX, 1));
    const double sy = double(std::max(nScaleY, 1));
    s.fDivisorX = fPass + sx;
    s.fDivisorY = fPass + sy;
    s.fGain = (1 / (sx * sy)) / (1 / (s.fDivisorY * s.fDivisorX)) * snapshot.fAddFactor;

    // The image size relative to 640 x 480: larger images get brighter dots,
    // smaller ones fewer.
    const double rx = sx * nWidth * 0.0015625;
    const double ry = sy * nHeight * 0.0020833333333333333;
    if (rx >= 1)
        s.fGain = s.fGain * rx;
    else
        s.fDivisorX = s.fDivisorX / rx;
    if (ry >= 1)
        s.fGain = s.fGain * ry;
    else
        s.fDivisorY = s.fDivisorY / ry;

    // Finite, so that a zero deposit weight never meets an infinite dot.
    const double fIntensity = snapshot.fAddFactor * s.fGain;
    s.fIntensity = std::isnan(fIntensity) ? 0.0 : std::min(fIntensity, double(FLT_MAX));
    return s;
}

DotCounts ComputeDotCounts(const DotFieldSettings& settings)
{
    double a = settings.fInnerDensity;
    double b = settings.fOuterDensity;
    if (a > b)
        a = a / settings.fDivisorX;
    else
        b = b / settings.fDivisorX;
    if (a > b)
        a = a / settings.fDivisorY;
    else
        b = b / settings.fDivisorY;
    return DotCounts{a * 500, b * 500};
}

double CountDots(const DotCounts& counts)
{
    if (!(counts.fInner >= 1 && counts.fOuter >= 1))
        return 0;
    return std::ceil(counts.fOuter) * std::trunc(counts.fInner);
}

int16_t SynthesizeDotField(const FieldView& field, const DotFieldSettings& settings,
                           const FilterRecord* pFilterRecord)
{
    const int32_t nWidth = field.nWidth, nHeight = field.nHeight;
    const double wx = settings.fWeightX1X2 * 0.5 + 0.5;
    const double wy = settings.fWeightY1Y2 * 0.5 + 0.5;
    const double ax1 = nWidth * wx * 0.5 - 1, ax2 = nWidth * (1 - wx) * 0.5 - 1;
    const double ay1 = nHeight * wy * 0.5 - 1, ay2 = nHeight * (1 - wy) * 0.5 - 1;
    const DotCounts counts = ComputeDotCounts(settings);

    std::fill(field.pBase, field.pBase + std::ptrdiff_t(nWidth) * nHeight, 0.0f);
    if (!(counts.fInner >= 1 && counts.fOuter >= 1))
        return noErr;

    const double dx1 = settings.fInnerAngleX1 / counts.fInner, dx2 = settings.fInnerAngleX2 / counts.fInner;
    const double dy1 = settings.fInnerAngleY1 / counts.fInner, dy2 = settings.fInnerAngleY2 / counts.fInner;
    const double cx = double(nWidth / 2), cy = double(nHeight / 2);
    const uint64_t nInner = WholeCount(counts.fInner);
    const SynthesisProgress progress(pFilterRecord, counts.fOuter, nInner);
    const double fIntensity = settings.fIntensity;
    const bool bAntialias = settings.bAntialias;

    uint64_t nSinceCheck = 0;
    // Signed, so that its conversion to double stays in SSE2 on 32-bit builds.
    for (int64_t j = 0; double(j) < counts.fOuter; ++j) {
        const double t = (double(j) + 0.5) / counts.fOuter;
        double phx1 = t * settings.fOuterAngleX1, phx2 = t * settings.fOuterAngleX2;
        double phy1 = t * settings.fOuterAngleY1 + t * settings.fOuterAngleY2, phy2 = 0;
        for (uint64_t i = 0; i < nInner; ++i) {
            phx1 += dx1;
            phy1 += dy1;
            phx2 += dx2;
            phy2 += dy2;
            const double px =
                ax1 * PortableSin(phx1 + settings.fOffsetX1) + ax2 * PortableSin(phx2 + settings.fOffsetX2) + cx;
            const double py =
                ay1 * PortableCos(phy1 + settings.fOffsetY1) + ay2 * PortableCos(phy2 + settings.fOffsetY2) + cy;
            DepositDot(field, px, py, fIntensity, bAntialias);
            if (++nSinceCheck == kDotsPerCheck) {
                nSinceCheck = 0;
                progress.Within(j, i + 1);
                if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
                    return nResult;
            }
        }
        progress.StepDone(j);
        nSinceCheck = 0;
        if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
            return nResult;
    }
    return noErr;
}

void DepositDot(const FieldView& field, double px, double py, double fIntensity, bool bAntialias)
{
    const int32_t nWidth = field.nWidth, nHeight = field.nHeight;
    if (!bAntialias) {
        // Truncation toward zero: anything above -1 lands in column or row 0.
        if (!(px > -1 && px < nWidth && py > -1 && py < nHeight))
            return;
        field.Row(int32_t(py))[int32_t(px)] += fIntensity;
        return;
    }
    if (!(px >= 0 && px < nWidth && py >= 0 && py < nHeight))
        return;
    const int32_t ix = int32_t(px), iy = int32_t(py);
    const double fx = px - ix, fy = py - iy;
    int32_t nx = fx > 0 ? 1 : -1;
    int32_t ny = fy > 0 ? 1 : -1;
    const double kx = 1 - std::fabs(fx), ky = 1 - std::fabs(fy);
    // At the border the neighbour folds back onto the dot's own pixel.
    if ((ix == 0 && nx < 0) || (ix == nWidth - 1 && nx > 0))
        nx = 0;
    if ((iy == 0 && ny < 0) || (iy == nHeight - 1 && ny > 0))
        ny = 0;
    float* pRow = field.Row(iy);
    float* pNeighbourRow = field.Row(iy + ny);
    pRow[ix] += fIntensity * kx * ky;
    pRow[ix + nx] += fIntensity * (1 - kx) * ky;
    pNeighbourRow[ix] += fIntensity * kx * (1 - ky);
    pNeighbourRow[ix + nx] += fIntensity * (1 - ky) * (1 - kx);
}
