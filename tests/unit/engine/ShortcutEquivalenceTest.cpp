// The render path skips work whose result it already knows (settled smoothers, a ladder fed the
// same samples on both channels, LFO values nobody reads). These tests hold each shortcut to the
// full computation, bit for bit, through the transitions where a stale shortcut would show.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/LadderFilter.h"
#include "engine/Lfo.h"
#include "engine/Smoother.h"
#include "engine/SmootherLanes.h"

namespace {

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// The smoother's step without any shortcut.
struct PlainSmoother {
    float a, b, value = 0.0f;
    bool jump = true;
    float step(float target)
    {
        if (jump) {
            value = target;
            jump = false;
        } else {
            value = a * value + b * target;
        }
        if (std::fabs(value) < 1e-20f)
            value = 0.0f;
        return value;
    }
};

TEST(ShortcutEquivalence, SmootherMatchesThePlainOnePoleThroughSettlingJumpsAndOddTargets)
{
    Smoother s;
    s.setSampleRate(44100.0f);
    PlainSmoother p{s.a, s.b};
    // Long holds let it settle; the jump, signed zeros, a tiny target that flushes and a NaN
    // follow, then a held value again.
    const float targets[] = {0.25f, 0.8f, 0.0f, -0.0f, 1e-25f, 0.5f, std::nanf(""), 0.3f, 0.3f};
    int n = 0;
    for (float t : targets) {
        if (n == 5) {
            s.jump = true;
            p.jump = true;
        }
        for (int i = 0; i < 20000; ++i)
            ASSERT_TRUE(sameBits(s.step(t), p.step(t))) << "target " << t << " sample " << i;
        ++n;
    }
}

// Smoothers stepped side by side in lanes give what each gives alone, whatever their number,
// through settling, jumps, flushed tiny values and a NaN, and report the same settled state.
TEST(ShortcutEquivalence, SmoothersSteppedTogetherMatchEachSteppedAlone)
{
    constexpr int kMost = kMaxSmootherLanes;
    const float targets[] = {0.25f, 0.8f, 0.0f, -0.0f, 1e-25f, 0.5f, std::nanf(""), 0.3f};
    for (int n = 1; n <= kMost; ++n) {
        Smoother lanes[kMost], alone[kMost];
        Smoother* pointers[kMost];
        float got[kMost][128], want[128], aims[kMost];
        float* outs[kMost];
        for (int k = 0; k < n; ++k) {
            lanes[k].timeMs = alone[k].timeMs = 5.0f + 10.0f * float(k);
            lanes[k].setSampleRate(44100.0f);
            alone[k].setSampleRate(44100.0f);
            pointers[k] = &lanes[k];
            outs[k] = got[k];
        }
        for (int round = 0; round < 400; ++round) {
            if (round == 200)
                lanes[0].jump = alone[0].jump = true;
            for (int k = 0; k < n; ++k)
                aims[k] = targets[(round / 25 + k) % 8];
            const int count = 1 + round % 128;
            stepSmoothersTogether(pointers, aims, outs, n, count);
            for (int k = 0; k < n; ++k) {
                alone[k].stepRun(aims[k], want, count);
                for (int i = 0; i < count; ++i)
                    ASSERT_TRUE(sameBits(got[k][i], want[i])) << n << " lanes, lane " << k << ", round " << round;
                ASSERT_EQ(lanes[k].settledOn(aims[k]), alone[k].settledOn(aims[k]));
            }
        }
    }
}

// The left channel's output depends on the left input only, so a ladder fed a different right
// channel gives the unshortened left result.
TEST(ShortcutEquivalence, LadderWithEqualChannelsMatchesTheIndependentChannelComputation)
{
    auto configure = [](LadderFilter& f) {
        f.g = std::tan(3.14159265f * 0.05f);
        f.k = 3.9f;
        f.outGain = 1.9f;
    };
    LadderFilter stereo, refL, refR;
    configure(stereo);
    configure(refL);
    configure(refR);
    uint32_t seed = 12345;
    auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 23);
    };
    // Equal inputs, then a stretch where the channels differ, then equal again (the states
    // are now apart and must not be treated as linked), then silence until both decay to zero
    // and link once more.
    for (int i = 0; i < 12000; ++i) {
        const float x = noise();
        float l = x, r = x;
        if (i >= 3000 && i < 4000)
            r = 0.5f * x;
        if (i >= 8000)
            l = r = 0.0f;
        float al = l, ar = -l - 2.0f;
        refL.process(al, ar);
        float bl = r, br = -r - 2.0f;
        refR.process(bl, br);
        stereo.process(l, r);
        ASSERT_TRUE(sameBits(l, al)) << i;
        ASSERT_TRUE(sameBits(r, bl)) << i;
    }
    // A cutoff change takes effect at once on the linked path too.
    refL.g = stereo.g = std::tan(3.14159265f * 0.2f);
    for (int i = 0; i < 100; ++i) {
        float l = 0.25f, r = 0.25f, al = 0.25f, ar = 9.0f;
        stereo.process(l, r);
        refL.process(al, ar);
        ASSERT_TRUE(sameBits(l, al) && sameBits(r, al)) << i;
    }
}

// An LFO that only advances between reads gives the values of one ticked every sample, random
// steps included.
TEST(ShortcutEquivalence, LfoAdvancedBetweenReadsMatchesOneTickedEverySample)
{
    for (LfoWaveform w : {LfoWaveform::Sine, LfoWaveform::Triangle, LfoWaveform::Square, LfoWaveform::Sawtooth}) {
        Lfo every, sparse;
        for (Lfo* l : {&every, &sparse}) {
            l->waveform = w;
            l->setRateHz(37.0f);
            l->setOffset(0.6f);
            l->restart(0.3f);
        }
        for (int i = 0; i < 5000; ++i) {
            const float v = every.tick();
            if (i % 64 == 0)
                ASSERT_TRUE(sameBits(v, sparse.tick())) << int(w) << " " << i;
            else
                sparse.advance();
        }
        EXPECT_TRUE(sameBits(every.phase, sparse.phase));
    }
}

} // namespace
