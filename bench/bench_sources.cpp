// Per-sample cost of the sound sources and filters: one oscillator, one ladder, one SVF.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/FilterControl.h"
#include "engine/Oscillator.h"

namespace {

constexpr int kBlock = 64;
constexpr float kRate = 44100.0f;

const WtCollection& tables()
{
    static const WtCollection wt = [] {
        WtCollection c;
        c.buildAll(kRate);
        return c;
    }();
    return wt;
}

void reportPerSample(benchmark::State& state)
{
    state.counters["per_sample"] = benchmark::Counter(double(state.iterations()) * kBlock,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void oscillator(benchmark::State& state, OscWaveform wave)
{
    Oscillator osc;
    osc.tables = &tables();
    osc.waveform = wave;
    osc.increment = 440.0f / kRate;
    for (auto _ : state) {
        float sum = 0.0f;
        for (int i = 0; i < kBlock; ++i)
            sum += osc.nextSample(0.3f);
        benchmark::DoNotOptimize(sum);
    }
    reportPerSample(state);
}

void filter(benchmark::State& state, FilterType type)
{
    FilterUnit unit;
    unit.setType(type);
    FilterControl control;
    control.setSampleRate(kRate);
    Oscillator osc;
    osc.tables = &tables();
    osc.waveform = OscWaveform::Sawtooth;
    osc.increment = 110.0f / kRate;
    float input[kBlock];
    int counter = 0;
    for (auto _ : state) {
        for (float& x : input)
            x = osc.nextSample(0.5f);
        // A slowly moving cutoff, as under modulation, so the smoother never settles.
        const float cutoff = 0.5f + 0.3f * std::sin(0.001f * float(counter++));
        for (int i = 0; i < kBlock; ++i) {
            float l = input[i], r = input[i];
            control.process(unit, l, r, cutoff, 0.0f, 0.7f, 0.0f, 0.5f, -5.0f, kRate);
            benchmark::DoNotOptimize(l);
            benchmark::DoNotOptimize(r);
        }
    }
    reportPerSample(state);
}

} // namespace

BENCHMARK_CAPTURE(oscillator, saw, OscWaveform::Sawtooth);
BENCHMARK_CAPTURE(oscillator, square, OscWaveform::Square);
BENCHMARK_CAPTURE(oscillator, sine, OscWaveform::Sine);
BENCHMARK_CAPTURE(oscillator, pink, OscWaveform::Pink);
// Stereo sample through the control law and the filter (the input saw is included).
BENCHMARK_CAPTURE(filter, ladder, FilterType::Lowpass24);
BENCHMARK_CAPTURE(filter, svf, FilterType::Lowpass12);
