#include "TestSupport.h"

#include "framework/Platform.h"
#include "framework/Trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

TEST(TraceLog, NestedCallsIndentFourSpacesPerLevel)
{
    CapturedTrace trace;
    PF_TRACE_ENTER("Outer( a(1) )");
    PF_TRACE_ENTER("Inner()");
    PF_TRACE(PF_TRACE_INFO, "inside");
    PF_TRACE_EXIT("Inner( return(0) )");
    PF_TRACE_EXIT("Outer");
    EXPECT_EQ(trace.Text(),
              "ENTER: Outer( a(1) )\n"
              "    ENTER: Inner()\n"
              "        inside\n"
              "    EXIT : Inner( return(0) )\n"
              "EXIT : Outer\n");
}

TEST(TraceLog, NegativeDepthWritesNoIndentation)
{
    CapturedTrace trace;
    PF_TRACE_EXIT("Unbalanced");
    PF_TRACE(PF_TRACE_INFO, "left");
    EXPECT_EQ(trace.Text(), "EXIT : Unbalanced\nleft\n");
    PF_TRACE_ENTER("Rebalance");
}

TEST(TraceLog, ValuesUseStreamFormats)
{
    CapturedTrace trace;
    const void* p = reinterpret_cast<const void*>(uintptr_t(0xABCDEF));
    PF_TRACE(PF_TRACE_INFO, "p(0x" << TracePtr(p) << ") f(" << 0.1234567 << ") b(" << true << ") n(" << -42 << ")");
    const std::string strDigits(sizeof(void*) * 2 - 6, '0');
    EXPECT_EQ(trace.Text(), "p(0x" + strDigits + "ABCDEF) f(0.123457) b(1) n(-42)\n");
}

TEST(TraceLog, ErrorAndWarningLinesCarryTheirPrefixes)
{
    CapturedTrace trace;
    PF_TRACE_ERROR_LINE("Out of memory");
    PF_TRACE_WARNING_LINE("ColorServices not available");
    EXPECT_EQ(trace.Text(),
              "-**### ERROR ###**-: Out of memory\n"
              "-**### WARNING ###**-: ColorServices not available\n");
}

TEST(TraceLog, WithoutFileLinesAreFormattedAndDiscarded)
{
    pfTraceLog::Get().CloseLog();
    PF_TRACE(PF_TRACE_INFO, "nobody reads this");
    EXPECT_TRUE(pfTraceLog::Get().Line().str().empty());
    EXPECT_FALSE(pfTraceLog::Get().HasFile());
}

TEST(TraceLog, AttachAppendsToAnExistingLogAndDetachStopsWriting)
{
    RecordingPlatform platform;
    const std::string strPath = TempPath("attach.log");
    {
        std::ofstream existing(strPath);
        existing << "earlier run\n";
    }
    platform.WriteSetting("", "logfile", pfSettingType::String,
                          std::vector<uint8_t>(strPath.begin(), strPath.end()));
    pfTraceLog::Get().CloseLog();
    AttachProcess();
    PF_TRACE(PF_TRACE_INFO, "working");
    DetachProcess();
    PF_TRACE(PF_TRACE_INFO, "after detach");
    // Opening the log resets the depth inside the attach handler, so its exit
    // takes the depth to -1; negative depths print no indentation.
    EXPECT_EQ(ReadFileText(strPath),
              "earlier run\n\n\nAttach Process\nEXIT : DllMain\nworking\nENTER: DllMain\nDetach Process\n\n\n");
    pfTraceLog::Get().OpenLog("", 3);
    std::remove(strPath.c_str());
}

TEST(TraceLog, MissingLogfileSettingOpensNoFile)
{
    RecordingPlatform platform;
    pfTraceLog::Get().CloseLog();
    AttachProcess();
    EXPECT_FALSE(pfTraceLog::Get().HasFile());
    DetachProcess();
    pfTraceLog::Get().OpenLog("", 3);
}
