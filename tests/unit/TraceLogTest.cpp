#include "TestSupport.h"

#include "framework/platform/Platform.h"
#include "framework/trace/Trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

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
    EXPECT_FALSE(pfTraceLog::Get().HasFile());
    CapturedTrace trace;
    PF_TRACE(PF_TRACE_INFO, "next");
    EXPECT_EQ(trace.Text(), "next\n") << "nothing of the discarded line is left over";
}

// Host threads trace while the loader's thread notifications do: every line
// arrives whole, each thread's lines in its order, a notification's two
// lines together, and the depth comes back to zero.
TEST(TraceLog, LinesOfManyThreadsArriveWholeAndUnmixed)
{
    CapturedTrace trace;
    constexpr int kThreads = 6, kLines = 1500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                PF_TRACE_ENTER("Work( thread(" << t << "), line(" << i << ") )");
                PF_TRACE(PF_TRACE_INFO, std::string(64, char('a' + t)));
                PF_TRACE_EXIT("Work");
                pfTraceLog::Get().WriteEnterExit("ENTER: DllMain\n", "EXIT : DllMain\n");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    PF_TRACE(PF_TRACE_INFO, "done");

    std::istringstream lines(trace.Text());
    std::string strLine, strPrevious;
    std::vector<int> nextLine(kThreads, 0);
    int nLines = 0;
    while (std::getline(lines, strLine)) {
        ++nLines;
        const std::size_t nIndent = strLine.find_first_not_of(' ');
        ASSERT_EQ(nIndent % 4, 0u) << strLine;
        ASSERT_LE(nIndent, 4u * kThreads) << strLine;
        const std::string strText = strLine.substr(nIndent);
        int nThread = -1, nIndex = -1;
        if (std::sscanf(strText.c_str(), "ENTER: Work( thread(%d), line(%d) )", &nThread, &nIndex) == 2) {
            ASSERT_TRUE(nThread >= 0 && nThread < kThreads) << strLine;
            ASSERT_EQ(nIndex, nextLine[nThread]++) << strLine;
        } else if (strText == "EXIT : DllMain") {
            ASSERT_EQ(strPrevious.substr(strPrevious.find_first_not_of(' ')), "ENTER: DllMain");
        } else if (strText != "EXIT : Work" && strText != "ENTER: DllMain" && strText != "done") {
            ASSERT_EQ(strText, std::string(64, strText[0])) << "a mixed line";
            ASSERT_TRUE(strText[0] >= 'a' && strText[0] < 'a' + kThreads) << strLine;
        }
        strPrevious = strLine;
    }
    EXPECT_EQ(nLines, kThreads * kLines * 5 + 1);
    EXPECT_EQ(strPrevious, "done");
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

// The value can be edited by anyone: a path longer than 255 characters is
// refused rather than cut to another file's name, and a path that cannot be
// opened leaves the log without a file.
TEST(TraceLog, UnusableLogfileValuesOpenNoFile)
{
    const std::string strFolder = TempPath("logs");
    std::filesystem::create_directory(strFolder);
    const std::string strLong = strFolder + "/" + std::string(296 - strFolder.size(), 'x') + ".log";
    for (const std::string& strPath : {strLong, strFolder}) {
        RecordingPlatform platform;
        platform.WriteSetting("", "logfile", pfSettingType::String,
                              std::vector<uint8_t>(strPath.begin(), strPath.end()));
        pfTraceLog::Get().CloseLog();
        AttachProcess();
        EXPECT_FALSE(pfTraceLog::Get().HasFile()) << strPath.size();
        DetachProcess();
        pfTraceLog::Get().OpenLog("", 3);
    }
    EXPECT_TRUE(std::filesystem::is_empty(strFolder));
    std::filesystem::remove_all(strFolder);
}
