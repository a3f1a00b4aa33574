#include "filter/DotDeposit.h"
#include "filter/DotField.h"
#include "filter/DotPath.h"
#include "filter/GammaTable.h"
#include "framework/math/PortableMath.h"
#include "framework/render/RenderInterrupt.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

struct Field {
    Field(int32_t nWidth, int32_t nHeight) : values(size_t(nWidth) * nHeight, 0.0f)
    {
        view = MakeFieldView(values.data(), nWidth, nHeight);
    }
    float At(int32_t x, int32_t y) const { return values[size_t(y) * view.nWidth + x]; }
    double Sum() const { return std::accumulate(values.begin(), values.end(), 0.0); }
    std::vector<float> values;
    FieldView view;
};

std::vector<std::pair<int32_t, int32_t>> g_Progress;
void PF_CDECL RecordProgress(int32_t nDone, int32_t nTotal)
{
    g_Progress.emplace_back(nDone, nTotal);
}

// Settings that place every dot where the offsets alone put it.
DotFieldSettings StillSettings(double fDensity)
{
    DotFieldSettings s;
    s.fInnerDensity = s.fOuterDensity = fDensity;
    s.fIntensity = 1.0;
    return s;
}

}  // namespace

TEST(ScaleCompensation, SmallImagesDrawFewerDotsAtTheSameBrightness)
{
    pfRenderSnapshot snapshot;
    snapshot.fInnerDensity = snapshot.fOuterDensity = 1.0;
    snapshot.fAddFactor = 0.5;
    const DotFieldSettings s = MakeDotFieldSettings(snapshot, 320, 240, 1, 1);
    EXPECT_DOUBLE_EQ(s.fDivisorX, 2.0);
    EXPECT_DOUBLE_EQ(s.fDivisorY, 2.0);
    EXPECT_DOUBLE_EQ(s.fGain, 0.5);
    EXPECT_DOUBLE_EQ(s.fIntensity, 0.25);
    const DotCounts counts = ComputeDotCounts(s);
    EXPECT_DOUBLE_EQ(counts.fInner, 250.0);
    EXPECT_DOUBLE_EQ(counts.fOuter, 250.0);
}

TEST(ScaleCompensation, APreviewShowsTheDotsPerPixelOfTheFinalImage)
{
    pfRenderSnapshot snapshot;
    snapshot.fInnerDensity = snapshot.fOuterDensity = 1.0;
    snapshot.fAddFactor = 1.0;
    const DotFieldSettings full = MakeDotFieldSettings(snapshot, 1280, 960, 1, 1);
    EXPECT_DOUBLE_EQ(full.fDivisorX, 1.0);
    EXPECT_DOUBLE_EQ(full.fGain, 4.0);
    EXPECT_DOUBLE_EQ(ComputeDotCounts(full).fInner, 500.0);
    EXPECT_DOUBLE_EQ(ComputeDotCounts(full).fOuter, 500.0);

    const DotFieldSettings preview = MakeDotFieldSettings(snapshot, 320, 240, 4, 4);
    EXPECT_DOUBLE_EQ(preview.fDivisorX, 4.0);
    EXPECT_DOUBLE_EQ(preview.fDivisorY, 4.0);
    EXPECT_DOUBLE_EQ(preview.fGain, 4.0);
    EXPECT_DOUBLE_EQ(ComputeDotCounts(preview).fInner, 125.0);
    EXPECT_DOUBLE_EQ(ComputeDotCounts(preview).fOuter, 125.0);

    snapshot.nRenderPass = 1;
    const DotFieldSettings coarser = MakeDotFieldSettings(snapshot, 320, 240, 4, 4);
    EXPECT_DOUBLE_EQ(coarser.fDivisorX, 5.0);
    EXPECT_LT(CountDots(ComputeDotCounts(coarser)), CountDots(ComputeDotCounts(preview)));
}

TEST(ScaleCompensation, AReducedRectangleOfALargeImage)
{
    pfRenderSnapshot snapshot;
    snapshot.fInnerDensity = snapshot.fOuterDensity = 1.0;
    snapshot.fAddFactor = 1.0;
    const DotFieldSettings s = MakeDotFieldSettings(snapshot, 600, 400, 2000 / 600, 1500 / 400);
    EXPECT_DOUBLE_EQ(s.fDivisorX, 3.0);
    EXPECT_DOUBLE_EQ(s.fGain, 7.03125);
    const DotCounts counts = ComputeDotCounts(s);
    EXPECT_NEAR(counts.fInner, 166.6667, 1e-4);
    EXPECT_DOUBLE_EQ(CountDots(counts), 167.0 * 166.0);
}

TEST(ScaleCompensation, IntensityStaysFiniteAndIgnoresTheSignOfAddFactor)
{
    pfRenderSnapshot snapshot;
    snapshot.fAddFactor = -0.5;
    EXPECT_DOUBLE_EQ(MakeDotFieldSettings(snapshot, 640, 480, 1, 1).fIntensity, 0.25);
    snapshot.fAddFactor = 1e30;
    EXPECT_EQ(MakeDotFieldSettings(snapshot, 640, 480, 1, 1).fIntensity, double(FLT_MAX));
    // A host rectangle larger than the image must not give a scale of 0.
    snapshot.fAddFactor = 1.0;
    EXPECT_TRUE(std::isfinite(MakeDotFieldSettings(snapshot, 640, 480, 0, 0).fGain));
}

TEST(DotSynthesis, FractionalCountsRoundOuterStepsUpAndDotsPerStepDown)
{
    Field field(20, 10);
    DotFieldSettings s = StillSettings(0.005);  // both counts 2.5
    FilterRecord record = ZeroRecord();
    record.progressProc = RecordProgress;
    g_Progress.clear();
    ASSERT_EQ(SynthesizeDotField(field.view, s, &record), 0);
    EXPECT_DOUBLE_EQ(field.Sum(), 3 * 2 * 1.0);
    ASSERT_EQ(g_Progress.size(), 3u);
    EXPECT_EQ(g_Progress[2], std::make_pair(2, 5));
}

namespace {
int g_nAbortChecks = 0;
Boolean PF_CDECL AbortAfterThreeProgressReports()
{
    return g_Progress.size() >= 3 || ++g_nAbortChecks > 50;
}
}  // namespace

TEST(DotSynthesis, LongOuterStepsReportProgressAtEveryInterruptionCheck)
{
    // Two outer steps of 262244 dots: four checks within each step.
    Field field(20, 10);
    DotFieldSettings s = StillSettings(0.004);
    s.fInnerDensity = 524.488;
    FilterRecord record = ZeroRecord();
    record.progressProc = RecordProgress;
    g_Progress.clear();
    ASSERT_EQ(SynthesizeDotField(field.view, s, &record), 0);
    ASSERT_EQ(g_Progress.size(), 10u);
    for (size_t i = 0; i < g_Progress.size(); ++i) {
        EXPECT_EQ(g_Progress[i].second, g_Progress[0].second);
        if (i > 0) {
            EXPECT_LE(g_Progress[i - 1].first, g_Progress[i].first) << i;
        }
    }
    EXPECT_GT(g_Progress[0].first, 0);
    EXPECT_LT(2 * g_Progress.back().first, g_Progress.back().second);

    // A saturated inner count still reaches a host that cancels from its
    // progress callback.
    s.fInnerDensity = 1e308;
    record.abortProc = AbortAfterThreeProgressReports;
    g_Progress.clear();
    EXPECT_EQ(SynthesizeDotField(field.view, s, &record), userCanceledErr);
    EXPECT_EQ(g_Progress.size(), 3u);
}

TEST(DotSynthesis, CountsBelowOneLeaveTheFieldEmptyAndReportNothing)
{
    Field field(20, 10);
    field.values.assign(field.values.size(), 7.0f);
    FilterRecord record = ZeroRecord();
    record.progressProc = RecordProgress;
    g_Progress.clear();
    ASSERT_EQ(SynthesizeDotField(field.view, StillSettings(0.001), &record), 0);
    EXPECT_EQ(field.Sum(), 0.0);
    EXPECT_TRUE(g_Progress.empty());
}

TEST(DotSynthesis, OffsetsAlonePlaceEveryDotOnOnePoint)
{
    // Pi taken as 3.1415926535 puts the dot at x = 124.4999999994.
    DotFieldSettings s = StillSettings(0.004);
    s.fOffsetX1 = DegreesToRadians(30);
    Field plain(200, 100);
    ASSERT_EQ(SynthesizeDotField(plain.view, s, nullptr), 0);
    EXPECT_DOUBLE_EQ(plain.At(124, 98), 4.0);
    EXPECT_DOUBLE_EQ(plain.Sum(), 4.0);

    s.bAntialias = true;
    Field smooth(200, 100);
    ASSERT_EQ(SynthesizeDotField(smooth.view, s, nullptr), 0);
    EXPECT_NEAR(smooth.At(124, 98), 2.0, 1e-6);
    EXPECT_NEAR(smooth.At(125, 98), 2.0, 1e-6);
    for (int x = 120; x < 130; ++x)
        EXPECT_EQ(smooth.At(x, 97), 0.0f);
}

namespace {
// The positions of every dot by the formula, one pass, four evaluations each.
void PlaceByFormula(const DotFieldSettings& s, int32_t nWidth, int32_t nHeight, std::vector<double>& px,
                    std::vector<double>& py)
{
    const DotCounts counts = ComputeDotCounts(s);
    const double wx = s.fWeightX1X2 * 0.5 + 0.5, wy = s.fWeightY1Y2 * 0.5 + 0.5;
    const double ax1 = nWidth * wx * 0.5 - 1, ax2 = nWidth * (1 - wx) * 0.5 - 1;
    const double ay1 = nHeight * wy * 0.5 - 1, ay2 = nHeight * (1 - wy) * 0.5 - 1;
    for (int64_t j = 0; double(j) < counts.fOuter; ++j) {
        const double t = (double(j) + 0.5) / counts.fOuter;
        double phx1 = t * s.fOuterAngleX1, phx2 = t * s.fOuterAngleX2;
        double phy1 = t * s.fOuterAngleY1 + t * s.fOuterAngleY2, phy2 = 0;
        for (int64_t i = 0; double(i + 1) <= counts.fInner; ++i) {
            phx1 += s.fInnerAngleX1 / counts.fInner;
            phy1 += s.fInnerAngleY1 / counts.fInner;
            phx2 += s.fInnerAngleX2 / counts.fInner;
            phy2 += s.fInnerAngleY2 / counts.fInner;
            px.push_back(ax1 * PortableSin(phx1 + s.fOffsetX1) + ax2 * PortableSin(phx2 + s.fOffsetX2) +
                         double(nWidth / 2));
            py.push_back(ay1 * PortableCos(phy1 + s.fOffsetY1) + ay2 * PortableCos(phy2 + s.fOffsetY2) +
                         double(nHeight / 2));
        }
    }
}
}  // namespace

TEST(DotPath, StretchesOfAnyLengthPlaceTheDotsOfOnePassOfTheFormula)
{
    DotFieldSettings s = StillSettings(0.3);
    s.fWeightX1X2 = 0.25;
    s.fOffsetX1 = 0.1, s.fOffsetX2 = -2, s.fOffsetY1 = 0.7, s.fOffsetY2 = 5;
    s.fInnerAngleX1 = 0.6, s.fInnerAngleX2 = 2.4, s.fInnerAngleY1 = 0.75, s.fInnerAngleY2 = 2.5;
    s.fOuterAngleX1 = 4.3, s.fOuterAngleX2 = 6.2, s.fOuterAngleY1 = 0.75, s.fOuterAngleY2 = 1.85;
    // Many short steps, one long step, and steps longer than the values kept.
    for (const auto& densities : {std::make_pair(2.0, 0.1), std::make_pair(0.002, 100.0), std::make_pair(0.004, 140.0)}) {
        s.fOuterDensity = densities.first;
        s.fInnerDensity = densities.second;
        std::vector<double> fx, fy;
        PlaceByFormula(s, 3000, 2000, fx, fy);
        const DotPath path(s, 3000, 2000, ComputeDotCounts(s));
        std::vector<double> px(fx.size()), py(fy.size());
        DotCursor cursor = path.Start();
        for (size_t n = 0, nStretch = 1; n < px.size(); nStretch = nStretch * 3 + 1) {
            DotCursor skipped = cursor;
            const uint64_t nPassed = path.Skip(skipped, nStretch);
            path.Place(cursor, nPassed, px.data() + n, py.data() + n);
            n += nPassed;
        }
        EXPECT_TRUE(path.AtEnd(cursor));
        ASSERT_GT(px.size(), 1000u);
        EXPECT_EQ(0, std::memcmp(px.data(), fx.data(), px.size() * sizeof(double))) << densities.first;
        EXPECT_EQ(0, std::memcmp(py.data(), fy.data(), py.size() * sizeof(double))) << densities.first;
    }
}

TEST(DotDeposit, PlainDotsTruncateTowardZero)
{
    Field field(20, 10);
    DepositDot(field.view, 10.7, 3.2, 1.0, false);
    EXPECT_EQ(field.At(10, 3), 1.0f);
    DepositDot(field.view, -0.4, 5.0, 1.0, false);
    EXPECT_EQ(field.At(0, 5), 1.0f);
    DepositDot(field.view, 20 - 0.01, 5.0, 1.0, false);
    EXPECT_EQ(field.At(19, 5), 1.0f);
    DepositDot(field.view, -1.0, 5.0, 1.0, false);
    DepositDot(field.view, 20.0, 5.0, 1.0, false);
    DepositDot(field.view, 5.0, NAN, 1.0, false);
    DepositDot(field.view, 1e300, 5.0, 1.0, false);
    EXPECT_DOUBLE_EQ(field.Sum(), 3.0);
}

TEST(DotDeposit, AntialiasedDotsSpreadOverFourPixels)
{
    Field field(20, 10);
    DepositDot(field.view, 10.25, 3.5, 1.0, true);
    EXPECT_EQ(field.At(10, 3), 0.375f);
    EXPECT_EQ(field.At(11, 3), 0.125f);
    EXPECT_EQ(field.At(10, 4), 0.375f);
    EXPECT_EQ(field.At(11, 4), 0.125f);

    Field exact(20, 10);
    DepositDot(exact.view, 10.0, 3.0, 1.0, true);
    EXPECT_EQ(exact.At(10, 3), 1.0f);
    EXPECT_DOUBLE_EQ(exact.Sum(), 1.0);
}

TEST(DotDeposit, AntialiasedDotsFoldBackAtTheBorderAndDropOutside)
{
    Field field(20, 10);
    DepositDot(field.view, 20 - 0.5, 2.25, 1.0, true);
    EXPECT_EQ(field.At(19, 2), 0.75f);
    EXPECT_EQ(field.At(19, 3), 0.25f);
    DepositDot(field.view, 0.0, 9.5, 1.0, true);
    EXPECT_EQ(field.At(0, 9), 1.0f);
    DepositDot(field.view, -0.4, 5.0, 1.0, true);
    DepositDot(field.view, 20.0, 5.0, 1.0, true);
    EXPECT_DOUBLE_EQ(field.Sum(), 2.0);
}

// Dots of every kind: inside, on pixel corners, in the last column and row,
// past the edges, not a number; with the intensities of a real field.
std::vector<std::pair<double, double>> DotsOfEveryKind()
{
    std::vector<std::pair<double, double>> dots;
    for (int i = 0; i < 2000; ++i)
        dots.emplace_back(std::fmod(i * 7.31, 21.0) - 0.5, std::fmod(i * 3.17, 11.0) - 0.5);
    for (double x : {0.0, 5.0, 19.0, 19.5, 20.0})
        for (double y : {0.0, 4.0, 9.0, 9.25, 10.0})
            dots.emplace_back(x, y);
    dots.emplace_back(NAN, 3.0);
    dots.emplace_back(1e300, -1e300);
    return dots;
}

TEST(DotDeposit, ARunOfDotsAddsTheSameBitsAsOneAtATimeAndAsTheSumsWritten)
{
    const auto dots = DotsOfEveryKind();
    std::vector<double> px, py;
    for (const auto& [x, y] : dots) {
        px.push_back(x);
        py.push_back(y);
    }
    // Negative intensities too: a sum can underflow to a negative zero.
    for (const double fIntensity : {0.37, -1e-50}) {
        Field oneByOne(20, 10), run(20, 10), shared(20, 10), written(20, 10);
        for (const auto& [x, y] : dots) {
            DepositDot(oneByOne.view, x, y, fIntensity, true);
            // The four sums as written out, for the dots strictly inside.
            const int ix = int(x), iy = int(y);
            if (x > 0 && y > 0 && x < 19 && y < 9 && x != ix && y != iy) {
                const double kx = 1 - (x - ix), ky = 1 - (y - iy);
                float* p = written.view.Row(iy) + ix;
                p[0] = float(p[0] + fIntensity * kx * ky);
                p[1] = float(p[1] + fIntensity * (1 - kx) * ky);
                p[20] = float(p[20] + fIntensity * kx * (1 - ky));
                p[21] = float(p[21] + fIntensity * (1 - ky) * (1 - kx));
            } else {
                DepositDot(written.view, x, y, fIntensity, true);
            }
        }
        AddDots<true>(run.view, px.data(), py.data(), uint32_t(px.size()), fIntensity);
        for (const int32_t nOwner : {0, 1})
            AddDots<true>(shared.view, px.data(), py.data(), uint32_t(px.size()), fIntensity,
                          [nOwner](int32_t y) { return y % 2 == nOwner; });
        EXPECT_EQ(std::memcmp(run.values.data(), oneByOne.values.data(), run.values.size() * sizeof(float)), 0);
        EXPECT_EQ(std::memcmp(shared.values.data(), oneByOne.values.data(), run.values.size() * sizeof(float)), 0);
        EXPECT_EQ(std::memcmp(written.values.data(), oneByOne.values.data(), run.values.size() * sizeof(float)), 0);
    }
}

TEST(GammaTable, RunsFromZeroToOne)
{
    const auto table = MakeGammaTable(2.2);
    ASSERT_TRUE(table);
    EXPECT_EQ(table[0], 0.0f);
    EXPECT_EQ(table[32767], 1.0f);
    EXPECT_EQ(table[16384], float(std::pow(16384 * 3.051850947599719e-05, 1 / 2.2)));
    const auto linear = MakeGammaTable(1.0);
    for (int i : {1, 100, 32766})
        EXPECT_EQ(linear[i], float(i * 3.051850947599719e-05));
    // Gamma 0: everything below full intensity goes black, nothing breaks.
    const auto zero = MakeGammaTable(0.0);
    EXPECT_EQ(zero[32766], 0.0f);
    EXPECT_EQ(zero[32767], 1.0f);
}

TEST(GammaTable, ATableMadeAgainIsItsOwnCopyOfTheSameBits)
{
    auto first = MakeGammaTable(2.2);
    const std::vector<float> expected(first.get(), first.get() + kGammaTableSize);
    first[16384] = -1.0f;
    const auto again = MakeGammaTable(2.2);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), again.get()));
    // 0 and -0 are told apart: an exponent of -infinity makes the mid-greys infinite.
    EXPECT_TRUE(std::isinf(MakeGammaTable(-0.0)[16384]));
    EXPECT_EQ(MakeGammaTable(0.0)[16384], 0.0f);
}

TEST(SourceColour, ClipColorCapsTheFieldAtTheColourItself)
{
    const auto table = MakeGammaTable(1.0);
    EXPECT_EQ(SourceValue(2.7, 0.4, true, table.get()), table[int(0.4 * 32767)]);
    EXPECT_EQ(SourceValue(2.7, 0.4, false, table.get()), 1.0);
    EXPECT_EQ(SourceValue(0.5, 0.5, false, table.get()), table[int(0.25 * 32767)]);
}

TEST(SourceColour, NonFiniteFieldValuesNeverBecomeAnIndex)
{
    const auto table = MakeGammaTable(1.0);
    EXPECT_EQ(SourceValue(NAN, 0.5, false, table.get()), 0.0);
    EXPECT_EQ(SourceValue(INFINITY, 0.5, true, table.get()), table[int(0.5 * 32767)]);
    EXPECT_EQ(SourceValue(INFINITY, 0.0, false, table.get()), 0.0);
    EXPECT_EQ(SourceValue(-3.0, 0.5, false, table.get()), 0.0);
}
