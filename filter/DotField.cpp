#include "DotField.h"

#include "DotDeposit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

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

pfFieldContents DescribeField(const DotFieldSettings& s, int32_t nWidth, int32_t nHeight)
{
    // Twenty doubles and the flag: a setting added without a place here
    // would let a field of other settings pass for this one.
    static_assert(sizeof(DotFieldSettings) == 21 * sizeof(double), "every setting describes the field");
    return {s.fOffsetX1,     s.fOffsetX2,     s.fOffsetY1,     s.fOffsetY2,     s.fWeightX1X2,   s.fWeightY1Y2,
            s.fInnerAngleX1, s.fInnerAngleX2, s.fInnerAngleY1, s.fInnerAngleY2, s.fOuterAngleX1, s.fOuterAngleX2,
            s.fOuterAngleY1, s.fOuterAngleY2, s.fInnerDensity,  s.fOuterDensity,  s.fGain,         s.bAntialias ? 1.0 : 0.0,
            s.fDivisorX,     s.fDivisorY,     s.fIntensity,    double(nWidth),  double(nHeight)};
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
                           const FilterRecord* pFilterRecord, pfWorkerTeam* pTeam)
{
    ClearField(field, pTeam);
    return PlaceDots(field, settings, pFilterRecord, pTeam);
}

void ClearField(const FieldView& field, pfWorkerTeam* pTeam)
{
    const int32_t nMembers = pTeam ? pTeam->GetSize() : 1;
    const auto clearShare = [&field, nMembers](int32_t nMember) {
        const int32_t y0 = int32_t(int64_t(field.nHeight) * nMember / nMembers);
        const int32_t y1 = int32_t(int64_t(field.nHeight) * (nMember + 1) / nMembers);
        std::fill(field.Row(y0), field.Row(y1), 0.0f);
    };
    if (pTeam)
        pTeam->Run(clearShare);
    else
        clearShare(0);
}

void DepositDot(const FieldView& field, double px, double py, double fIntensity, bool bAntialias)
{
    if (bAntialias)
        AddDot<true>(field, px, py, fIntensity);
    else
        AddDot<false>(field, px, py, fIntensity);
}
