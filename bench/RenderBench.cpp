// The pixel pass of a 6000 x 4000 final render, timed next to the memory
// floor in the same iteration: 8-bit RGB and a 16-bit RGBA layer, default
// densities and both at 2.0, with and without a selection mask, on all
// threads; every blend mode next to "screen" in the same layout; and the
// resident memory a whole final render adds at its peak.
#include "BenchSupport.h"

#include "filter/BlendPixel.h"
#include "filter/DotField.h"
#include "filter/GammaTable.h"
#include "filter/RenderDriver.h"
#include "filter/RenderVariant.h"

#include "framework/platform/WorkerTeam.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0, Clock::time_point t1)
{
    return std::chrono::duration<double>(t1 - t0).count();
}

// An image, its field and gamma table, and the render's views on them.
template <typename Sample, bool bAlpha>
struct PassFixture {
    static constexpr int32_t kPlanes = bAlpha ? 4 : 3;
    static constexpr int32_t kStride = kPlanes * int32_t(sizeof(Sample));
    static constexpr int32_t kRowBytes = bench::kWidth * kStride;

    PassFixture(const pfRenderSnapshot& snapshot, bool bMask)
        : field(size_t(bench::kWidth) * bench::kHeight), in(size_t(kRowBytes) * bench::kHeight), out(in.size())
    {
        const FilterRecord none{};
        fieldView = MakeFieldView(field.data(), bench::kWidth, bench::kHeight);
        SynthesizeDotField(fieldView, MakeDotFieldSettings(snapshot, bench::kWidth, bench::kHeight, 1, 1), &none);
        table = MakeGammaTable(snapshot.fGammaCorrection);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = uint8_t(i * 2654435761u >> 13);
        if constexpr (sizeof(Sample) == 2)
            for (size_t i = 1; i < in.size(); i += 2)
                in[i] &= 0x7F;  // 16-bit samples stay within 0..32767
        inView = MakePixelView(in.data(), bench::kWidth, bench::kHeight, kRowBytes, kStride, bAlpha ? 3 : 0);
        outView = MakePixelView(out.data(), bench::kWidth, bench::kHeight, kRowBytes, kStride, bAlpha ? 3 : 0);
        if (bMask) {
            // A soft elliptical selection: selected, unselected and edges.
            const int32_t nMaskBytes = bench::kWidth * int32_t(sizeof(Sample));
            mask.resize(size_t(nMaskBytes) * bench::kHeight);
            for (int32_t y = 0; y < bench::kHeight; ++y)
                for (int32_t x = 0; x < bench::kWidth; ++x) {
                    const double dx = (x - 3000) / 2400.0, dy = (y - 2000) / 1600.0;
                    const double r = 1.5 - (dx * dx + dy * dy);
                    const double m = r < 0 ? 0 : (r > 1 ? 1 : r);
                    const Sample v = Sample(m * pfSampleCodec<Sample>::kScale);
                    std::memcpy(&mask[(size_t(y) * bench::kWidth + x) * sizeof(Sample)], &v, sizeof v);
                }
            maskView = MakePixelView(mask.data(), bench::kWidth, bench::kHeight, nMaskBytes, sizeof(Sample), 0);
        }
    }

    // The team lives as long as the benchmark; a render makes its own.
    void Pass(const pfRenderSnapshot& snapshot, const FilterRecord& record, pfWorkerTeam& team)
    {
        BlendFieldIntoImage<Sample, 3, bAlpha>(snapshot, fieldView, table.get(), inView, outView, maskView, &record,
                                               &team);
        benchmark::ClobberMemory();
    }

    std::vector<float> field;
    std::vector<uint8_t> in, out, mask;
    FieldView fieldView;
    pfRenderFloats table;
    PixelView inView, outView, maskView;
};

void ReportPerPixel(benchmark::State& state, const char* pName, double fSeconds)
{
    const double fPixels = double(bench::kWidth) * bench::kHeight * double(state.iterations());
    state.counters[pName] = fSeconds / fPixels * 1e9;
}

// Args: dense (0/1), mask (0/1).
template <typename Sample, bool bAlpha>
void PixelPass(benchmark::State& state)
{
    const int32_t nThreads = bench::MachineThreads();
    const pfRenderSnapshot snapshot = bench::Parameters(state.range(0) != 0, nThreads);
    PassFixture<Sample, bAlpha> fixture(snapshot, state.range(1) != 0);
    const FilterRecord record = bench::HostRecord();
    pfWorkerTeam team(nThreads);

    double fFloor = 0, fPass = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        bench::FloorPass(fixture.in.data(), fixture.field.data(), fixture.out.data(), fixture.kRowBytes, nThreads);
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        fixture.Pass(snapshot, record, team);
        const auto t2 = Clock::now();
        fFloor += Seconds(t0, t1);
        fPass += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t1, t2));
    }
    ReportPerPixel(state, "pass ns/px", fPass);
    ReportPerPixel(state, "floor ns/px", fFloor);
    state.counters["pass/floor"] = fPass / fFloor;
    state.counters["threads"] = nThreads;
}

// Arg: blend mode. Each iteration times "screen" and the mode.
template <typename Sample, bool bAlpha>
void BlendMode(benchmark::State& state)
{
    const int32_t nThreads = bench::MachineThreads();
    pfRenderSnapshot screen = bench::Parameters(false, nThreads);
    screen.nBlendMode = kBlendScreen;
    pfRenderSnapshot mode = screen;
    mode.nBlendMode = unsigned(state.range(0));
    PassFixture<Sample, bAlpha> fixture(screen, false);
    const FilterRecord record = bench::HostRecord();
    pfWorkerTeam team(nThreads);

    double fScreen = 0, fMode = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        fixture.Pass(screen, record, team);
        const auto t1 = Clock::now();
        fixture.Pass(mode, record, team);
        const auto t2 = Clock::now();
        fScreen += Seconds(t0, t1);
        fMode += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t1, t2));
    }
    ReportPerPixel(state, "mode ns/px", fMode);
    state.counters["mode/screen"] = fMode / fScreen;
}

// The resident memory a whole final render of 8-bit RGB through the driver
// adds at its peak, against the field alone; the host's buffers are the
// benchmark's, touched before.
void FinalRenderMemory(benchmark::State& state)
{
    const int32_t nRowBytes = bench::kWidth * 3;
    std::vector<uint8_t> in(size_t(nRowBytes) * bench::kHeight, 90), out(in.size(), 1);
    FilterRecord record = bench::HostRecord();
    record.imageMode = plugInModeRGBColor;
    record.depth = 8;
    record.planes = 3;
    record.imageSize = Point{int16_t(bench::kHeight), int16_t(bench::kWidth)};
    record.outRect = Rect{0, 0, int16_t(bench::kHeight), int16_t(bench::kWidth)};
    record.inRowBytes = record.outRowBytes = nRowBytes;
    record.inData = in.data();
    record.outData = out.data();
    const pfRenderSnapshot snapshot = bench::Parameters(false, bench::MachineThreads());

    std::size_t nPeak = 0;
    for (auto _ : state) {
        const std::size_t nBefore = bench::ResidentBytes();
        bench::ResetResidentPeak();
        benchmark::DoNotOptimize(SelectRenderTemplate(snapshot, &record));
        nPeak = std::max(nPeak, bench::ResidentPeak() - nBefore);
    }
    const double fHost = double(in.size() + out.size());
    const double fField = double(bench::kWidth) * bench::kHeight * sizeof(float);
    state.counters["render peak MB"] = double(nPeak) / 1e6;
    state.counters["field MB"] = fField / 1e6;
    state.counters["host MB"] = fHost / 1e6;
    state.counters["(host+peak)/(host+field)"] = (fHost + double(nPeak)) / (fHost + fField);
}

void AllModes(benchmark::internal::Benchmark* b)
{
    for (int nMode = kBlendNormal; nMode <= int(kBlendReplace); ++nMode)
        b->Arg(nMode);
}

}  // namespace

BENCHMARK_TEMPLATE(PixelPass, uint8_t, false)
    ->Name("PixelPass/RGB8")
    ->ArgNames({"dense", "mask"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(PixelPass, uint16_t, true)
    ->Name("PixelPass/RGBA16")
    ->ArgNames({"dense", "mask"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BlendMode, uint8_t, false)
    ->Name("BlendMode/RGB8")
    ->ArgName("mode")
    ->Apply(AllModes)
    ->Iterations(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BlendMode, uint16_t, true)
    ->Name("BlendMode/RGBA16")
    ->ArgName("mode")
    ->Apply(AllModes)
    ->Iterations(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FinalRenderMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
