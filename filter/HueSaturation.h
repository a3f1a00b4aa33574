// Hue, saturation and lightness of a three-channel colour, for the "hue",
// "saturation" and "lightness" blend modes. Hue is counted in sixths of a
// turn (0 <= hue < 6); channels 1, 2, 3 play red, green and blue.
#pragma once

struct pfHSL {
    double fHue = 0.0;
    double fSaturation = 0.0;
    double fLightness = 0.0;
};

inline double LargestChannel(const double* pColor)
{
    const double mx = pColor[0] > pColor[1] ? pColor[0] : pColor[1];
    return pColor[2] > mx ? pColor[2] : mx;
}

inline double SmallestChannel(const double* pColor)
{
    const double mn = pColor[0] < pColor[1] ? pColor[0] : pColor[1];
    return pColor[2] < mn ? pColor[2] : mn;
}

inline double Lightness(const double* pColor)
{
    return (LargestChannel(pColor) + SmallestChannel(pColor)) / 2;
}

inline pfHSL ToHSL(const double* pColor)
{
    const double c1 = pColor[0], c2 = pColor[1], c3 = pColor[2];
    const double mx = LargestChannel(pColor), mn = SmallestChannel(pColor);

    pfHSL hsl;
    hsl.fLightness = (mx + mn) / 2;
    if (mx == mn)
        return hsl;
    const double d = mx - mn;
    hsl.fSaturation = hsl.fLightness > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    // The first channel equal to the maximum decides the sector.
    if (c1 == mx)
        hsl.fHue = (c2 - c3) / d;
    else if (c2 == mx)
        hsl.fHue = 2 + (c3 - c1) / d;
    else
        hsl.fHue = 4 + (c1 - c2) / d;
    if (hsl.fHue < 0)
        hsl.fHue += 6;
    return hsl;
}

inline double HueToChannel(double m1, double m2, double h)
{
    if (h < 0)
        h += 6;
    else if (h > 6)
        h -= 6;
    if (h < 1)
        return m1 + (m2 - m1) * h;
    if (h < 3)
        return m2;
    if (h < 4)
        return m1 + (m2 - m1) * (4 - h);
    return m1;
}

inline void FromHSL(const pfHSL& hsl, double* pColor)
{
    const double l = hsl.fLightness, sat = hsl.fSaturation;
    if (sat == 0) {
        pColor[0] = pColor[1] = pColor[2] = l;
        return;
    }
    const double m2 = l > 0.5 ? l + sat - l * sat : l * (1 + sat);
    const double m1 = 2 * l - m2;
    pColor[0] = HueToChannel(m1, m2, hsl.fHue + 2);
    pColor[1] = HueToChannel(m1, m2, hsl.fHue);
    pColor[2] = HueToChannel(m1, m2, hsl.fHue - 2);
}

// Mode 15 takes the hue of the source (and drops the destination's
// saturation when the source is grey), 16 its saturation, 17 its lightness;
// everything else comes from the destination. The source comes as its hue,
// saturation and lightness, worked out once for a run of equal sources.
inline void CombineHSL(unsigned nMode, const double* pDest, const pfHSL& source, double* pResult)
{
    if (nMode != 17 && source.fSaturation == 0) {
        // A grey source leaves the destination's lightness alone: its hue
        // and saturation (and their divisions) do not matter.
        pResult[0] = pResult[1] = pResult[2] = Lightness(pDest);
        return;
    }
    pfHSL hsl = ToHSL(pDest);
    if (nMode == 15)
        hsl.fHue = source.fHue;
    else if (nMode == 16)
        hsl.fSaturation = source.fSaturation;
    else
        hsl.fLightness = source.fLightness;
    FromHSL(hsl, pResult);
}

inline void CombineHSL(unsigned nMode, const double* pDest, const double* pSource, double* pResult)
{
    CombineHSL(nMode, pDest, ToHSL(pSource), pResult);
}
