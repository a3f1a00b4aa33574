#include "TestSupport.h"

#include "filter/FilterCorvane.h"
#include "framework/trace/Trace.h"

#include <gtest/gtest.h>

namespace {

OSErr AdvanceOk() { return noErr; }
OSErr AdvanceOutOfMemory() { return memFullErr; }
OSErr DisplayOk(const void*, const VRect*, int32_t, int32_t, void*) { return noErr; }
void Progress(int32_t, int32_t) {}

bool IsZero(const Rect& rect)
{
    return rect.top == 0 && rect.left == 0 && rect.bottom == 0 && rect.right == 0;
}

class Selectors : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Record = ZeroRecord();
        m_Record.imageSize = Point{4, 4};
        m_Record.planes = 3;
        m_Record.imageMode = plugInModeRGBColor;
        m_Record.advanceState = AdvanceOk;
        m_Record.displayPixels = DisplayOk;
        m_Record.progressProc = Progress;
        m_Record.inRect = Rect{1, 1, 2, 2};
        m_Record.outRect = Rect{1, 1, 2, 2};
        m_Record.maskRect = Rect{1, 1, 2, 2};
    }

    int16_t Call(int16_t nSelector)
    {
        int16_t nResult = 12345;
        intptr_t data = 0;
        m_Filter.DispatchSelector(nSelector, &m_Record, &data, &nResult);
        return nResult;
    }

    RecordingPlatform m_Platform;
    FilterRecord m_Record;
    pfFilterCorvane m_Filter;
};

}  // namespace

TEST_F(Selectors, HostWithoutACallbackIsRefusedWithAMessageAndClearedRects)
{
    for (int nMissing = 0; nMissing < 3; ++nMissing) {
        SetUp();
        if (nMissing == 0) m_Record.advanceState = nullptr;
        if (nMissing == 1) m_Record.displayPixels = nullptr;
        if (nMissing == 2) m_Record.progressProc = nullptr;
        EXPECT_EQ(Call(filterSelectorStart), 1);
        EXPECT_EQ(m_Platform.m_strCaption, "CorvaneII");
        EXPECT_EQ(m_Platform.m_strText,
                  "Sorry, but this Plug-In requires some functions\n which are not supported by this host.\n you "
                  "need a photoshop 3.0+ compatible host to run this filter.");
        EXPECT_TRUE(IsZero(m_Record.inRect) && IsZero(m_Record.outRect) && IsZero(m_Record.maskRect));
    }
    EXPECT_EQ(m_Platform.m_nMessages, 3);
}

TEST_F(Selectors, UnknownSelectorAnswersMinusOneAndChangesNothing)
{
    EXPECT_EQ(Call(6), -1);
    EXPECT_EQ(Call(-3), -1);
    EXPECT_EQ(Call(0x0106), -1);  // the selector is its low byte
    EXPECT_EQ(m_Record.inRect.bottom, 2);
    EXPECT_EQ(m_Platform.m_nMessages, 0);
}

TEST_F(Selectors, AboutContinueAndFinishAnswerZero)
{
    EXPECT_EQ(Call(filterSelectorAbout), 0);
    EXPECT_EQ(m_Platform.m_nAbouts, 1);
    EXPECT_EQ(Call(filterSelectorContinue), 0);
    EXPECT_EQ(Call(filterSelectorFinish), 0);
    EXPECT_EQ(m_Record.inRect.bottom, 2);
}

TEST_F(Selectors, PrepareAsksForNoBufferSpace)
{
    m_Record.bufferSpace = 1000;
    m_Record.maxSpace = 1 << 30;
    EXPECT_EQ(Call(filterSelectorPrepare), 0);
    EXPECT_EQ(m_Record.bufferSpace, 0);
    EXPECT_EQ(m_Record.maxSpace, 0);
}

TEST_F(Selectors, ParametersBringValuesIntoTheirEnforcedLimits)
{
    m_Filter.m_WeightX1X2.SetValue(7.0);
    EXPECT_EQ(Call(filterSelectorParameters), 0);
    EXPECT_EQ(m_Filter.m_WeightX1X2.GetValue(), 1.0);
}

TEST_F(Selectors, EveryCallIsTracedWithItsResult)
{
    CapturedTrace trace;
    Call(filterSelectorPrepare);
    m_Record.advanceState = nullptr;
    Call(filterSelectorStart);
    const std::string strText = trace.Text();
    EXPECT_NE(strText.find("ENTER: pfFilter::DoPrepareSelector( pFilterRecord(0x"), std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfFilter::DoPrepareSelector\n"), std::string::npos);
    EXPECT_NE(strText.find("    -**### ERROR ###**-: AdvanceStateAvailable() or DisplayPixelsAvailable() not "
                           "available\n"),
              std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfFilter::DoStartSelector( return(1) )\n"), std::string::npos);
}

TEST_F(Selectors, HostsThatShowNothingForAnErrorGetTheirMessageOnceARun)
{
    m_Record.advanceState = AdvanceOutOfMemory;
    EXPECT_EQ(Call(filterSelectorStart), memFullErr);
    EXPECT_EQ(m_Platform.m_nMessages, 0) << "a host that reports errors itself";

    m_Record.hostSig = 0x55503230;  // 'UP20'
    EXPECT_EQ(Call(filterSelectorPrepare), noErr);
    EXPECT_EQ(Call(filterSelectorStart), memFullErr);
    EXPECT_EQ(Call(filterSelectorStart), memFullErr);
    EXPECT_EQ(m_Platform.m_nMessages, 1);
    EXPECT_NE(m_Platform.m_strText.find("not enough memory"), std::string::npos);

    PIDescriptorParameters descriptor{};
    descriptor.playInfo = plugInDialogSilent;
    m_Record.descriptorParameters = &descriptor;
    EXPECT_EQ(Call(filterSelectorPrepare), noErr);
    EXPECT_EQ(Call(filterSelectorStart), memFullErr);
    EXPECT_EQ(m_Platform.m_nMessages, 1) << "never when the host asked for silence";
}

