#include "RenderTestSupport.h"

#include "filter/BlendPixel.h"
#include "filter/RenderDriver.h"
#include "framework/render/RenderMemory.h"
#include "filter/RenderVariant.h"

#include <gtest/gtest.h>


namespace {

FilterRecord Layout(int16_t nMode, int16_t nPlanes, int16_t nLayer, int16_t nTransparency, int16_t nNonLayer = 0)
{
    FilterRecord record = ZeroRecord();
    record.imageMode = nMode;
    record.planes = nPlanes;
    record.inLayerPlanes = nLayer;
    record.inTransparencyMask = nTransparency;
    record.inNonLayerPlanes = nNonLayer;
    record.depth = 8;
    return record;
}

int g_nAbortCalls = 0;
int g_nAbortOnCall = 0;
Boolean PF_CDECL AbortOnCall()
{
    return ++g_nAbortCalls >= g_nAbortOnCall;
}

}  // namespace

TEST(RenderFormat, PlaneCountsDecideChannelsAndTransparency)
{
    pfRenderFormat f = DecideRenderFormat(Layout(plugInModeGrayScale, 2, 1, 1));
    EXPECT_EQ(f.nColorChannels, 1);
    EXPECT_TRUE(f.bAlpha);
    EXPECT_EQ(f.nAlphaIndex, 1);

    f = DecideRenderFormat(Layout(plugInModeRGBColor, 4, 0, 0));
    EXPECT_EQ(f.nTotalPlanes, 4);
    EXPECT_EQ(f.nColorChannels, 3);
    EXPECT_FALSE(f.bAlpha);

    f = DecideRenderFormat(Layout(plugInModeMultichannel, 6, 5, 1));
    EXPECT_EQ(f.nColorChannels, 3);
    EXPECT_TRUE(f.bAlpha);
    EXPECT_EQ(f.nAlphaIndex, 5);

    f = DecideRenderFormat(Layout(plugInModeMultichannel, 2, 0, 0, 2));
    EXPECT_EQ(f.nColorChannels, 2);
}

TEST(RenderFormat, TransparencyNeverLandsOnAColourPlane)
{
    // Without layer planes the alpha index would be colour plane 0.
    const pfRenderFormat f = DecideRenderFormat(Layout(plugInModeRGBColor, 4, 0, 1));
    EXPECT_FALSE(f.bAlpha);
    EXPECT_EQ(f.nColorChannels, 3);

    // Negative counts from a host are taken as absent.
    FilterRecord record = Layout(plugInModeRGBColor, 3, 3, 1);
    record.inLayerMasks = -5;
    const pfRenderFormat g = DecideRenderFormat(record);
    EXPECT_EQ(g.nTotalPlanes, 4);
    EXPECT_TRUE(g.bAlpha);
    EXPECT_EQ(g.nAlphaIndex, 3);
}

TEST(RenderFormat, OnlyGreyRgbAndMultichannelModesAreRendered)
{
    for (int16_t nMode : {plugInModeGrayScale, plugInModeGray16, plugInModeRGBColor, plugInModeRGB48,
                          plugInModeMultichannel, plugInModeDeepMultichannel})
        EXPECT_TRUE(DecideRenderFormat(Layout(nMode, 3, 3, 0)).bSupportedMode) << nMode;
    for (int16_t nMode : {plugInModeBitmap, plugInModeIndexedColor, plugInModeCMYKColor, plugInModeLabColor,
                          plugInModeDuotone})
        EXPECT_FALSE(DecideRenderFormat(Layout(nMode, 3, 3, 0)).bSupportedMode) << nMode;
    EXPECT_EQ(DecideRenderFormat(Layout(plugInModeGrayScale, 3, 3, 0)).nColorChannels, 1);
}

TEST(RenderDriver, UnsupportedModesAndDepthsLeaveTheOutputAlone)
{
    TestImage cmyk(plugInModeCMYKColor, 8, 4, 3, 4);
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &cmyk.record), 0);
    EXPECT_EQ(cmyk.out, std::vector<uint8_t>(cmyk.out.size(), 0xEE));

    TestImage deep(plugInModeRGBColor, 32, 4, 3, 3);
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &deep.record), 0);
    EXPECT_EQ(deep.out, std::vector<uint8_t>(deep.out.size(), 0xEE));
}

TEST(RenderDriver, TracesItsFormatDecision)
{
    CapturedTrace trace;
    TestImage image(plugInModeRGBColor, 8, 4, 3, 3);
    image.record.inLayerPlanes = 3;
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendScreen), &image.record), 0);
    const std::string text = trace.Text();
    EXPECT_NE(text.find("ENTER: SelectRenderTemplate( pFilterRecord("), std::string::npos);
    EXPECT_NE(text.find("    nDepth(8), nColorChannels(3), bAlpha(0)\n"), std::string::npos);
    EXPECT_NE(text.find("    ENTER: Render()\n"), std::string::npos);
    EXPECT_NE(text.find("    EXIT : Render( return(0) )\n"), std::string::npos);
    EXPECT_NE(text.find("EXIT : SelectRenderTemplate( return(0) )\n"), std::string::npos);
}

TEST(RenderDriver, AnUntouchedEightBitSampleIsWrittenBackUnchanged)
{
    TestImage grey(plugInModeGrayScale, 8, 256, 1, 1);
    for (int x = 0; x < 256; ++x)
        grey.SetIn(x, 0, 0, uint16_t(x));
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendScreen), &grey.record), 0);
    EXPECT_EQ(grey.out, grey.in);

    // Every alpha with every colour value.
    TestImage layer(plugInModeRGBColor, 8, 256, 256, 4);
    layer.record.inLayerPlanes = 3;
    layer.record.inTransparencyMask = 1;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            layer.SetIn(x, y, 0, uint16_t(x));
            layer.SetIn(x, y, 1, uint16_t(255 - x));
            layer.SetIn(x, y, 2, uint16_t(x));
            layer.SetIn(x, y, 3, uint16_t(y));
        }
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendScreen), &layer.record), 0);
    EXPECT_EQ(layer.out, layer.in);
}

TEST(RenderDriver, TransparencyIsReadAndWrittenAtItsPlane)
{
    // "alpha replace" with a black source clears the alpha, keeps the grey.
    TestImage image(plugInModeGrayScale, 8, 3, 2, 2);
    image.record.inLayerPlanes = 1;
    image.record.inTransparencyMask = 1;
    image.SetIn(1, 1, 0, 77);
    image.SetIn(1, 1, 1, 200);
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendAlphaReplace), &image.record), 0);
    EXPECT_EQ(image.Out(1, 1, 0), 77);
    EXPECT_EQ(image.Out(1, 1, 1), 0);
}

TEST(RenderDriver, PlanesBeyondTheRenderedChannelsAreNotWritten)
{
    TestImage image(plugInModeRGBColor, 8, 3, 2, 4);
    for (size_t i = 0; i < image.in.size(); ++i)
        image.in[i] = 90;
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &image.record), 0);
    EXPECT_EQ(image.Out(2, 1, 0), 0);
    EXPECT_EQ(image.Out(2, 1, 2), 0);
    EXPECT_EQ(image.Out(2, 1, 3), 0xEE);
}

TEST(RenderDriver, OnlyThePlanesTheHostTakesBackAreWritten)
{
    // A layer whose transparency is protected: four planes in, three out.
    TestImage layer(plugInModeRGBColor, 8, 3, 2, 4);
    layer.record.inLayerPlanes = layer.record.outLayerPlanes = 3;
    layer.record.inTransparencyMask = 1;
    layer.in.assign(layer.in.size(), 200);
    layer.record.outRowBytes = 3 * 3;
    std::vector<uint8_t> out(size_t(layer.record.outRowBytes) * 2 + 1, 0xEE);
    layer.record.outData = out.data();
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendAlphaReplace), &layer.record), 0);
    std::vector<uint8_t> expected(out.size(), 200);
    expected.back() = 0xEE;
    EXPECT_EQ(out, expected) << "colour kept, no transparency written, nothing past the buffer";

    // Output counts left at 0 mean the input's planes.
    TestImage same(plugInModeRGBColor, 8, 3, 2, 4);
    same.record.inLayerPlanes = 3;
    same.record.inTransparencyMask = 1;
    same.in.assign(same.in.size(), 200);
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendAlphaReplace), &same.record), 0);
    EXPECT_EQ(same.Out(2, 1, 3), 0);
    EXPECT_EQ(same.Out(2, 1, 2), 200);
}

TEST(RenderDriver, TheMaskChoosesBetweenResultAndInput)
{
    TestImage none(plugInModeRGBColor, 8, 3, 2, 3);
    none.in.assign(none.in.size(), 200);
    none.AddMask(0);
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &none.record), 0);
    EXPECT_EQ(none.out, none.in);

    TestImage full(plugInModeRGBColor, 8, 3, 2, 3);
    full.in.assign(full.in.size(), 200);
    full.AddMask(255);
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &full.record), 0);
    EXPECT_EQ(full.out, std::vector<uint8_t>(full.out.size(), 0));
}

TEST(RenderDriver, MasksAreOneBytePerPixelAtEveryDepthWhateverTheRowPadding)
{
    // Narrow images padded to two bytes a pixel or more once passed for
    // 16-bit masks.
    for (const int16_t nWidth : {1, 2, 3})
        for (const int nPadding : {0, 1, 3, 7}) {
            TestImage deep(plugInModeRGB48, 16, nWidth, 2, 3);
            for (int x = 0; x < nWidth; ++x)
                deep.SetIn(x, 1, 1, 30000);
            deep.AddMask(128, nPadding);
            deep.mask[size_t(deep.record.maskRowBytes) + nWidth - 1] = 255;
            ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &deep.record), 0);
            EXPECT_EQ(deep.Out(nWidth - 1, 1, 1), 0) << nWidth << " padded by " << nPadding;
            if (nWidth > 1) {
                EXPECT_EQ(deep.Out(0, 1, 1), 14941) << nWidth << " padded by " << nPadding;
            }
        }

    // Less than a byte per pixel is still refused.
    TestImage deep(plugInModeRGB48, 16, 3, 2, 3);
    deep.AddMask(255);
    deep.record.maskRowBytes = 2;
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &deep.record), paramErr);
}

TEST(RenderDriver, APartialMaskKeepsSamplesTheBlendLeftAlone)
{
    // Every 8-bit sample under every mask value; the blend changes nothing.
    TestImage grey(plugInModeGrayScale, 8, 256, 256, 1);
    grey.AddMask(0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            grey.SetIn(x, y, 0, uint16_t(x));
            grey.mask[size_t(y) * 256 + x] = uint8_t(y);
        }
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendScreen), &grey.record), 0);
    EXPECT_EQ(grey.out, grey.in);

    TestImage deep(plugInModeGray16, 16, 257, 256, 1);
    deep.AddMask(0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 257; ++x) {
            deep.SetIn(x, y, 0, uint16_t(x * 128));
            deep.mask[size_t(y) * 257 + x] = uint8_t(y);
        }
    ASSERT_EQ(SelectRenderTemplate(NoDots(kBlendScreen), &deep.record), 0);
    EXPECT_EQ(deep.out, deep.in);
}

TEST(RenderDriver, AFullMaskGivesTheUnmaskedResultExactly)
{
    for (const int32_t nDepth : {8, 16}) {
        const auto render = [nDepth](int32_t nMask) {
            TestImage image(nDepth == 8 ? plugInModeRGBColor : plugInModeRGB48, nDepth, 64, 48, 3);
            for (size_t i = 0; i < image.in.size(); ++i)
                image.in[i] = uint8_t(i * 37 % 251 / (nDepth == 16 && i % 2 ? 2 : 1));
            if (nMask >= 0)
                image.AddMask(uint8_t(nMask));
            pfRenderSnapshot snapshot;
            snapshot.fAddFactor = 2;
            snapshot.nBlendMode = kBlendOverlay;
            EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), 0);
            return image.out;
        };
        const std::vector<uint8_t> unmasked = render(-1);
        EXPECT_EQ(render(255), unmasked) << nDepth << "-bit image";
    }
}

TEST(RenderDriver, ResultsAreTruncatedIntoSamples)
{
    const auto passOne = [](float fTableValue, auto sample) {
        using Sample = decltype(sample);
        Sample in = 0, out = 0;
        const int32_t nSize = int32_t(sizeof(Sample));
        const PixelView inView = MakePixelView(&in, 1, 1, nSize, nSize, 0);
        const PixelView outView = MakePixelView(&out, 1, 1, nSize, nSize, 0);
        float fField = 1.0f;
        std::vector<float> table(kGammaTableSize, fTableValue);
        pfRenderSnapshot snapshot;
        snapshot.fColor[0] = 1.0;
        snapshot.nBlendMode = kBlendNormal;
        FilterRecord record = ZeroRecord();
        BlendFieldIntoImage<Sample, 1, false>(snapshot, MakeFieldView(&fField, 1, 1), table.data(), inView,
                                              outView, PixelView{}, &record);
        return int(out);
    };
    EXPECT_EQ(passOne(1.0f, uint8_t()), 255);
    EXPECT_EQ(passOne(0.9999f, uint8_t()), 254);
    EXPECT_EQ(passOne(1.0f, uint16_t()), 32768);
    EXPECT_EQ(passOne(0.5f, uint16_t()), 16384);
}

TEST(RenderDriver, OutOfRangeBlendResultsAreClampedNotWrapped)
{
    // "divide" over half-transparent white asks for an alpha of 1.1.
    uint8_t in[4] = {255, 255, 255, 128};
    uint8_t out[4] = {0, 0, 0, 0};
    const PixelView inView = MakePixelView(in, 1, 1, 4, 4, 3);
    const PixelView outView = MakePixelView(out, 1, 1, 4, 4, 3);
    float fField = 1.0f;
    std::vector<float> table(kGammaTableSize, 0.2f);
    pfRenderSnapshot snapshot;
    snapshot.fColor[0] = snapshot.fColor[1] = snapshot.fColor[2] = 1.0;
    snapshot.nBlendMode = kBlendDivide;
    FilterRecord record = ZeroRecord();
    BlendFieldIntoImage<uint8_t, 3, true>(snapshot, MakeFieldView(&fField, 1, 1), table.data(), inView, outView,
                                          PixelView{}, &record);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[0], 255);
}

TEST(RenderDriver, AnEmptyRectangleRendersNothing)
{
    TestImage image(plugInModeRGBColor, 8, 4, 3, 3);
    image.record.outRect = Rect{0, 0, 3, 0};
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), &image.record), 0);
    image.record.outRect = Rect{2, 0, 1, 4};
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), &image.record), 0);
    EXPECT_EQ(image.out, std::vector<uint8_t>(image.out.size(), 0xEE));
}

TEST(RenderDriver, MissingOrShortHostBuffersAreAnError)
{
    TestImage image(plugInModeRGBColor, 8, 4, 3, 3);
    image.record.inData = nullptr;
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), &image.record), paramErr);
    image.record.inData = image.in.data();
    image.record.outRowBytes = 11;
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), &image.record), paramErr);
    EXPECT_EQ(image.out, std::vector<uint8_t>(image.out.size(), 0xEE));
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), nullptr), paramErr);
}

TEST(RenderDriver, MissingMemoryForFieldOrTableGivesOutOfMemory)
{
    struct LimitReset {
        ~LimitReset() { SetRenderMemoryLimit(UINT64_MAX); }
    } reset;
    TestImage image(plugInModeRGBColor, 8, 4, 3, 3);
    SetRenderMemoryLimit(4 * 3 * sizeof(float) - 1);
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), &image.record), memFullErr);
    SetRenderMemoryLimit(4 * 3 * sizeof(float));
    EXPECT_EQ(SelectRenderTemplate(pfRenderSnapshot(), &image.record), memFullErr);
    EXPECT_EQ(image.out, std::vector<uint8_t>(image.out.size(), 0xEE));
}

TEST(RenderDriver, APreviewOnTheFieldKeptFromTheLastPreviewDrawsAsOnAFreshOne)
{
    const auto render = [](const pfRenderSnapshot& snapshot) {
        TestImage image(plugInModeRGBColor, 8, 40, 30, 3);
        image.in.assign(image.in.size(), 90);
        EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), noErr);
        return image.out;
    };
    pfRenderSnapshot dense;
    dense.fInnerDensity = dense.fOuterDensity = 2.0;
    pfRenderSnapshot sparse;
    const std::vector<uint8_t> fresh = render(sparse);
    dense.bPreview = sparse.bPreview = true;
    render(dense);
    EXPECT_EQ(render(sparse), fresh);
    ReleaseKeptRenderMemory();
}

TEST(RenderDriver, APreviewWindowBlendsItsPixelsAsTheWholeRenderDoesAndLeavesTheRest)
{
    const auto render = [](const pfRenderSnapshot& snapshot) {
        TestImage image(plugInModeRGBColor, 8, 40, 30, 3);
        for (std::size_t i = 0; i < image.in.size(); ++i)
            image.in[i] = uint8_t(i * 7);
        image.AddMask(200, 3);
        EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), noErr);
        return image;
    };
    pfRenderSnapshot snapshot;
    snapshot.fInnerDensity = snapshot.fOuterDensity = 2.0;
    const TestImage whole = render(snapshot);
    snapshot.bPreview = true;
    snapshot.window = Rect{5, 11, 17, 29};
    const TestImage part = render(snapshot);
    ReleaseKeptRenderMemory();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool bInside = y >= 5 && y < 17 && x >= 11 && x < 29;
            for (int p = 0; p < 3; ++p)
                ASSERT_EQ(part.Out(x, y, p), bInside ? whole.Out(x, y, p) : 0xEE) << x << "," << y;
        }
}

TEST(RenderDriver, AHostAbortAfterTheFirstRowKeepsThatRow)
{
    RenderControlReset reset;
    TestImage image(plugInModeGrayScale, 8, 4, 3, 1);
    image.in.assign(image.in.size(), 100);
    image.record.abortProc = AbortOnCall;
    g_nAbortCalls = 0;
    g_nAbortOnCall = 1;
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &image.record), userCanceledErr);
    EXPECT_EQ(image.Out(3, 0, 0), 0);
    EXPECT_EQ(image.Out(0, 1, 0), 0xEE);
}

TEST(RenderDriver, ExtremeParametersNeitherCrashNorHang)
{
    RenderControlReset reset;
    TestImage image(plugInModeRGBColor, 8, 16, 8, 3);
    pfRenderSnapshot wild;
    wild.fInnerDensity = wild.fOuterDensity = 20.0;
    wild.fAddFactor = 1e30;
    wild.fInnerAngleX1 = wild.fOuterAngleY2 = 1e12;
    wild.fGammaCorrection = 0.0;
    EXPECT_EQ(SelectRenderTemplate(wild, &image.record), 0);

    // Outer steps of millions of dots still reach the abort callback.
    pfRenderSnapshot dense;
    dense.fInnerDensity = dense.fOuterDensity = 1e6;
    image.record.abortProc = AbortOnCall;
    g_nAbortCalls = 0;
    g_nAbortOnCall = 3;
    EXPECT_EQ(SelectRenderTemplate(dense, &image.record), userCanceledErr);
    EXPECT_EQ(g_nAbortCalls, 3);
}
