// Batch mode: where each output goes, and what each run plays back.
#include "host/cli/Batch.h"

#include <gtest/gtest.h>

namespace {

std::string Refusal(const std::vector<std::string>& lstInputs, const std::string& strPattern)
{
    std::vector<pfBatchFile> files;
    std::string strError;
    EXPECT_FALSE(PlanBatch(lstInputs, strPattern, "", files, strError));
    return strError;
}

} // namespace

TEST(HostBatch, OutputNamesTakeEachInputsNameWithoutItsExtension)
{
    EXPECT_EQ(ExpandOutputName("out/{name}.png", "photos/beach.png"), "out/beach.png");
    EXPECT_EQ(ExpandOutputName("{name}/{name}-dots.png", "C:\\pics\\a.b.png"), "a.b/a.b-dots.png");
    std::vector<pfBatchFile> files;
    std::string strError;
    ASSERT_TRUE(PlanBatch({"a.png", "sub/b.png"}, "out/{name}.png", "planes/{name}-", files, strError)) << strError;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1].strInput, "sub/b.png");
    EXPECT_EQ(files[1].strOutput, "out/b.png");
    EXPECT_EQ(files[1].strPlanePrefix, "planes/b-");
}

TEST(HostBatch, RefusesOutputsThatCollideOrReplaceAnInput)
{
    EXPECT_EQ(Refusal({"x/a.png", "y/a.png"}, "out/{name}.png"),
              "x/a.png and y/a.png would both be written to out/a.png");
    EXPECT_EQ(Refusal({"a.png"}, "./{name}.png"), "./a.png would replace the input a.png");
}

TEST(HostBatch, AfterTheFirstRunTheRecordedValuesPlayBackWithoutTheDialogUnlessEveryFileAsks)
{
    pfBatchPlayback playback;
    std::string strError;
    ASSERT_TRUE(playback.Load("", plugInDialogDisplay, strError));
    EXPECT_EQ(playback.Get(), nullptr);
    const pfDescriptor recorded = {{FourCC("GAMA"), 1.5}};
    playback.Adopt(recorded);
    ASSERT_NE(playback.Get(), nullptr);
    EXPECT_EQ(playback.Get()->size(), 1u);
    EXPECT_EQ(playback.GetPlayInfo(), plugInDialogDontDisplay);

    pfBatchPlayback silent;
    ASSERT_TRUE(silent.Load("", plugInDialogSilent, strError));
    silent.Adopt(recorded);
    EXPECT_EQ(silent.GetPlayInfo(), plugInDialogSilent);

    pfBatchPlayback asking;
    ASSERT_TRUE(asking.Load("", plugInDialogDisplay, strError));
    asking.AskEveryFile();
    asking.Adopt(recorded);
    EXPECT_EQ(asking.GetPlayInfo(), plugInDialogDisplay);
    EXPECT_FALSE(silent.Load("/nonexistent/settings.txt", plugInDialogDisplay, strError));
}
