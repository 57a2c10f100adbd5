// Cost per stereo frame of the ping-pong delay (both buses) and of the plate reverb.
#include "engine/EffectsReverb.h"
#include "engine/PingPongDelay.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kBlock = 256;

std::vector<float> noiseBlock()
{
    std::vector<float> noise(kBlock);
    for (float& v : noise)
        v = static_cast<float>(std::rand()) / RAND_MAX - 0.5f;
    return noise;
}

void delayBothBuses(benchmark::State& state)
{
    PingPongDelay delay;
    delay.setSampleRate(44100.0f);
    delay.resetEngine();
    const bool lowpass = state.range(0) != 0;
    const DelayTargets targets{0.5f, 0.6f, 0.7f, 0.8f};
    const std::vector<float> noise = noiseBlock();
    for (auto _ : state) {
        delay.beginBlock(375.0f, lowpass);
        for (int i = 0; i < kBlock; ++i) {
            float l1 = noise[static_cast<size_t>(i)], r1 = -l1, l2 = 0.5f * l1, r2 = l2;
            delay.process(l1, r1, l2, r2, true, targets);
            benchmark::DoNotOptimize(l1 + r1 + l2 + r2);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(delayBothBuses)->Arg(0)->Arg(1);

void reverb(benchmark::State& state)
{
    auto reverb = std::make_unique<EffectsReverb>();
    reverb->setSampleRate(static_cast<float>(state.range(0)));
    reverb->resetEngine();
    const ReverbSettings settings{20.0f, 0.8f, 0.3f, 0.6f, 0.9f};
    const bool silent = state.range(1) != 0;
    const std::vector<float> noise = noiseBlock();
    for (auto _ : state) {
        reverb->beginBlock(settings, kBlock);
        for (int i = 0; i < kBlock; ++i) {
            float l = silent ? 0.0f : noise[static_cast<size_t>(i)], r = l;
            reverb->process(l, r, 0.4f);
            benchmark::DoNotOptimize(l + r);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
// Rate, then 1 for silent input (a decayed tail must cost no more than a busy one).
BENCHMARK(reverb)->Args({44100, 0})->Args({44100, 1})->Args({192000, 0});

} // namespace
