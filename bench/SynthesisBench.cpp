// The dot synthesis of a 6000 x 4000 final render per dot, on one thread
// and on all, next to its sine and cosine evaluations alone (four per dot,
// on one thread, and shared by the team: what the machine's cores give to
// computing alone; and the three a dot, two dots at a time, that the
// synthesis makes) timed in the same iteration. The dots are placed into a
// clear field, as in a render (whose fresh field comes clear from the
// system); clearing a used field is timed apart, per pixel.
#include "BenchSupport.h"

#include "filter/DotField.h"
#include "framework/math/PortableMath.h"

#include "framework/platform/WorkerTeam.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The four evaluations of every dot, with the synthesis's phases; member
// nMember of nMembers takes every nMembers-th outer step.
double SinesAndCosines(const DotFieldSettings& s, int32_t nMember = 0, int32_t nMembers = 1)
{
    const DotCounts counts = ComputeDotCounts(s);
    const uint64_t nInner = uint64_t(counts.fInner);
    const double dx1 = s.fInnerAngleX1 / counts.fInner, dx2 = s.fInnerAngleX2 / counts.fInner;
    const double dy1 = s.fInnerAngleY1 / counts.fInner, dy2 = s.fInnerAngleY2 / counts.fInner;
    double fSum = 0;
    for (int64_t j = nMember; double(j) < counts.fOuter; j += nMembers) {
        const double t = (double(j) + 0.5) / counts.fOuter;
        double phx1 = t * s.fOuterAngleX1, phx2 = t * s.fOuterAngleX2;
        double phy1 = t * s.fOuterAngleY1 + t * s.fOuterAngleY2, phy2 = 0;
        for (uint64_t i = 0; i < nInner; ++i) {
            phx1 += dx1;
            phy1 += dy1;
            phx2 += dx2;
            phy2 += dy2;
            fSum += PortableSin(phx1 + s.fOffsetX1) + PortableSin(phx2 + s.fOffsetX2) +
                    PortableCos(phy1 + s.fOffsetY1) + PortableCos(phy2 + s.fOffsetY2);
        }
    }
    return fSum;
}

// The evaluations the synthesis itself makes: three a dot (the fourth term
// is the same in every outer step), two dots at a time.
double OwnSinesAndCosines(const DotFieldSettings& s)
{
    constexpr uint64_t kBlock = 64;
    const DotCounts counts = ComputeDotCounts(s);
    const uint64_t nInner = uint64_t(counts.fInner);
    const double dx1 = s.fInnerAngleX1 / counts.fInner, dx2 = s.fInnerAngleX2 / counts.fInner;
    const double dy1 = s.fInnerAngleY1 / counts.fInner;
    double a[3][kBlock];
    double fSum = 0;
    for (int64_t j = 0; double(j) < counts.fOuter; ++j) {
        const double t = (double(j) + 0.5) / counts.fOuter;
        double phx1 = t * s.fOuterAngleX1, phx2 = t * s.fOuterAngleX2;
        double phy1 = t * s.fOuterAngleY1 + t * s.fOuterAngleY2;
        for (uint64_t i = 0; i < nInner; i += kBlock) {
            const uint64_t n = std::min(kBlock, nInner - i);
            for (uint64_t k = 0; k < n; ++k) {
                a[0][k] = (phx1 += dx1) + s.fOffsetX1;
                a[1][k] = (phx2 += dx2) + s.fOffsetX2;
                a[2][k] = (phy1 += dy1) + s.fOffsetY1;
            }
            PortableSines(a[0], a[0], n);
            PortableSines(a[1], a[1], n);
            PortableCosines(a[2], a[2], n);
            fSum += a[0][0] + a[1][n - 1] + a[2][n / 2];
        }
    }
    return fSum;
}

// Args: dense (0/1), threads (0 = all).
void Synthesis(benchmark::State& state)
{
    const int32_t nThreads = state.range(1) ? int32_t(state.range(1)) : bench::MachineThreads();
    const pfRenderSnapshot snapshot = bench::Parameters(state.range(0) != 0, nThreads);
    const DotFieldSettings settings = MakeDotFieldSettings(snapshot, bench::kWidth, bench::kHeight, 1, 1);
    std::vector<float> field(size_t(bench::kWidth) * bench::kHeight);
    const FieldView view = MakeFieldView(field.data(), bench::kWidth, bench::kHeight);
    const FilterRecord record = bench::HostRecord();
    pfWorkerTeam team(nThreads);

    double fSynthesis = 0, fSines = 0, fOwnSines = 0, fSharedSines = 0, fClear = 0;
    for (auto _ : state) {
        const auto tShared = Clock::now();
        if (nThreads > 1) {
            std::vector<double> sums(size_t(team.GetSize()));
            team.Run([&](int32_t m) { sums[size_t(m)] = SinesAndCosines(settings, m, team.GetSize()); });
            benchmark::DoNotOptimize(sums.data());
        }
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(SinesAndCosines(settings));
        const auto tOwn = Clock::now();
        benchmark::DoNotOptimize(OwnSinesAndCosines(settings));
        const auto t1 = Clock::now();
        ClearField(view, &team);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(PlaceDots(view, settings, &record, &team));
        benchmark::ClobberMemory();
        const auto t3 = Clock::now();
        fSharedSines += std::chrono::duration<double>(t0 - tShared).count();
        fSines += std::chrono::duration<double>(tOwn - t0).count();
        fOwnSines += std::chrono::duration<double>(t1 - tOwn).count();
        fClear += std::chrono::duration<double>(t2 - t1).count();
        const double fRun = std::chrono::duration<double>(t3 - t2).count();
        fSynthesis += fRun;
        state.SetIterationTime(fRun);
    }
    const double fDots = CountDots(ComputeDotCounts(settings)) * double(state.iterations());
    state.counters["dots"] = fDots / double(state.iterations());
    state.counters["ns/dot"] = fSynthesis / fDots * 1e9;
    state.counters["sincos ns/dot"] = fSines / fDots * 1e9;
    state.counters["synthesis/sincos"] = fSynthesis / fSines;
    state.counters["synthesis/own sincos"] = fSynthesis / fOwnSines;
    if (nThreads > 1)
        state.counters["shared sincos/sincos"] = fSharedSines / fSines;
    state.counters["clear ns/px"] = fClear / (double(bench::kWidth) * bench::kHeight * double(state.iterations())) * 1e9;
    state.counters["threads"] = nThreads;
}

}  // namespace

BENCHMARK(Synthesis)
    ->ArgNames({"dense", "threads"})
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
