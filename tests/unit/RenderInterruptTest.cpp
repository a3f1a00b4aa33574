#include "RenderTestSupport.h"

#include "filter/BlendPixel.h"
#include "filter/DotField.h"
#include "filter/RenderDriver.h"

#include <gtest/gtest.h>

namespace {

// A dialog's view of the world: a clock the test sets and a message queue
// that may hold a quit message.
class FakeDialogPlatform : public RecordingPlatform {
public:
    uint32_t GetTickCount() override { return m_nNow; }
    bool PumpMessages() override
    {
        ++m_nPumps;
        return !m_bQuit;
    }
    uint32_t m_nNow = 0;
    bool m_bQuit = false;
    int m_nPumps = 0;
};

int g_nAborts = 0;
Boolean PF_CDECL CountAbort()
{
    ++g_nAborts;
    return false;
}
Boolean PF_CDECL AlwaysAbort()
{
    return true;
}

}  // namespace

TEST(RenderInterrupt, AFinalRenderAsksTheHostAndPumpsNothing)
{
    RenderControlReset reset;
    FakeDialogPlatform platform;
    FilterRecord record = ZeroRecord();
    EXPECT_EQ(CheckRenderInterrupt(&record), 0);
    record.abortProc = AlwaysAbort;
    EXPECT_EQ(CheckRenderInterrupt(&record), userCanceledErr);
    EXPECT_EQ(platform.m_nPumps, 0);
}

TEST(RenderInterrupt, APreviewGivesUpOnlyWhenDirtyForMoreThan200ms)
{
    RenderControlReset reset;
    FakeDialogPlatform platform;
    FilterRecord record = ZeroRecord();
    record.abortProc = CountAbort;
    g_nAborts = 0;
    g_nRenderStartTick = 1000;
    platform.m_nNow = 1250;
    EXPECT_EQ(CheckRenderInterrupt(&record), 0);  // nothing changed yet
    g_bPreviewDirty = true;
    EXPECT_EQ(CheckRenderInterrupt(&record), userCanceledErr);
    platform.m_nNow = 1150;
    EXPECT_EQ(CheckRenderInterrupt(&record), 0);
    platform.m_nNow = 1200;
    EXPECT_EQ(CheckRenderInterrupt(&record), 0);
    EXPECT_EQ(g_nAborts, 0);
    EXPECT_EQ(platform.m_nPumps, 3) << "the queue is drained at most every 4 ms of a render";

    // The tick count wraps after 49 days; the difference does not.
    g_nRenderStartTick = 0xFFFFFFC0u;
    platform.m_nNow = 0x40;
    EXPECT_EQ(CheckRenderInterrupt(&record), 0);
    platform.m_nNow = 0x100;
    EXPECT_EQ(CheckRenderInterrupt(&record), userCanceledErr);
}

TEST(RenderInterrupt, AQuitMessageEndsAPreviewRender)
{
    RenderControlReset reset;
    FakeDialogPlatform platform;
    platform.m_bQuit = true;
    g_nRenderStartTick = 5;
    FilterRecord record = ZeroRecord();
    EXPECT_EQ(CheckRenderInterrupt(&record), -1);
}

TEST(RenderInterrupt, APreviewRenderStopsWithinOneRow)
{
    RenderControlReset reset;
    FakeDialogPlatform platform;
    TestImage image(plugInModeGrayScale, 8, 4, 3, 1);
    g_nRenderStartTick = 1000;
    g_bPreviewDirty = true;
    platform.m_nNow = 1250;
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &image.record), userCanceledErr);
    EXPECT_EQ(image.Out(0, 0, 0), 0);
    EXPECT_EQ(image.Out(0, 1, 0), 0xEE);

    platform.m_nNow = 1150;
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendReplace), &image.record), 0);
    EXPECT_EQ(image.Out(0, 2, 0), 0);
}

TEST(RenderInterrupt, HugeOuterStepsAreCheckedWithinTheStep)
{
    RenderControlReset reset;
    FakeDialogPlatform platform;
    std::vector<float> values(64 * 48);
    DotFieldSettings settings;
    settings.fInnerDensity = settings.fOuterDensity = 1e6;  // 5e8 dots per step
    settings.fIntensity = 1.0;
    g_nRenderStartTick = 1000;
    g_bPreviewDirty = true;
    platform.m_nNow = 1250;
    FilterRecord record = ZeroRecord();
    EXPECT_EQ(SynthesizeDotField(MakeFieldView(values.data(), 64, 48), settings, &record), userCanceledErr);
    EXPECT_EQ(platform.m_nPumps, 1);
}

TEST(RenderInterrupt, APreviewReusesTheKeptDotsOnlyWhenTheyAreAWholeSynthesisOfItsSettings)
{
    RenderControlReset reset;
    FakeDialogPlatform platform;
    const auto render = [](const pfRenderSnapshot& snapshot, int16_t nWidth) {
        TestImage image(plugInModeRGBColor, 8, nWidth, 30, 3);
        image.in.assign(image.in.size(), 90);
        const int16_t nResult = SelectRenderTemplate(snapshot, &image.record);
        return nResult == noErr ? image.out : std::vector<uint8_t>();
    };
    // Dots for three rounds between interruption checks.
    pfRenderSnapshot dense;
    dense.fInnerDensity = dense.fOuterDensity = 5.0;
    dense.fGammaCorrection = 2.2;
    pfRenderSnapshot turned = dense;
    turned.fInnerAngleX1 = 50.0;
    const std::vector<uint8_t> expected = render(dense, 40), expectedTurned = render(turned, 40);

    g_nRenderStartTick = platform.m_nNow = 1000;
    dense.bPreview = turned.bPreview = true;
    pfRenderSnapshot flat = dense;
    flat.fGammaCorrection = 1.0;
    render(flat, 80);
    render(flat, 40);
    EXPECT_EQ(render(dense, 40), expected);

    // Overtaken after the first round: those dots are not taken for all.
    g_bPreviewDirty = true;
    platform.m_nNow = 1250;
    EXPECT_TRUE(render(turned, 40).empty());
    g_bPreviewDirty = false;
    EXPECT_EQ(render(turned, 40), expectedTurned);
    EXPECT_EQ(render(dense, 40), expected);
    ReleaseKeptRenderMemory();
}
