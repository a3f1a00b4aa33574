// The dot-field synthesis: dots placed along sums of sines (x) and cosines
// (y), their intensities summed into a float field the size of the output.
#pragma once

#include "PixelView.h"
#include "RenderSnapshot.h"

#include "framework/hostinterface/HostInterface.h"
#include "framework/render/RenderMemory.h"
#include "framework/platform/WorkerTeam.h"

#include <cstdint>

// What one synthesis needs; angles and offsets in radians.
struct DotFieldSettings {
    double fOffsetX1 = 0, fOffsetX2 = 0, fOffsetY1 = 0, fOffsetY2 = 0;
    double fWeightX1X2 = 0, fWeightY1Y2 = 0;
    double fInnerAngleX1 = 0, fInnerAngleX2 = 0, fInnerAngleY1 = 0, fInnerAngleY2 = 0;
    double fOuterAngleX1 = 0, fOuterAngleX2 = 0, fOuterAngleY1 = 0, fOuterAngleY2 = 0;
    double fInnerDensity = 0, fOuterDensity = 0;
    double fGain = 1;
    bool bAntialias = false;
    double fDivisorX = 1, fDivisorY = 1;
    double fIntensity = 0;
};

// Degrees to radians with the pattern's own value of pi.
inline double DegreesToRadians(double fDegrees)
{
    return fDegrees * 3.1415926535 * 0.005555555555555556;
}

// Scale compensation: the settings for a W x H output rectangle drawn at
// image scale (nScaleX, nScaleY) in render pass nRenderPass, chosen so that a
// reduced preview shows the dots per pixel and the brightness of the final
// image, and each further pass draws fewer dots.
DotFieldSettings MakeDotFieldSettings(const pfRenderSnapshot& snapshot, int32_t nWidth, int32_t nHeight,
                                      int32_t nScaleX, int32_t nScaleY);

// What a field synthesised with these settings into a W x H field holds:
// every value the synthesis reads, so equal descriptions give equal fields.
pfFieldContents DescribeField(const DotFieldSettings& settings, int32_t nWidth, int32_t nHeight);

// Inner count: dots per outer step (its whole part); outer count: outer
// steps (rounded up).
struct DotCounts {
    double fInner = 0;
    double fOuter = 0;
};
DotCounts ComputeDotCounts(const DotFieldSettings& settings);

// The number of dots a synthesis places, as a double (it may exceed any
// integer type).
double CountDots(const DotCounts& counts);

// Clears the field and places every dot. Returns 0, the non-zero outcome
// of the interruption check, or -108 when its buffers cannot be had. With a
// team, its workers share the work; the host is called from the calling
// thread only, and the field holds the same bits with any team.
int16_t SynthesizeDotField(const FieldView& field, const DotFieldSettings& settings,
                           const FilterRecord* pFilterRecord, pfWorkerTeam* pTeam = nullptr);

// The two halves of the synthesis: clearing the field, and placing every
// dot into a field already clear (a fresh render field is).
void ClearField(const FieldView& field, pfWorkerTeam* pTeam);
int16_t PlaceDots(const FieldView& field, const DotFieldSettings& settings, const FilterRecord* pFilterRecord,
                  pfWorkerTeam* pTeam);

// Adds one dot of the given intensity at (px, py); dots outside are dropped.
void DepositDot(const FieldView& field, double px, double py, double fIntensity, bool bAntialias);
