// Final renders of a 6000 x 4000 image: the dot synthesis per dot, and the
// pixel pass per pixel next to a plain copy of the same input into the same
// output (the memory-bandwidth floor), for an 8-bit RGB image and a 16-bit
// RGBA layer, with the default parameters and with both densities at 2.0.
#include "filter/DotField.h"
#include "filter/FilterCorvane.h"
#include "filter/GammaTable.h"
#include "filter/RenderSnapshot.h"
#include "filter/RenderVariant.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

pfRenderSnapshot Parameters(bool bDense)
{
    pfFilterCorvane filter;
    if (bDense) {
        filter.m_InnerDensity.SetValue(2.0);
        filter.m_OuterDensity.SetValue(2.0);
    }
    return TakeRenderSnapshot(filter);
}

void SynthesizeField(benchmark::State& state)
{
    const pfRenderSnapshot snapshot = Parameters(state.range(0) != 0);
    const DotFieldSettings settings = MakeDotFieldSettings(snapshot, kWidth, kHeight, 1, 1);
    std::vector<float> field(size_t(kWidth) * kHeight);
    FilterRecord record{};
    for (auto _ : state)
        benchmark::DoNotOptimize(SynthesizeDotField(MakeFieldView(field.data(), kWidth, kHeight), settings, &record));
    const double fDots = CountDots(ComputeDotCounts(settings));
    state.counters["dots"] = fDots;
    state.counters["time/dot"] =
        benchmark::Counter(fDots, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <typename Sample, bool bAlpha>
void PixelPass(benchmark::State& state)
{
    const pfRenderSnapshot snapshot = Parameters(state.range(0) != 0);
    const DotFieldSettings settings = MakeDotFieldSettings(snapshot, kWidth, kHeight, 1, 1);
    std::vector<float> field(size_t(kWidth) * kHeight);
    FilterRecord record{};
    const FieldView fieldView = MakeFieldView(field.data(), kWidth, kHeight);
    SynthesizeDotField(fieldView, settings, &record);
    const auto table = MakeGammaTable(snapshot.fGammaCorrection);

    constexpr int32_t nPlanes = bAlpha ? 4 : 3;
    const int32_t nStride = nPlanes * int32_t(sizeof(Sample));
    const int32_t nRowBytes = kWidth * nStride;
    std::vector<uint8_t> in(size_t(nRowBytes) * kHeight), out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = uint8_t(i * 2654435761u >> 13);
    if constexpr (sizeof(Sample) == 2)
        for (size_t i = 1; i < in.size(); i += 2)
            in[i] &= 0x7F;  // 16-bit samples stay within 0..32767
    const PixelView inView = MakePixelView(in.data(), kWidth, kHeight, nRowBytes, nStride, bAlpha ? 3 : 0);
    const PixelView outView = MakePixelView(out.data(), kWidth, kHeight, nRowBytes, nStride, bAlpha ? 3 : 0);

    using Clock = std::chrono::steady_clock;
    double fCopySeconds = 0, fPassSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        BlendFieldIntoImage<Sample, 3, bAlpha>(snapshot, fieldView, table.get(), inView, outView, PixelView{},
                                               &record);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        fCopySeconds += std::chrono::duration<double>(t1 - t0).count();
        const double fPass = std::chrono::duration<double>(t2 - t1).count();
        fPassSeconds += fPass;
        state.SetIterationTime(fPass);
    }
    const double fPixels = double(kWidth) * kHeight * double(state.iterations());
    state.counters["pass ns/px"] = fPassSeconds / fPixels * 1e9;
    state.counters["copy ns/px"] = fCopySeconds / fPixels * 1e9;
    state.counters["pass/copy"] = fPassSeconds / fCopySeconds;
}

}  // namespace

BENCHMARK(SynthesizeField)->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(PixelPass, uint8_t, false)
    ->Name("PixelPass/RGB8")
    ->ArgName("dense")->Arg(0)->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(PixelPass, uint16_t, true)
    ->Name("PixelPass/RGBA16")
    ->ArgName("dense")->Arg(0)->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
