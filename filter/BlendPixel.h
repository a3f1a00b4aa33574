// The blend kernels: one pixel of source blended over one pixel of
// destination, in place. Pixels are doubles in the unit range; layouts with
// alpha carry it first (a, c1..cn). Called once per output pixel, so the
// kernels allocate nothing and dispatch by one switch on the mode number.
#pragma once

#include "HueSaturation.h"

enum pfBlendMode : unsigned {
    kBlendNormal = 1,
    kBlendMaxWeight,
    kBlendScreen,
    kBlendOverlay,
    kBlendAddition,
    kBlendSubtraction,
    kBlendMultiply,
    kBlendDivide,
    kBlendDifference,
    kBlendExclusion,
    kBlendLighten,
    kBlendDarken,
    kBlendMaximum,
    kBlendMinimum,
    kBlendHue,
    kBlendSaturation,
    kBlendLightness,
    kBlendAlphaAdd,
    kBlendAlphaSub,
    kBlendAlphaMult,
    kBlendAlphaReplace,
    kBlendReplace
};

namespace pfBlend {

constexpr double kWeightFloor = 0.00392156862745098;
constexpr double kDivideGuard = 0.0001;
constexpr double kAlphaGuard = 0.000001;

template <int N>
inline double Intensity(const double* c)
{
    if constexpr (N == 1)
        return c[0];
    else if constexpr (N == 2)
        return 0.5 * c[0] + 0.5 * c[1];
    else
        return 0.292687786 * c[0] + 0.552149646 * c[1] + 0.155162568 * c[2];
}

template <int N>
inline double Peak(const double* c)
{
    double m = c[0];
    for (int k = 1; k < N; ++k)
        m = c[k] > m ? c[k] : m;
    return m;
}

inline double Clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

inline double Overlay(double base, double blend)
{
    const double r = base < 0.5 ? 2 * base * blend : 1 - 2 * (1 - base) * (1 - blend);
    return Clamp01(r);
}

inline double MaxWeight(double peak)
{
    return peak * 255 <= 1 ? kWeightFloor : peak;
}

// What blending needs of a source pixel beyond its values, worked out once
// for a run of pixels with the same source: the intensity of its colours
// and, in the hue, saturation and lightness modes of three channels, their
// hue, saturation and lightness (premultiplied with alpha).
struct pfSourceTraits {
    double fIntensity = 0;
    pfHSL hsl;
};

template <int N, bool bAlpha>
inline pfSourceTraits SourceTraits(const double* s, unsigned nMode)
{
    const double* sc = bAlpha ? s + 1 : s;
    pfSourceTraits traits;
    traits.fIntensity = Intensity<N>(sc);
    if constexpr (N == 3) {
        if (nMode >= kBlendHue && nMode <= kBlendLightness) {
            double ps[3];
            for (int k = 0; k < 3; ++k)
                ps[k] = bAlpha ? s[0] * sc[k] : sc[k];
            traits.hsl = ToHSL(ps);
        }
    }
    return traits;
}

// Per-channel formula shared by both layouts for the modes that treat each
// channel alone; d is the (premultiplied) destination, s the (premultiplied)
// source channel.
inline double ChannelFormula(unsigned nMode, double d, double s)
{
    switch (nMode) {
    case kBlendScreen: {
        const double r = (1 - s) * d + s;
        return r > 1 ? 1 : r;
    }
    case kBlendAddition: {
        const double r = d + s;
        return r > 1 ? 1 : r;
    }
    case kBlendSubtraction: {
        const double r = d - s;
        return r < 0 ? 0 : r;
    }
    case kBlendDifference: {
        const double r = d - s;
        return r < 0 ? -r : r;
    }
    case kBlendExclusion: return (1 - s) * d + (1 - d) * s;
    case kBlendLighten: return s > d ? s : d;
    case kBlendDarken: return s < d ? s : d;
    default: return d;
    }
}

// Colour layouts without alpha: c1..cN.
template <int N>
inline void BlendColors(double* d, const double* s, unsigned nMode, const pfSourceTraits& traits)
{
    switch (nMode) {
    case kBlendNormal:
        for (int k = 0; k < N; ++k)
            d[k] = s[k];
        break;
    case kBlendMaxWeight: {
        const double w = MaxWeight(Peak<N>(s));
        for (int k = 0; k < N; ++k)
            d[k] = (1 - w) * d[k] + (1 - (1 - w)) * s[k];
        break;
    }
    case kBlendScreen:
    case kBlendAddition:
    case kBlendSubtraction:
    case kBlendDifference:
    case kBlendExclusion:
    case kBlendLighten:
    case kBlendDarken:
        for (int k = 0; k < N; ++k)
            d[k] = ChannelFormula(nMode, d[k], s[k]);
        break;
    case kBlendOverlay:
        for (int k = 0; k < N; ++k)
            d[k] = Overlay(d[k], s[k]);
        break;
    case kBlendMultiply:
        for (int k = 0; k < N; ++k)
            d[k] = d[k] * s[k];
        break;
    case kBlendDivide:
        for (int k = 0; k < N; ++k) {
            const double r = d[k] / (s[k] + kDivideGuard);
            d[k] = r > 1 ? 1 : r;
        }
        break;
    case kBlendMaximum:
        if (Intensity<N>(d) < traits.fIntensity)
            for (int k = 0; k < N; ++k)
                d[k] = s[k];
        break;
    case kBlendMinimum:
        if (traits.fIntensity < Intensity<N>(d))
            for (int k = 0; k < N; ++k)
                d[k] = s[k];
        break;
    case kBlendHue:
    case kBlendSaturation:
    case kBlendLightness:
        if constexpr (N == 3) {
            if (nMode == kBlendLightness && traits.hsl.fLightness == 0 && SmallestChannel(d) >= 0 &&
                LargestChannel(d) <= 1) {
                // Any hue and saturation at lightness 0 is black.
                d[0] = d[1] = d[2] = 0;
                break;
            }
            double y[3];
            CombineHSL(nMode, d, traits.hsl, y);
            for (int k = 0; k < 3; ++k)
                d[k] = y[k];
        }
        break;
    case kBlendAlphaAdd:
    case kBlendAlphaSub:
    case kBlendAlphaMult:
    case kBlendAlphaReplace: break;
    default:
        for (int k = 0; k < N; ++k)
            d[k] = s[k];
        break;
    }
}

// Turns premultiplied results x back into stored colours under the alpha a;
// when a channel outgrows the alpha, the alpha grows to the largest channel.
// A channel whose premultiplied value and alpha are both unchanged keeps its
// stored value, so that the round trip through premultiplied form cannot
// cost an 8-bit sample its last step.
template <int N>
inline void Resolve(double* d, const double* x, const double* p, double a)
{
    double m = x[0];
    for (int k = 1; k < N; ++k)
        m = x[k] > m ? x[k] : m;
    if (m <= a + kAlphaGuard) {
        const bool bSameAlpha = a == d[0];
        const double divisor = a >= kAlphaGuard ? a : a + kAlphaGuard;
        for (int k = 0; k < N; ++k)
            if (!(bSameAlpha && x[k] == p[k]))
                d[1 + k] = x[k] / divisor;
        d[0] = a;
    } else {
        for (int k = 0; k < N; ++k)
            d[1 + k] = x[k] / m;
        d[0] = m;
    }
}

// Colour layouts with alpha: a, c1..cN.
template <int N>
inline void BlendWithAlpha(double* d, const double* s, unsigned nMode, const pfSourceTraits& traits)
{
    const double da = d[0], sa = s[0];
    const double* dc = d + 1;
    const double* sc = s + 1;
    double p[N], ps[N], x[N];
    for (int k = 0; k < N; ++k) {
        p[k] = da * dc[k];
        ps[k] = sa * sc[k];
    }
    const double coverAlpha = sa * (1 - da) + da;

    switch (nMode) {
    case kBlendNormal: {
        const double a = (1 - sa) * da + sa;
        if (!(a > 0))
            return;  // nothing covers the pixel: it stays as it was
        for (int k = 0; k < N; ++k)
            d[1 + k] = ((1 - sa) * da * dc[k] + sa * sc[k]) / a;
        d[0] = a;
        return;
    }
    case kBlendMaxWeight: {
        double w = sa * Peak<N>(sc);
        w = w * 255 <= 1 ? kWeightFloor : w;
        for (int k = 0; k < N; ++k)
            x[k] = (1 - w) * p[k] + (1 - (1 - w)) * sc[k];
        Resolve<N>(d, x, p, da);
        return;
    }
    case kBlendScreen:
    case kBlendAddition:
    case kBlendSubtraction:
    case kBlendDifference:
    case kBlendExclusion:
    case kBlendLighten:
    case kBlendDarken:
        for (int k = 0; k < N; ++k)
            x[k] = ChannelFormula(nMode, p[k], ps[k]);
        Resolve<N>(d, x, p, da);
        return;
    case kBlendOverlay: {
        for (int k = 0; k < N; ++k)
            x[k] = Clamp01(sa * Overlay(p[k], sc[k]) + (1 - sa) * p[k] + sa * sc[k] * (1 - da));
        Resolve<N>(d, x, p, Clamp01(da));
        return;
    }
    case kBlendMultiply:
        for (int k = 0; k < N; ++k)
            x[k] = (1 - sa) * p[k] + sa * sc[k] * p[k] + sa * sc[k] * (1 - da);
        Resolve<N>(d, x, p, coverAlpha);
        return;
    case kBlendDivide:
        for (int k = 0; k < N; ++k) {
            const double r = da * p[k] / (ps[k] + kDivideGuard);
            x[k] = (r > 1 ? 1 : r) + ps[k] * (1 - da);
        }
        Resolve<N>(d, x, p, coverAlpha);
        return;
    case kBlendMaximum:
        if (sa * traits.fIntensity <= da * Intensity<N>(dc))
            return;
        Resolve<N>(d, ps, p, da);
        return;
    case kBlendMinimum:
        if (da * Intensity<N>(dc) <= sa * traits.fIntensity)
            return;
        Resolve<N>(d, ps, p, da);
        return;
    case kBlendHue:
    case kBlendSaturation:
    case kBlendLightness:
        if constexpr (N == 3) {
            double y[3];
            CombineHSL(nMode, p, traits.hsl, y);
            for (int k = 0; k < 3; ++k)
                x[k] = sa * y[k] + (1 - sa) * p[k] + sa * sc[k] * (1 - da);
            Resolve<N>(d, x, p, coverAlpha);
        }
        return;
    case kBlendAlphaAdd: d[0] = Clamp01(da + sa * traits.fIntensity); return;
    case kBlendAlphaSub: {
        const double a = da - sa * traits.fIntensity;
        d[0] = a < 0 ? 0 : a;
        return;
    }
    case kBlendAlphaMult: d[0] = Clamp01(da * sa * traits.fIntensity); return;
    case kBlendAlphaReplace: d[0] = Clamp01(sa * traits.fIntensity); return;
    default:
        for (int k = 0; k <= N; ++k)
            d[k] = s[k];
        return;
    }
}

}  // namespace pfBlend

// N colour channels, with or without a leading alpha; the six layouts of
// the render are the six instantiations. traits are those of pSource.
template <int N, bool bAlpha>
inline void BlendPixel(double* pDest, const double* pSource, unsigned nMode, const pfBlend::pfSourceTraits& traits)
{
    static_assert(N >= 1 && N <= 3, "one to three colour channels");
    if constexpr (bAlpha)
        pfBlend::BlendWithAlpha<N>(pDest, pSource, nMode, traits);
    else
        pfBlend::BlendColors<N>(pDest, pSource, nMode, traits);
}

template <int N, bool bAlpha>
inline void BlendPixel(double* pDest, const double* pSource, unsigned nMode)
{
    BlendPixel<N, bAlpha>(pDest, pSource, nMode, pfBlend::SourceTraits<N, bAlpha>(pSource, nMode));
}
