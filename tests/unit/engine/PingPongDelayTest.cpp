// Impulse responses of the ping-pong delay: echo positions, sides, levels and clearing.
#include "engine/PingPongDelay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

struct Echo {
    int position;
    float left;
    float right;
};

struct Rig {
    PingPongDelay delay;
    DelayTargets targets;
    std::vector<float> left, right;

    explicit Rig(float rate = 44100.0f, float feedback = 0.0f, float width = 0.5f)
    {
        delay.setSampleRate(rate);
        delay.resetEngine();
        targets.mix = 1.0f; // wet only
        targets.feedback = feedback;
        targets.cutoff = 0.0f; // highpass at 10 Hz: an echo keeps its shape
        targets.width = width;
    }

    // Feeds `input` (mono, into the left side of bus amp 1) for n frames.
    void run(int n, const std::vector<float>& input = {})
    {
        for (int i = 0; i < n; ++i) {
            float l = i < static_cast<int>(input.size()) ? input[static_cast<size_t>(i)] : 0.0f;
            float r = 0.0f, l2 = 0.0f, r2 = 0.0f;
            delay.process(l, r, l2, r2, true, targets);
            left.push_back(l);
            right.push_back(r);
        }
    }

    // Samples where either side rises above the threshold, as distinct echoes.
    std::vector<Echo> echoes(float threshold = 0.01f) const
    {
        std::vector<Echo> found;
        for (size_t i = 0; i < left.size(); ++i)
            if (std::fabs(left[i]) > threshold || std::fabs(right[i]) > threshold)
                found.push_back({static_cast<int>(i), left[i], right[i]});
        return found;
    }
};

const std::vector<float> kImpulse = {1.0f};

} // namespace

TEST(PingPongDelay, FeedbackZeroGivesOneEchoFromLineAAfterTheDelayTime)
{
    Rig rig(44100.0f, 0.0f, 1.0f); // width 1: line A right, line B left
    rig.delay.beginBlock(100.0f, false);
    rig.run(4 * 4410, kImpulse);
    const auto found = rig.echoes(0.005f); // above the highpass's own small undershoot
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].position, 4410);
    EXPECT_NEAR(found[0].right, 1.0f, 0.01f);
    EXPECT_EQ(found[0].left, 0.0f);
}

TEST(PingPongDelay, EchoesAlternateBetweenSidesAndDecayByTheFeedback)
{
    Rig rig(44100.0f, 0.5f, 1.0f);
    rig.delay.beginBlock(50.0f, false);
    const int length = 2205;
    rig.run(7 * length + 10, kImpulse);
    const auto found = rig.echoes(0.005f);
    ASSERT_EQ(found.size(), 7u);
    float expected = 1.0f;
    for (int k = 1; k <= 7; ++k) {
        const Echo& echo = found[static_cast<size_t>(k - 1)];
        // Line B's output re-enters line A one sample later, so each round trip is 2 length + 1.
        EXPECT_EQ(echo.position, k * length + (k - 1) / 2) << "echo " << k;
        // Odd echoes from line A (right at width 1), even from line B (left).
        const float loud = k % 2 ? echo.right : echo.left;
        const float quiet = k % 2 ? echo.left : echo.right;
        EXPECT_NEAR(loud, expected, 0.01f * expected) << "echo " << k;
        EXPECT_NEAR(quiet, 0.0f, 2e-3f) << "echo " << k;
        expected *= 0.5f;
    }
}

TEST(PingPongDelay, WidthPlacesTheEchoes)
{
    {
        Rig rig(44100.0f, 0.7f, 0.5f);
        rig.delay.beginBlock(10.0f, false);
        rig.run(10000, kImpulse);
        EXPECT_EQ(rig.left, rig.right) << "width 0.5 is mono";
    }
    {
        Rig rig(44100.0f, 0.7f, 0.0f);
        rig.delay.beginBlock(10.0f, false);
        rig.run(3 * 441 + 5, kImpulse);
        EXPECT_NEAR(rig.left[441], 1.0f, 0.01f) << "width 0 swaps: odd echoes left";
        EXPECT_NEAR(rig.right[882], 0.7f, 0.01f) << "even echoes right";
        EXPECT_NEAR(rig.right[441], 0.0f, 1e-3f);
    }
}

TEST(PingPongDelay, FullFeedbackDoesNotDecay)
{
    Rig rig(44100.0f, 1.0f, 1.0f);
    rig.delay.beginBlock(100.0f, false);
    rig.run(41 * 4410, kImpulse);
    const auto found = rig.echoes(0.5f);
    ASSERT_EQ(found.size(), 40u);
    for (const Echo& echo : found)
        EXPECT_NEAR(std::max(echo.left, echo.right), 1.0f, 0.01f) << "at " << echo.position;
}

TEST(PingPongDelay, TimeIsCutToSixSecondsWithoutFurtherClearing)
{
    Rig rig(44100.0f, 0.0f, 1.0f);
    const int capacity = rig.delay.line(0).capacity;
    EXPECT_EQ(capacity, 264600);
    rig.delay.beginBlock(8000.0f, false);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.delay.line(i).length, capacity);
    rig.run(1000, kImpulse);
    rig.delay.beginBlock(9000.0f, false); // still past the capacity: same length, content kept
    rig.run(capacity);
    const auto found = rig.echoes(0.5f);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].position, capacity);
}

TEST(PingPongDelay, TimeChangeClearsOnlyWhenTheSampleCountChanges)
{
    {
        Rig rig(44100.0f, 0.0f, 1.0f);
        rig.delay.beginBlock(100.0f, false);
        rig.run(1000, kImpulse);
        rig.delay.beginBlock(100.01f, false); // 4410.4 samples: still 4410
        rig.run(4000);
        const auto found = rig.echoes(0.5f);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].position, 4410);
    }
    {
        Rig rig(44100.0f, 0.9f);
        rig.delay.beginBlock(100.0f, false);
        rig.run(1000, kImpulse);
        rig.delay.beginBlock(50.0f, false);
        EXPECT_EQ(rig.delay.line(0).length, 2205);
        rig.run(20000);
        EXPECT_TRUE(rig.echoes(1e-6f).empty()) << "old echoes must not survive a new length";
    }
}

TEST(PingPongDelay, SwitchingOffEmptiesTheLinesOnceAndRestartsSilent)
{
    Rig rig(44100.0f, 0.95f);
    rig.delay.beginBlock(20.0f, false);
    rig.run(3000, kImpulse);
    ASSERT_FALSE(rig.echoes().empty());

    rig.delay.switchOff();
    for (int i = 0; i < 4; ++i) {
        const DelayLine& line = rig.delay.line(i);
        EXPECT_FALSE(line.inUse);
        EXPECT_EQ(line.writeIndex, 0);
        for (float v : line.buffer)
            ASSERT_EQ(v, 0.0f);
    }

    rig.left.clear();
    rig.right.clear();
    rig.delay.beginBlock(20.0f, false);
    rig.run(20000);
    for (size_t i = 0; i < rig.left.size(); ++i) {
        ASSERT_EQ(rig.left[i], 0.0f) << i;
        ASSERT_EQ(rig.right[i], 0.0f) << i;
    }
}

TEST(PingPongDelay, SecondBusIsLeftDryWhenOnlyAmpOneIsDelayed)
{
    PingPongDelay delay;
    delay.resetEngine();
    delay.beginBlock(10.0f, false);
    const DelayTargets targets{1.0f, 0.8f, 0.3f, 0.8f};
    for (int i = 0; i < 2000; ++i) {
        float l1 = i == 0 ? 1.0f : 0.0f, r1 = 0.0f;
        const float in2 = std::sin(0.01f * static_cast<float>(i));
        float l2 = in2, r2 = -in2;
        delay.process(l1, r1, l2, r2, false, targets);
        ASSERT_EQ(l2, in2);
        ASSERT_EQ(r2, -in2);
    }
    EXPECT_FALSE(delay.line(1).inUse);
    EXPECT_FALSE(delay.line(3).inUse);
    EXPECT_TRUE(delay.line(0).inUse);
}

TEST(PingPongDelay, ToneSwitchChoosesLowpassOrHighpassOnTheEchoes)
{
    // A 5 kHz tone against a cutoff of about 170 Hz.
    auto echoLevel = [](bool lowpass) {
        Rig rig;
        rig.targets.cutoff = 0.3f;
        rig.delay.beginBlock(100.0f, lowpass);
        std::vector<float> tone(2000);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = std::sin(2.0f * 3.14159265f * 5000.0f * static_cast<float>(i) / 44100.0f);
        rig.run(4410 + 2000, tone);
        float peak = 0.0f;
        for (size_t i = 4410 + 500; i < rig.left.size(); ++i)
            peak = std::max(peak, std::fabs(rig.left[i]));
        return peak;
    };
    EXPECT_LT(echoLevel(true), 0.01f);
    EXPECT_GT(echoLevel(false), 0.4f);
}

TEST(PingPongDelay, EchoPositionFollowsTheSampleRate)
{
    for (float rate : {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        Rig rig(rate, 0.0f, 1.0f);
        EXPECT_EQ(rig.delay.line(3).capacity, static_cast<int>(static_cast<double>(rate) * 6.0000005));
        rig.delay.beginBlock(100.0f, false);
        const int expected = static_cast<int>(rate / 10.0f);
        rig.run(expected + 100, kImpulse);
        const auto found = rig.echoes(0.5f);
        ASSERT_EQ(found.size(), 1u) << rate;
        EXPECT_EQ(found[0].position, expected) << rate;
    }
}

TEST(PingPongDelay, StaysStableWithTheCutoffAtTheTopAtLowRates)
{
    for (float rate : {22050.0f, 32000.0f, 40000.0f}) {
        for (bool lowpass : {false, true}) {
            Rig rig(rate, 0.9f);
            rig.targets.cutoff = 1.0f;
            rig.delay.beginBlock(10.0f, lowpass);
            std::vector<float> noise(20000);
            for (float& v : noise)
                v = static_cast<float>(std::rand()) / RAND_MAX - 0.5f;
            rig.run(40000, noise);
            float peak = 0.0f;
            for (float v : rig.left) {
                ASSERT_TRUE(std::isfinite(v)) << rate;
                peak = std::max(peak, std::fabs(v));
            }
            EXPECT_LT(peak, 20.0f) << rate << (lowpass ? " lowpass" : " highpass");
        }
    }
}

TEST(PingPongDelay, WildValuesStaySafe)
{
    Rig rig(44100.0f, 7.0f, -3.0f); // feedback above 1 would grow without end
    rig.targets.cutoff = 50.0f;
    rig.delay.beginBlock(-5.0f, true); // shortest line
    rig.delay.beginBlock(NAN, false);
    rig.delay.beginBlock(1e30f, false);
    rig.run(300000, kImpulse);
    for (float v : rig.left)
        ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.5f);

    PingPongDelay odd;
    odd.setSampleRate(0.0f);
    odd.beginBlock(100.0f, false);
    float l = 1.0f, r = 0.0f, l2 = 0.0f, r2 = 0.0f;
    odd.process(l, r, l2, r2, true, DelayTargets{1.0f, 0.5f, 0.5f, 0.5f});
    EXPECT_TRUE(std::isfinite(l));
}

TEST(PingPongDelay, TailEndsInTrueSilenceWithoutDenormals)
{
    Rig rig(44100.0f, 0.5f, 0.8f);
    rig.targets.cutoff = 0.5f;
    rig.delay.beginBlock(10.0f, true);
    rig.run(3 * 44100, kImpulse);
    for (size_t i = 0; i < rig.left.size(); ++i) {
        ASSERT_NE(std::fpclassify(rig.left[i]), FP_SUBNORMAL) << i;
        ASSERT_NE(std::fpclassify(rig.right[i]), FP_SUBNORMAL) << i;
    }
    for (size_t i = 2 * 44100; i < rig.left.size(); ++i)
        ASSERT_EQ(rig.left[i], 0.0f) << i;
}

TEST(PingPongDelay, ToneFiltersAreThreeDecibelsDownAtTheCutoff)
{
    // Cutoff 10 + 19990 v^4 Hz = 1 kHz; a Butterworth passes its cutoff at 1/sqrt(2).
    const float v = std::pow(990.0f / 19990.0f, 0.25f);
    for (float rate : {44100.0f, 96000.0f}) {
        for (bool lowpass : {false, true}) {
            Rig rig(rate, 0.0f, 1.0f);
            rig.targets.cutoff = v;
            rig.delay.beginBlock(10.0f, lowpass);
            std::vector<float> tone(static_cast<size_t>(rate / 2));
            for (size_t i = 0; i < tone.size(); ++i)
                tone[i] = std::sin(2.0f * 3.14159265f * 1000.0f * static_cast<float>(i) / rate);
            rig.run(static_cast<int>(tone.size()), tone);
            float peak = 0.0f;
            for (size_t i = tone.size() / 2; i < tone.size(); ++i)
                peak = std::max(peak, std::fabs(rig.right[i]));
            EXPECT_NEAR(peak, 0.7071f, 0.01f) << rate << (lowpass ? " lowpass" : " highpass");
        }
    }
}
