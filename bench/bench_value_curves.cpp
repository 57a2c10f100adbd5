// Costs of the per-block conversions the engine makes: decoding coded values and the
// tempo-synchronized curves.
#include "params/CodeTables.h"
#include "params/DisplayText.h"
#include "params/ValueCurves.h"

#include <benchmark/benchmark.h>

static void DecodeModTarget(benchmark::State& state)
{
    float v = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeModTarget(v));
        v = v < 0.5f ? v + 0.01f : 0.0f;
    }
}
BENCHMARK(DecodeModTarget);

static void SyncedLfoRate(benchmark::State& state)
{
    float v = 0.0f;
    const TempoInfo tempo{128.0f, 4};
    for (auto _ : state) {
        benchmark::DoNotOptimize(lfoRateHz(v, true, tempo));
        v = v < 1.0f ? v + 0.013f : 0.0f;
    }
}
BENCHMARK(SyncedLfoRate);

static void DisplayAllParameters(benchmark::State& state)
{
    char text[kDisplayTextSize];
    for (auto _ : state)
        for (int i = 0; i < kNumParams; ++i)
            benchmark::DoNotOptimize(formatParamDisplay(i, 0.37f, 0.0f, text));
}
BENCHMARK(DisplayAllParameters);
