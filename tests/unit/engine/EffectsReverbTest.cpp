// Impulse responses of the plate reverb: reflections against tank, tail length, clearing,
// pre-delay, sample rates and long-run safety.
#include "engine/EffectsReverb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Drives the reverb as the engine does: block set-up on the first frame of every block.
struct ReverbRig {
    std::unique_ptr<EffectsReverb> reverb = std::make_unique<EffectsReverb>();
    ReverbSettings settings;
    float mix = 1.0f;
    int blockSize = 256;
    int frame = 0;
    float rate;
    std::vector<float> left, right;

    explicit ReverbRig(float sampleRate = 44100.0f) : rate(sampleRate)
    {
        reverb->setSampleRate(sampleRate);
        reverb->resetEngine();
        settings.predelayMs = 0.0f;
        settings.size = 0.7f;
        settings.damping = 0.5f;
        settings.density = 0.5f;
        settings.width = 1.0f;
    }

    void step(float inL, float inR)
    {
        if (frame == 0)
            reverb->beginBlock(settings, blockSize);
        frame = (frame + 1) % blockSize;
        reverb->process(inL, inR, mix);
        left.push_back(inL);
        right.push_back(inR);
    }

    // Lets the control values settle, then forgets the output.
    void settle()
    {
        for (int i = 0; i < 2 * blockSize; ++i)
            step(0.0f, 0.0f);
        reverb->reset();
        left.clear();
        right.clear();
    }

    void impulse(float seconds)
    {
        const int n = static_cast<int>(seconds * rate);
        for (int i = 0; i < n; ++i)
            step(i == 0 ? 1.0f : 0.0f, 0.0f);
    }

    int at(float seconds) const { return static_cast<int>(seconds * rate); }

    double energy(int from, int to) const
    {
        double sum = 0.0;
        for (int i = from; i < to && i < static_cast<int>(left.size()); ++i)
            sum += static_cast<double>(left[static_cast<size_t>(i)]) * left[static_cast<size_t>(i)] +
                   static_cast<double>(right[static_cast<size_t>(i)]) * right[static_cast<size_t>(i)];
        return sum;
    }

    // Seconds until the remaining energy of the response falls 60 dB below the whole.
    double rt60() const
    {
        const double total = energy(0, static_cast<int>(left.size()));
        double remaining = total;
        for (size_t i = 0; i < left.size(); ++i) {
            if (remaining < total * 1e-6)
                return static_cast<double>(i) / rate;
            remaining -= static_cast<double>(left[i]) * left[i] + static_cast<double>(right[i]) * right[i];
        }
        return static_cast<double>(left.size()) / rate;
    }

    // First sample louder than the threshold, or -1.
    int onset(float threshold) const
    {
        for (size_t i = 0; i < left.size(); ++i)
            if (std::fabs(left[i]) > threshold || std::fabs(right[i]) > threshold)
                return static_cast<int>(i);
        return -1;
    }
};

} // namespace

TEST(EffectsReverb, DensityChoosesBetweenEarlyReflectionsAndTank)
{
    ReverbRig reflections;
    reflections.settings.density = 0.0f;
    reflections.settle();
    reflections.impulse(1.0f);
    EXPECT_GT(reflections.energy(0, reflections.at(0.1f)), 0.05);
    EXPECT_LT(reflections.energy(reflections.at(0.12f), reflections.at(1.0f)), 1e-20)
        << "the reflections end after the longest line";

    ReverbRig tank;
    tank.settings.density = 1.0f;
    tank.settle();
    tank.impulse(1.0f);
    EXPECT_LT(tank.energy(0, tank.at(0.015f)), 1e-20) << "no direct sound or reflections";
    EXPECT_GT(tank.energy(tank.at(0.12f), tank.at(1.0f)), 0.05);
}

TEST(EffectsReverb, DampingSetsTheTailLength)
{
    auto rt60 = [](float damping) {
        ReverbRig rig;
        rig.settings.damping = damping;
        rig.settings.size = 1.0f;
        rig.settle();
        rig.impulse(damping == 0.0f ? 20.0f : 6.0f);
        return rig.rt60();
    };
    const double longTail = rt60(0.0f);
    const double middle = rt60(0.5f);
    const double shortTail = rt60(1.0f);
    EXPECT_GT(longTail, 6.0);
    EXPECT_LT(shortTail, 1.2);
    EXPECT_GT(middle, 1.5 * shortTail);
    EXPECT_LT(middle, longTail / 1.5);
}

TEST(EffectsReverb, SizeChangeStopsTheTail)
{
    auto tailAfter = [](bool changeSize) {
        ReverbRig rig;
        rig.settings.density = 1.0f;
        rig.settings.damping = 0.0f;
        rig.settle();
        rig.impulse(0.5f);
        const double before = rig.energy(rig.at(0.3f), rig.at(0.5f));
        if (changeSize)
            rig.settings.size = 0.3f;
        const int from = static_cast<int>(rig.left.size()) + rig.blockSize; // past the next block start
        rig.impulse(0.0f);
        for (int i = 0; i < rig.at(1.0f); ++i)
            rig.step(0.0f, 0.0f);
        return rig.energy(from, static_cast<int>(rig.left.size())) / before;
    };
    EXPECT_GT(tailAfter(false), 0.1);
    EXPECT_LT(tailAfter(true), 1e-12);
    {
        ReverbRig rig;
        rig.settings.size = 0.0f;
        rig.settle();
        rig.impulse(0.01f);
        EXPECT_FLOAT_EQ(rig.reverb->sizeFactor(), 0.05f);
    }
}

TEST(EffectsReverb, ResetEmptiesOnceAndRestartsSilent)
{
    ReverbRig rig;
    rig.settings.damping = 0.0f;
    rig.settle();
    rig.impulse(0.5f);
    ASSERT_GT(rig.energy(rig.at(0.4f), rig.at(0.5f)), 1e-3);
    EXPECT_TRUE(rig.reverb->isDirty());

    rig.reverb->reset(); // what a block start with the mix at 0 does
    EXPECT_FALSE(rig.reverb->isDirty());
    rig.reverb->reset(); // and again on the next block: nothing left to do
    EXPECT_FALSE(rig.reverb->isDirty());

    rig.left.clear();
    rig.right.clear();
    rig.frame = 0;
    for (int i = 0; i < rig.at(2.0f); ++i)
        rig.step(0.0f, 0.0f);
    EXPECT_LT(rig.energy(0, rig.at(2.0f)), 1e-30);
}

TEST(EffectsReverb, PredelayShiftsTheTankAndIsCutToTheLine)
{
    auto onset = [](float predelayMs) {
        ReverbRig rig;
        rig.settings.density = 1.0f;
        rig.settings.predelayMs = predelayMs;
        rig.settle();
        rig.impulse(0.5f);
        return rig.onset(1e-4f);
    };
    const int direct = onset(0.0f);
    ASSERT_GT(direct, 0);
    EXPECT_NEAR(onset(200.0f) - direct, 8820, 1);

    ReverbRig fast(192000.0f);
    fast.settings.predelayMs = 1000.0f;
    fast.step(0.0f, 0.0f);
    for (int i = 1; i < fast.blockSize; ++i)
        fast.step(0.0f, 0.0f);
    EXPECT_EQ(fast.reverb->predelayLength(), EffectsReverb::kLineRoom);
}

TEST(EffectsReverb, ZeroWidthIsMono)
{
    ReverbRig rig;
    rig.settings.width = 0.0f;
    rig.settle();
    rig.impulse(0.5f);
    EXPECT_EQ(rig.left, rig.right);

    ReverbRig wide;
    wide.settle();
    wide.impulse(0.5f);
    EXPECT_NE(wide.left, wide.right);
}

TEST(EffectsReverb, WorksAcrossSampleRates)
{
    // The tank's first output comes at the same time whatever the rate.
    for (float rate : {22050.0f, 32000.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f}) {
        ReverbRig rig(rate);
        EXPECT_EQ(rig.reverb->rampPeriod(), static_cast<int>(rate) / 1000);
        rig.settings.density = 1.0f;
        rig.settle();
        rig.impulse(3.0f);
        const double onsetMs = 1000.0 * rig.onset(1e-4f) / rate;
        EXPECT_NEAR(onsetMs, 20.7, 1.0) << rate;
        for (size_t i = 0; i < rig.left.size(); ++i)
            ASSERT_TRUE(std::isfinite(rig.left[i]) && std::isfinite(rig.right[i])) << rate;
        EXPECT_LT(rig.energy(rig.at(2.5f), rig.at(3.0f)), 1e-3 * rig.energy(0, rig.at(0.5f))) << rate;
    }
}

TEST(EffectsReverb, MinuteOfFullScaleImpulsesStaysFinite)
{
    ReverbRig rig;
    rig.settings.damping = 0.0f;
    rig.settings.size = 1.0f;
    const int n = rig.at(60.0f);
    float peak = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float x = i % 100 == 0 ? 1.0f : 0.0f;
        rig.step(x, -x);
        const float l = rig.left.back(), r = rig.right.back();
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << i;
        peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
        rig.left.clear();
        rig.right.clear();
    }
    EXPECT_LT(peak, 100.0f);
}

TEST(EffectsReverb, WildValuesStayBounded)
{
    ReverbRig rig;
    rig.settings = ReverbSettings{NAN, 7.0f, -3.0f, 4.0f, -2.0f};
    rig.mix = 9.0f;
    rig.impulse(3.0f);
    rig.settings.predelayMs = 1e12f;
    rig.impulse(3.0f);
    for (float v : rig.left)
        ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 100.0f);

    EffectsReverb odd;
    odd.setSampleRate(0.0f);
    odd.beginBlock(ReverbSettings{}, 0);
    float l = 1.0f, r = 1.0f;
    odd.process(l, r, 1.0f);
    EXPECT_TRUE(std::isfinite(l) && std::isfinite(r));
}

TEST(EffectsReverb, TailFallsBelowMinus120dBAndSilenceCostsNoMore)
{
    ReverbRig rig;
    rig.blockSize = 512;
    rig.settle();
    rig.impulse(12.0f);
    float lastSecond = 0.0f;
    for (int i = rig.at(11.0f); i < rig.at(12.0f); ++i)
        lastSecond = std::max(lastSecond, std::max(std::fabs(rig.left[static_cast<size_t>(i)]),
                                                   std::fabs(rig.right[static_cast<size_t>(i)])));
    EXPECT_LT(lastSecond, 1e-6f);

    // Denormals would make the decayed tank many times slower than a busy one.
    auto timeOf = [&rig](bool noise) {
        double best = 1e9;
        for (int round = 0; round < 5; ++round) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < 20000; ++i) {
                float l = noise ? static_cast<float>(std::rand()) / RAND_MAX - 0.5f : 0.0f;
                float r = l;
                rig.reverb->process(l, r, 1.0f);
            }
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    };
    const double silent = timeOf(false);
    const double busy = timeOf(true);
    EXPECT_LT(silent, 2.0 * busy);
}
