// The host's callbacks, handles and selector runs with the linked filter.
#include "host/record/Callbacks.h"
#include "host/record/DescriptorSuite.h"
#include "host/record/HandleSuite.h"
#include "host/record/HostRecord.h"
#include "host/cli/PlaybackCheck.h"
#include "host/plugin/PluginLoader.h"
#include "host/plugin/SelectorRunner.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Restores the process-wide callback settings after each test.
struct CallbackFixture : ::testing::Test {
    CallbackFixture() : saved(pfCallbacks::Get().Settings())
    {
        pfCallbacks::Get().ResetCounters();
        pfCallbacks::Get().Settings().bShowProgress = false;
    }
    ~CallbackFixture() override
    {
        pfCallbacks::Get().Settings() = saved;
        pfCallbacks::Get().ResetCounters();
    }
    pfCallbackSettings saved;
};

ColorServicesInfo ChooseColorRequest()
{
    ColorServicesInfo info{};
    info.infoSize = sizeof(ColorServicesInfo);
    info.selector = plugIncolorServicesChooseColor;
    info.resultSpace = plugIncolorServicesRGBSpace;
    return info;
}

pfDocument Gradient(int nWidth, int nHeight)
{
    pfDocument document(nWidth, nHeight, 3, 8);
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                document.Set(p, x, y, uint16_t((x * 7 + y * 3 + p * 50) % 256));
    return document;
}

pfRecordOptions RgbOptions()
{
    pfRecordOptions options;
    options.format.nImageMode = plugInModeRGBColor;
    options.format.nColorPlanes = 3;
    return options;
}

} // namespace

using HostCallbacks = CallbackFixture;
using HostSelectorRun = CallbackFixture;

TEST_F(HostCallbacks, AbortIsReportedFromTheNthProgressCallOn)
{
    pfCallbacks::Get().Settings().nAbortAfter = 3;
    const TestAbortProc abort = pfCallbacks::AbortProcedure();
    const ProgressProc progress = pfCallbacks::ProgressProcedure();
    progress(1, 10);
    progress(2, 10);
    EXPECT_FALSE(abort());
    progress(3, 10);
    EXPECT_TRUE(abort());
    EXPECT_EQ(pfCallbacks::Get().GetProgressCalls(), 3);
}

TEST_F(HostCallbacks, TheColourPickerAnswersItsColourOrCancelsAndChecksTheBlock)
{
    pfCallbacks::Get().Settings().color[0] = 10;
    pfCallbacks::Get().Settings().color[1] = 20;
    pfCallbacks::Get().Settings().color[2] = 30;
    ColorServicesInfo info = ChooseColorRequest();
    ASSERT_EQ(pfCallbacks::ColorServicesProcedure()(&info), noErr);
    EXPECT_EQ(info.colorComponents[0], 10);
    EXPECT_EQ(info.colorComponents[2], 30);

    info = ChooseColorRequest();
    info.infoSize = 36; // a block of the other bitness
    EXPECT_EQ(pfCallbacks::ColorServicesProcedure()(&info), paramErr);

    pfCallbacks::Get().Settings().bColorCancel = true;
    info = ChooseColorRequest();
    EXPECT_EQ(pfCallbacks::ColorServicesProcedure()(&info), userCanceledErr);
}

TEST(HostHandles, HandlesKeepTheirContentsWhenResizedAndUnknownOnesAreIgnored)
{
    pfHandleSuite handles;
    HandleProcs& procs = *handles.GetProcs();
    Handle h = procs.newProc(4);
    ASSERT_NE(h, nullptr);
    std::memcpy(procs.lockProc(h, 0), "abcd", 4);
    EXPECT_EQ(*h, procs.lockProc(h, 0)) << "the handle points to the data address";
    ASSERT_EQ(procs.setSizeProc(h, 100), noErr);
    EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
    EXPECT_EQ(procs.getSizeProc(h), 100);

    char* pStranger = nullptr;
    procs.disposeProc(&pStranger);
    EXPECT_EQ(procs.getSizeProc(&pStranger), 0);
    EXPECT_EQ(procs.newProc(-1), nullptr);
    EXPECT_EQ(handles.Count(), 1u);
    procs.disposeRegularHandleProc(h);
    EXPECT_EQ(handles.Count(), 0u);
}

TEST_F(HostSelectorRun, AWholeRunChangesTheImageAndACancelledOneRevertsIt)
{
    const pfDocument original = Gradient(40, 30);
    pfHandleSuite handles;
    pfPluginLoader loader;
    std::string strError;
    ASSERT_TRUE(loader.Load("", "ENTRYPOINT", strError)) << strError;

    pfDocument document = original;
    pfHostRecord record(document, nullptr, RgbOptions(), handles);
    pfSelectorRunner runner(loader, record, document);
    ASSERT_EQ(runner.RunFilter(), noErr);
    EXPECT_NE(document, original);

    pfCallbacks::Get().Settings().nAbortAfter = 1;
    pfDocument cancelled = original;
    pfHostRecord cancelledRecord(cancelled, nullptr, RgbOptions(), handles);
    pfSelectorRunner cancelledRunner(loader, cancelledRecord, cancelled);
    EXPECT_EQ(cancelledRunner.RunFilter(), userCanceledErr);
    EXPECT_EQ(cancelled, original);
}

TEST_F(HostSelectorRun, AHostWithoutAdvanceStateIsRefusedAndKeepsItsImage)
{
    const pfDocument original = Gradient(8, 8);
    pfHandleSuite handles;
    pfPluginLoader loader;
    std::string strError;
    ASSERT_TRUE(loader.Load("", "ENTRYPOINT", strError)) << strError;
    pfDocument document = original;
    pfRecordOptions options = RgbOptions();
    options.bAdvanceState = false;
    pfHostRecord record(document, nullptr, options, handles);
    pfSelectorRunner runner(loader, record, document);
    EXPECT_EQ(runner.RunFilter(), 1);
    EXPECT_EQ(document, original);
    EXPECT_EQ(runner.Call(6), -1);
}

TEST_F(HostSelectorRun, PlayedEntriesThePlugInDidNotTakeAreNamed)
{
    pfDocument document = Gradient(8, 8);
    pfHandleSuite handles;
    pfPluginLoader loader;
    std::string strError;
    ASSERT_TRUE(loader.Load("", "ENTRYPOINT", strError)) << strError;
    pfHostRecord record(document, nullptr, RgbOptions(), handles);
    pfDescriptorSuite suite(handles);
    const pfDescriptor played = {{FourCC("GAMA"), int32_t(2)},
                                 {FourCC("BLND"), int32_t(9999)},
                                 {FourCC("ZZZZ"), int32_t(1)},
                                 {FourCC("DEOU"), 10.0}};
    pfDescriptorParameters parameters(suite, plugInDialogDontDisplay, &played);
    record.SetDescriptorParameters(parameters.Get());
    pfSelectorRunner runner(loader, record, document);
    ASSERT_EQ(runner.RunFilter(), noErr);

    pfDescriptor recorded;
    ASSERT_TRUE(parameters.GetRecorded(recorded));
    const std::vector<std::string> lstUntaken = DescribeUntakenEntries(played, suite.GetLastReads(), &recorded);
    ASSERT_EQ(lstUntaken.size(), 3u);
    EXPECT_EQ(lstUntaken[0], "GAMA integer 2 (the plug-in reads GAMA as a float)");
    EXPECT_EQ(lstUntaken[1].rfind("BLND integer 9999 (the plug-in kept integer ", 0), 0u) << lstUntaken[1];
    EXPECT_EQ(lstUntaken[2], "ZZZZ integer 1 (the plug-in does not read ZZZZ)");
}
