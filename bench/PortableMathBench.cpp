// The portable sine at the phases a dot field meets: ordinary angles, and
// the huge ones that extreme angle parameters give, which are first folded
// into one turn. Side by side, the two say what a huge angle costs a dot.
#include "framework/math/PortableMath.h"

#include <benchmark/benchmark.h>

namespace {

void Sine(benchmark::State& state)
{
    // Phases spread over one magnitude, as a dot field's phases advance.
    const double fBase = state.range(0) ? 1e300 : 100.0;
    double x = fBase;
    double fSum = 0;
    for (auto _ : state) {
        fSum += PortableSin(x);
        x = x * 1.0000001;
        if (x > 2 * fBase)
            x = fBase;
    }
    benchmark::DoNotOptimize(fSum);
}
BENCHMARK(Sine)->ArgName("huge")->Arg(0)->Arg(1);

}  // namespace
