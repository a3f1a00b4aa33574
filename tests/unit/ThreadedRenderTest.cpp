// A render on several threads gives the bits of the render on one, and
// leaves no thread behind however it ends.
#include "RenderTestSupport.h"

#include "filter/BlendPixel.h"
#include "filter/DotField.h"
#include "filter/RenderDriver.h"
#include "filter/RenderThreads.h"

#include "framework/platform/WorkerTeam.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Variant {
    int32_t nDepth;
    int16_t nChannels;
    bool bAlpha;
};

// Large enough that a render may start seven threads.
constexpr int16_t kWidth = 97, kHeight = 75;

pfRenderSnapshot RandomParameters(std::mt19937& random, unsigned nMode)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0), angle(-360.0, 360.0);
    pfRenderSnapshot s;
    for (double& c : s.fColor)
        c = unit(random);
    s.fGammaCorrection = 0.3 + 3 * unit(random);
    s.nBlendMode = nMode;
    s.bClipColor = unit(random) < 0.5;
    s.bAntialias = unit(random) < 0.7;
    s.fInnerDensity = 0.05 + 3 * unit(random);
    s.fOuterDensity = 0.05 + 12 * unit(random);
    s.fAddFactor = 2 * unit(random);
    s.fWeightX1X2 = 2 * unit(random) - 1;
    s.fWeightY1Y2 = 2 * unit(random) - 1;
    for (double* p : {&s.fOffsetX1, &s.fOffsetX2, &s.fOffsetY1, &s.fOffsetY2, &s.fInnerAngleX1, &s.fInnerAngleX2,
                      &s.fInnerAngleY1, &s.fInnerAngleY2, &s.fOuterAngleX1, &s.fOuterAngleX2, &s.fOuterAngleY1,
                      &s.fOuterAngleY2})
        *p = angle(random);
    return s;
}

// maskBytes: 0 no mask, else bytes per mask sample.
TestImage MakeImage(const Variant& v, int nMaskBytes, std::mt19937& random)
{
    const int16_t nPlanes = int16_t(v.nChannels + (v.bAlpha ? 1 : 0));
    TestImage image(v.nDepth == 8 ? plugInModeRGBColor : plugInModeRGB48, v.nDepth, kWidth, kHeight, nPlanes);
    image.record.inLayerPlanes = v.nChannels;
    image.record.inTransparencyMask = v.bAlpha ? 1 : 0;
    const uint16_t nTop = v.nDepth == 8 ? 255 : 32768;
    std::uniform_int_distribution<int> sample(0, nTop);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int p = 0; p < nPlanes; ++p)
                image.SetIn(x, y, p, uint16_t(sample(random)));
    if (nMaskBytes) {
        image.record.maskRowBytes = kWidth * nMaskBytes;
        image.mask.resize(size_t(image.record.maskRowBytes) * kHeight);
        for (uint8_t& b : image.mask)
            b = uint8_t(sample(random));
        if (nMaskBytes == 2)
            for (size_t i = 1; i < image.mask.size(); i += 2)
                image.mask[i] &= 0x80;  // 0..32768 and a few above
        image.record.maskData = image.mask.data();
    }
    return image;
}

std::vector<uint8_t> RenderOn(int32_t nThreads, pfRenderSnapshot snapshot, TestImage image)
{
    snapshot.nThreads = nThreads;
    image.record.inData = image.in.data();
    image.record.outData = image.out.data();
    if (!image.mask.empty())
        image.record.maskData = image.mask.data();
    EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), 0);
    return image.out;
}

std::vector<std::pair<int32_t, int32_t>> g_Progress;
void PF_CDECL RecordProgress(int32_t nDone, int32_t nTotal)
{
    g_Progress.emplace_back(nDone, nTotal);
}

Boolean PF_CDECL AbortAtTheThirdCheck()
{
    static int nChecks = 0;
    return ++nChecks % 3 == 0;
}

}  // namespace

TEST(ThreadedRender, EveryFormatModeAndMaskGivesTheSingleThreadedBits)
{
    std::mt19937 random(20261208);
    const Variant variants[] = {{8, 1, false},  {8, 2, false},  {8, 3, false},  {8, 1, true},
                                {8, 2, true},   {8, 3, true},   {16, 1, false}, {16, 2, false},
                                {16, 3, false}, {16, 1, true},  {16, 2, true},  {16, 3, true}};
    int nCase = 0;
    for (const Variant& v : variants)
        for (unsigned nMode = kBlendNormal; nMode <= kBlendReplace; ++nMode)
            for (int nSet = 0; nSet < 2; ++nSet, ++nCase) {
                const int nMaskBytes = nCase % 3 == 0 ? 0 : (v.nDepth == 16 && nCase % 3 == 2 ? 2 : 1);
                const pfRenderSnapshot snapshot = RandomParameters(random, nMode);
                const TestImage image = MakeImage(v, nMaskBytes, random);
                const std::vector<uint8_t> single = RenderOn(1, snapshot, image);
                for (const int32_t nThreads : {2, 3})
                    ASSERT_EQ(RenderOn(nThreads, snapshot, image), single)
                        << v.nDepth << "-bit, " << v.nChannels << " channels" << (v.bAlpha ? " + alpha" : "")
                        << ", mode " << nMode << ", set " << nSet << ", mask " << nMaskBytes << ", " << nThreads
                        << " threads";
            }
}

TEST(ThreadedRender, LongStepsSplitAcrossThreadsGiveTheSameFieldAndHostCalls)
{
    // Three outer steps of 150000 dots: rounds and chunks start mid-step.
    DotFieldSettings settings;
    settings.fInnerDensity = 300;
    settings.fOuterDensity = 0.005;
    settings.fInnerAngleX1 = 7.1;
    settings.fInnerAngleY1 = 3.3;
    settings.fOuterAngleX2 = 2.0;
    settings.fIntensity = 0.37;
    settings.bAntialias = true;
    FilterRecord record = ZeroRecord();
    record.progressProc = RecordProgress;

    const auto synthesize = [&](int32_t nThreads) {
        std::vector<float> values(61 * 43, 5.0f);
        pfWorkerTeam team(nThreads);
        g_Progress.clear();
        EXPECT_EQ(SynthesizeDotField(MakeFieldView(values.data(), 61, 43), settings, &record, &team), 0);
        return std::make_pair(values, g_Progress);
    };
    const auto single = synthesize(1);
    EXPECT_EQ(single.second.size(), 3u * 3u);  // two checks within each step, one at its end
    for (const int32_t nThreads : {2, 5})
        EXPECT_EQ(synthesize(nThreads), single) << nThreads << " threads";
}

TEST(ThreadedRender, NoThreadOutlivesARenderThatIsAbortedOrOvertaken)
{
    RenderControlReset reset;
    std::mt19937 random(7);
    TestImage image = MakeImage({8, 3, false}, 0, random);
    pfRenderSnapshot snapshot;
    snapshot.nThreads = 4;
    image.record.abortProc = AbortAtTheThirdCheck;
    EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), userCanceledErr);
    EXPECT_EQ(pfWorkerTeam::CountRunningWorkers(), 0);

    // A preview that is overtaken from its first check on.
    RecordingPlatform platform;
    g_nRenderStartTick = platform.GetTickCount() - 1000;
    g_bPreviewDirty = true;
    EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), userCanceledErr);
    EXPECT_EQ(pfWorkerTeam::CountRunningWorkers(), 0);
}

TEST(ThreadedRender, TheProgressOfThePixelPassNeverGoesBack)
{
    std::mt19937 random(11);
    TestImage image = MakeImage({16, 3, true}, 2, random);
    image.record.progressProc = RecordProgress;
    g_Progress.clear();
    EXPECT_EQ(SelectRenderTemplate(NoDots(kBlendScreen), &image.record), 0);
    const auto single = g_Progress;
    pfRenderSnapshot snapshot = NoDots(kBlendScreen);
    snapshot.nThreads = 3;
    g_Progress.clear();
    EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), 0);
    ASSERT_FALSE(g_Progress.empty());
    for (size_t i = 1; i < g_Progress.size(); ++i)
        EXPECT_LE(g_Progress[i - 1].first, g_Progress[i].first);
    EXPECT_EQ(g_Progress.back(), single.back());
}

TEST(ThreadedRender, APreviewsListenerHearsOfEveryRowOfItsWindowOnceAndInOutputCoordinates)
{
    std::mt19937 random(5);
    TestImage image = MakeImage({8, 3, false}, 0, random);
    std::mutex lock;
    std::vector<int> heard(kHeight, 0);
    int nWrongColumns = 0;
    const pfRowFinished listener = [&](int32_t y, int32_t xFirst, int32_t xEnd) {
        const std::lock_guard<std::mutex> guard(lock);
        ++heard.at(size_t(y));
        nWrongColumns += xFirst != 10 || xEnd != 60;
    };
    pfRenderSnapshot snapshot = RandomParameters(random, kBlendNormal);
    snapshot.nThreads = 3;
    snapshot.window = Rect{20, 10, 70, 60};
    snapshot.pRowFinished = &listener;
    EXPECT_EQ(SelectRenderTemplate(snapshot, &image.record), 0);
    for (int y = 0; y < kHeight; ++y)
        EXPECT_EQ(heard[size_t(y)], y >= 20 && y < 70 ? 1 : 0) << "row " << y;
    EXPECT_EQ(nWrongColumns, 0);
}

TEST(RenderThreads, TheEnvironmentCapIsAWholeNumberFromOne)
{
    EXPECT_EQ(ParseThreadCap("4"), 4);
    EXPECT_EQ(ParseThreadCap("1"), 1);
    EXPECT_EQ(ParseThreadCap("100000"), kMaxRenderThreads);
    for (const char* pText : {"", "0", "-2", "3x", " 3", "99999999999"})
        EXPECT_EQ(ParseThreadCap(pText), 0) << pText;
    EXPECT_GE(RenderThreadCount(), 1);
}

TEST(WorkerTeam, RunReachesEveryMemberOnceAndEndsWithAllWorkersJoined)
{
    {
        pfWorkerTeam team(4);
        ASSERT_EQ(team.GetSize(), 4);
        for (int nRun = 0; nRun < 3; ++nRun) {
            std::atomic<int32_t> members[4] = {};
            team.Run([&members](int32_t n) { ++members[n]; });
            for (const auto& m : members)
                EXPECT_EQ(m.load(), 1);
        }
        EXPECT_EQ(pfWorkerTeam::CountRunningWorkers(), 3);

        // Quick runs meet spinning workers, slow ones sleeping workers.
        std::atomic<int32_t> nCalls{0};
        for (int nRun = 0; nRun < 1000; ++nRun)
            team.Run([&nCalls](int32_t) { ++nCalls; });
        for (int nRun = 0; nRun < 5; ++nRun)
            team.Run([&nCalls](int32_t n) {
                if (n == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(3));
                ++nCalls;
            });
        EXPECT_EQ(nCalls.load(), 4 * 1005);
    }
    EXPECT_EQ(pfWorkerTeam::CountRunningWorkers(), 0);
    EXPECT_EQ(pfWorkerTeam(1).GetSize(), 1);
}
