#include "filter/BlendPixel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Applies one mode to copies of d and s and returns the result.
template <int N, bool bAlpha>
std::array<double, N + bAlpha> Blend(unsigned nMode, std::array<double, N + bAlpha> d,
                                     const std::array<double, N + bAlpha>& s)
{
    BlendPixel<N, bAlpha>(d.data(), s.data(), nMode);
    return d;
}

using Px1 = std::array<double, 1>;
using Px2 = std::array<double, 2>;
using Px3 = std::array<double, 3>;
using Px4 = std::array<double, 4>;

}  // namespace

TEST(BlendModes, ReplaceAndUnknownModesCopyTheSourceAlphaIncluded)
{
    for (unsigned nMode : {0u, 22u, 23u, 1000u}) {
        EXPECT_EQ((Blend<3, false>(nMode, {0.1, 0.2, 0.3}, {0.7, 0.8, 0.9})), (Px3{0.7, 0.8, 0.9}));
        EXPECT_EQ((Blend<3, true>(nMode, {0.4, 0.1, 0.2, 0.3}, {0.6, 0.7, 0.8, 0.9})), (Px4{0.6, 0.7, 0.8, 0.9}));
        EXPECT_EQ((Blend<1, true>(nMode, {0.4, 0.1}, {1.0, 0.7})), (Px2{1.0, 0.7}));
    }
    EXPECT_EQ((Blend<2, false>(kBlendNormal, {0.1, 0.2}, {0.7, 0.8})), (Px2{0.7, 0.8}));
}

TEST(BlendModes, PerChannelModesFollowTheirFormulasInEveryColourLayout)
{
    struct Case {
        unsigned nMode;
        double d, s, expected;
    };
    const Case cases[] = {
        {kBlendScreen, 0.6, 0.3, 0.7 * 0.6 + 0.3},
        {kBlendOverlay, 0.6, 0.3, 1 - 2 * 0.4 * 0.7},
        {kBlendOverlay, 0.2, 0.3, 2 * 0.2 * 0.3},
        {kBlendAddition, 0.6, 0.3, 0.6 + 0.3},
        {kBlendAddition, 0.6, 0.5, 1.0},
        {kBlendSubtraction, 0.6, 0.3, 0.6 - 0.3},
        {kBlendSubtraction, 0.2, 0.3, 0.0},
        {kBlendMultiply, 0.6, 0.3, 0.6 * 0.3},
        {kBlendDivide, 0.02, 0.3, 0.02 / 0.3001},
        {kBlendDivide, 0.6, 0.3, 1.0},
        {kBlendDifference, 0.6, 0.3, 0.6 - 0.3},
        {kBlendDifference, 0.2, 0.3, -(0.2 - 0.3)},
        {kBlendExclusion, 0.6, 0.3, 0.7 * 0.6 + 0.4 * 0.3},
        {kBlendLighten, 0.6, 0.3, 0.6},
        {kBlendLighten, 0.2, 0.3, 0.3},
        {kBlendDarken, 0.6, 0.3, 0.3},
        {kBlendDarken, 0.2, 0.3, 0.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nMode);
        EXPECT_DOUBLE_EQ((Blend<1, false>(c.nMode, {c.d}, {c.s}))[0], c.expected);
        const Px2 two = Blend<2, false>(c.nMode, {c.d, 0.5}, {c.s, 0.5});
        EXPECT_DOUBLE_EQ(two[0], c.expected);
        const Px3 three = Blend<3, false>(c.nMode, {0.5, 0.5, c.d}, {0.5, 0.5, c.s});
        EXPECT_DOUBLE_EQ(three[2], c.expected);
    }
}

TEST(BlendModes, MaxWeightMixesByTheSourcePeakWithAFloorOfOne255th)
{
    const Px2 mixed = Blend<2, false>(kBlendMaxWeight, {0.2, 1.0}, {0.8, 0.4});
    EXPECT_DOUBLE_EQ(mixed[0], 0.2 * 0.2 + 0.8 * 0.8);
    EXPECT_DOUBLE_EQ(mixed[1], 0.2 * 1.0 + 0.8 * 0.4);
    const Px1 dark = Blend<1, false>(kBlendMaxWeight, {1.0}, {1.0 / 255});
    EXPECT_DOUBLE_EQ(dark[0], 254.0 / 255 + 1.0 / 255 / 255);
    const Px1 black = Blend<1, false>(kBlendMaxWeight, {1.0}, {0.0});
    EXPECT_DOUBLE_EQ(black[0], 1 - 0.00392156862745098);
}

TEST(BlendModes, DivideByABlackSourceSaturatesAllButTheDarkest)
{
    const Px3 r = Blend<3, false>(kBlendDivide, {0.5, 0.0, 0.00005}, {0.0, 0.0, 0.0});
    EXPECT_EQ(r[0], 1.0);
    EXPECT_EQ(r[1], 0.0);
    EXPECT_DOUBLE_EQ(r[2], 0.5);
}

TEST(BlendModes, MaximumAndMinimumSwapWholePixelsByIntensity)
{
    const Px3 d{0.2, 0.5, 0.9}, brighter{0.6, 0.6, 0.6};
    EXPECT_EQ((Blend<3, false>(kBlendMaximum, d, brighter)), brighter);
    EXPECT_EQ((Blend<3, false>(kBlendMinimum, d, brighter)), d);
    EXPECT_EQ((Blend<2, false>(kBlendMinimum, {0.8, 0.2}, {0.1, 0.6})), (Px2{0.1, 0.6}));
    // Equal intensities leave the destination alone.
    EXPECT_EQ((Blend<2, false>(kBlendMaximum, {0.8, 0.2}, {0.2, 0.8})), (Px2{0.8, 0.2}));
    EXPECT_EQ((Blend<2, false>(kBlendMinimum, {0.8, 0.2}, {0.2, 0.8})), (Px2{0.8, 0.2}));
    EXPECT_EQ((Blend<2, true>(kBlendMaximum, {0.5, 0.8, 0.2}, {0.5, 0.2, 0.8})), (Px3{0.5, 0.8, 0.2}));
    EXPECT_EQ((Blend<2, true>(kBlendMinimum, {0.5, 0.8, 0.2}, {0.5, 0.2, 0.8})), (Px3{0.5, 0.8, 0.2}));
    // With one channel they are lighten and darken.
    for (double s : {0.1, 0.5, 0.9}) {
        EXPECT_EQ((Blend<1, false>(kBlendMaximum, {0.5}, {s})), (Blend<1, false>(kBlendLighten, {0.5}, {s})));
        EXPECT_EQ((Blend<1, false>(kBlendMinimum, {0.5}, {s})), (Blend<1, false>(kBlendDarken, {0.5}, {s})));
    }
}

TEST(BlendModes, ModesOutsideALayoutLeaveItUnchanged)
{
    for (unsigned nMode : {kBlendHue, kBlendSaturation, kBlendLightness}) {
        EXPECT_EQ((Blend<1, false>(nMode, {0.3}, {0.9})), (Px1{0.3}));
        EXPECT_EQ((Blend<2, true>(nMode, {0.5, 0.3, 0.1}, {1.0, 0.9, 0.2})), (Px3{0.5, 0.3, 0.1}));
    }
    for (unsigned nMode : {kBlendAlphaAdd, kBlendAlphaSub, kBlendAlphaMult, kBlendAlphaReplace})
        EXPECT_EQ((Blend<3, false>(nMode, {0.3, 0.4, 0.5}, {0.9, 0.9, 0.9})), (Px3{0.3, 0.4, 0.5}));
}

TEST(BlendModes, HueSaturationAndLightnessMixTheParts)
{
    // Hue of a grey source: grey at the destination's own lightness.
    const Px3 grey = Blend<3, false>(kBlendHue, {0.8, 0.4, 0.2}, {0.5, 0.5, 0.5});
    EXPECT_DOUBLE_EQ(grey[0], 0.5);
    EXPECT_DOUBLE_EQ(grey[2], 0.5);
    // Hue of pure green onto a reddish colour keeps its saturation and lightness.
    const Px3 green = Blend<3, false>(kBlendHue, {0.8, 0.4, 0.2}, {0.0, 1.0, 0.0});
    EXPECT_DOUBLE_EQ(green[0], 0.2);
    EXPECT_DOUBLE_EQ(green[1], 0.8);
    EXPECT_DOUBLE_EQ(green[2], 0.2);
    // A grey destination under "saturation" takes hue 0, pure first channel.
    const Px3 sat = Blend<3, false>(kBlendSaturation, {0.5, 0.5, 0.5}, {0.0, 0.0, 1.0});
    EXPECT_DOUBLE_EQ(sat[0], 1.0);
    EXPECT_DOUBLE_EQ(sat[1], 0.0);
    EXPECT_DOUBLE_EQ(sat[2], 0.0);
    // "lightness" takes the source's lightness: (0.8, 0.4, 0.2) at L 0.25.
    const Px3 light = Blend<3, false>(kBlendLightness, {0.8, 0.4, 0.2}, {0.25, 0.25, 0.25});
    EXPECT_DOUBLE_EQ(light[0], 0.25 * (1 + 0.6) );
    EXPECT_DOUBLE_EQ(light[2], 2 * 0.25 - 0.25 * 1.6);
    // With opaque alphas the alpha layout gives the same colours.
    const Px4 alpha = Blend<3, true>(kBlendLightness, {1.0, 0.8, 0.4, 0.2}, {1.0, 0.25, 0.25, 0.25});
    EXPECT_NEAR(alpha[1], light[0], 1e-5);
    EXPECT_NEAR(alpha[3], light[2], 1e-5);
}

TEST(BlendModes, HueToChannelWalksTheSixSectors)
{
    EXPECT_DOUBLE_EQ(HueToChannel(0.2, 0.8, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(HueToChannel(0.2, 0.8, 2.0), 0.8);
    EXPECT_DOUBLE_EQ(HueToChannel(0.2, 0.8, 3.5), 0.5);
    EXPECT_DOUBLE_EQ(HueToChannel(0.2, 0.8, 5.0), 0.2);
    EXPECT_DOUBLE_EQ(HueToChannel(0.2, 0.8, -0.5), 0.2);
    EXPECT_DOUBLE_EQ(HueToChannel(0.2, 0.8, 6.5), 0.5);
}

TEST(BlendModesWithAlpha, NormalComposesOverTheDestination)
{
    const Px3 r = Blend<2, true>(kBlendNormal, {0.5, 0.2, 0.6}, {0.5, 1.0, 0.0});
    EXPECT_DOUBLE_EQ(r[0], 0.75);
    EXPECT_DOUBLE_EQ(r[1], (0.5 * 0.5 * 0.2 + 0.5) / 0.75);
    EXPECT_DOUBLE_EQ(r[2], (0.5 * 0.5 * 0.6) / 0.75);
    // An opaque source replaces the pixel; nothing over nothing stays as it was.
    EXPECT_EQ((Blend<1, true>(kBlendNormal, {0.3, 0.7}, {1.0, 0.2})), (Px2{1.0, 0.2}));
    EXPECT_EQ((Blend<1, true>(kBlendNormal, {0.0, 0.7}, {0.0, 0.2})), (Px2{0.0, 0.7}));
}

TEST(BlendModesWithAlpha, ResolveGrowsTheAlphaToTheLargestPremultipliedChannel)
{
    const Px4 r = Blend<3, true>(kBlendScreen, {0.0, 0.9, 0.9, 0.9}, {1.0, 0.5, 0.2, 0.1});
    EXPECT_DOUBLE_EQ(r[0], 0.5);
    EXPECT_DOUBLE_EQ(r[1], 1.0);
    EXPECT_DOUBLE_EQ(r[2], 0.4);
    EXPECT_DOUBLE_EQ(r[3], 0.2);
}

TEST(BlendModesWithAlpha, ResolveDividesByTheAlphaItselfAboveItsGuard)
{
    // Premultiplied 0.25 screened with 0.1 gives 0.325 under alpha 0.5.
    const Px2 r = Blend<1, true>(kBlendScreen, {0.5, 0.5}, {1.0, 0.1});
    EXPECT_EQ(r[0], 0.5);
    EXPECT_DOUBLE_EQ(r[1], 0.65);
    // Below the guard the guard joins the divisor.
    const Px2 tiny = Blend<1, true>(kBlendAddition, {1e-7, 1.0}, {1.0, 0.0});
    EXPECT_EQ(tiny[0], 1e-7);
    EXPECT_DOUBLE_EQ(tiny[1], 1.0);
    const Px2 tinyChanged = Blend<1, true>(kBlendSubtraction, {1e-7, 1.0}, {1.0, 0.5e-7});
    EXPECT_DOUBLE_EQ(tinyChanged[1], 0.5e-7 / (1e-7 + 1e-6));
}

TEST(BlendModesWithAlpha, AnUntouchedPixelKeepsEveryStoredValue)
{
    // Every alpha and colour an 8-bit sample can hold, screened with black.
    for (int a = 0; a < 256; ++a)
        for (int k = 0; k < 256; ++k) {
            const Px2 d{a / 255.0, k / 255.0};
            ASSERT_EQ((Blend<1, true>(kBlendScreen, d, {1.0, 0.0})), d) << a << " " << k;
        }
}

TEST(BlendModesWithAlpha, PremultipliedModesFollowTheirFormulas)
{
    const double da = 0.5, dk = 0.6, sk = 0.3;
    const double p = da * dk;
    const double cover = 1.0 * (1 - da) + da;
    // multiply: the cover term raises the alpha to 1.
    const Px2 mul = Blend<1, true>(kBlendMultiply, {da, dk}, {1.0, sk});
    EXPECT_DOUBLE_EQ(mul[0], cover);
    EXPECT_DOUBLE_EQ(mul[1], (sk * p + sk * (1 - da)) / cover);
    // divide uses Da * Da * Dk in the numerator.
    const Px2 div = Blend<1, true>(kBlendDivide, {da, 0.2}, {1.0, 0.5});
    EXPECT_DOUBLE_EQ(div[1], (0.25 * 0.2 / 0.5001 + 0.5 * 0.5) / cover);
    // overlay of the premultiplied base with the plain source, plus cover.
    const Px2 ov = Blend<1, true>(kBlendOverlay, {da, dk}, {1.0, sk});
    EXPECT_DOUBLE_EQ(ov[0], 0.5);
    const double x = 2 * p * sk + sk * (1 - da);
    EXPECT_NEAR(ov[1], x / da, 1e-12);
    // max weight with an opaque source of peak 0.3.
    const Px2 mw = Blend<1, true>(kBlendMaxWeight, {da, dk}, {1.0, sk});
    EXPECT_NEAR(mw[1], (0.7 * p + 0.3 * sk) / da, 1e-12);
}

TEST(BlendModesWithAlpha, DivideCanPushTheAlphaAboveOne)
{
    // Left to the render to bring back into range.
    const Px2 r = Blend<1, true>(kBlendDivide, {0.5, 1.0}, {1.0, 0.2});
    EXPECT_DOUBLE_EQ(r[0], 1.1);
    EXPECT_DOUBLE_EQ(r[1], 1.0);
}

TEST(BlendModesWithAlpha, AlphaModesChangeOnlyTheAlphaAndClamp)
{
    const Px3 d{0.6, 0.3, 0.4};
    const Px3 s{1.0, 0.5, 0.7};  // intensity 0.6
    EXPECT_EQ((Blend<2, true>(kBlendAlphaAdd, d, s)), (Px3{1.0, 0.3, 0.4}));
    const Px3 sub = Blend<2, true>(kBlendAlphaSub, d, s);
    EXPECT_DOUBLE_EQ(sub[0], 0.0);
    EXPECT_EQ(sub[1], 0.3);
    const Px3 subSome = Blend<2, true>(kBlendAlphaSub, d, {1.0, 0.1, 0.1});
    EXPECT_DOUBLE_EQ(subSome[0], 0.5);
    EXPECT_DOUBLE_EQ((Blend<2, true>(kBlendAlphaMult, d, s))[0], 0.6 * 0.6);
    EXPECT_DOUBLE_EQ((Blend<2, true>(kBlendAlphaReplace, d, s))[0], 0.6);
}
