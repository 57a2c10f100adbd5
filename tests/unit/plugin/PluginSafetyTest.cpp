// The whole plug-in under hostile automation: every parameter thrown around while notes play.
#include "unit/plugin/PluginEventTestSupport.h"

#include "engine/MasterStage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

// Including values no control can produce.
TEST(EngineSafety, WildParameterValuesNeverProduceNonFiniteOutput)
{
    auto plugin = std::make_unique<TestPlugin>();
    plugin->setSampleRate(44100.0f);
    plugin->resume();
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float wild[] = {std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          -1.0f,
                          2.0f,
                          1e30f,
                          -1e30f,
                          0.0f,
                          1.0f};
    std::vector<float> left(128), right(128);
    float* outputs[2] = {left.data(), right.data()};
    HostEventList notes;
    for (int n = 0; n < 12; ++n)
        notes.add(n, 0x90, 36 + n * 5, 100);
    plugin->processEvents(notes.list());
    ProgramRecord& program = plugin->programStore().current();
    int nonFinite = 0, outside = 0;
    for (int block = 0; block < 3000; ++block) {
        for (int k = 0; k < 20; ++k) {
            const int index = int(rng() % kNumParams);
            const float value = rng() % 3 == 0 ? wild[rng() % std::size(wild)] : unit(rng);
            program.set(index, value);
        }
        if (block % 200 == 0) {
            HostEventList more;
            more.add(0, 0x90, 40 + block / 200, 90);
            more.add(3, 0xE0, 0, int(rng() % 128));
            plugin->processEvents(more.list());
        }
        plugin->processReplacing(nullptr, outputs, 128);
        for (int i = 0; i < 128; ++i) {
            nonFinite += !std::isfinite(left[i]) + !std::isfinite(right[i]);
            outside += (std::fabs(left[i]) > kOutputClip) + (std::fabs(right[i]) > kOutputClip);
        }
    }
    EXPECT_EQ(nonFinite, 0);
    EXPECT_EQ(outside, 0);
}
