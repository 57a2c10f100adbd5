#include <gtest/gtest.h>

#include <cmath>

#include "engine/Envelope.h"

namespace {

constexpr float kRate = 44100.0f;

// Number of ticks until the envelope leaves the stage it is in.
long ticksInStage(Envelope& env, long limit = 10000000)
{
    const int32_t start = env.stage;
    long n = 0;
    while (env.stage == start && n < limit) {
        env.tick();
        ++n;
    }
    return n;
}

// The normalized time parameter that gives t seconds.
float timeParam(float seconds)
{
    return std::cbrt((seconds - 0.001f) / 19.999f);
}

} // namespace

TEST(EnvelopeTiming, ShortestAttackReachesFullLevelOnThe45thTick)
{
    Envelope env;
    env.setTimes(0.0f, 0.5f, 0.5f, kRate);
    env.gateOn();
    for (int i = 1; i < 45; ++i) {
        env.tick();
        ASSERT_LT(env.level, 1.0f) << "tick " << i;
        ASSERT_EQ(env.stage, EnvAttack);
    }
    EXPECT_EQ(env.tick(), 1.0f);
    EXPECT_EQ(env.stage, EnvDecay);
}

TEST(EnvelopeTiming, LongestAttackTakesTwentySeconds)
{
    Envelope env;
    env.setTimes(1.0f, 0.0f, 0.0f, kRate);
    env.gateOn();
    const long n = ticksInStage(env);
    // Single-precision coefficients this close to 1 are coarse; a few percent is what they allow.
    EXPECT_NEAR(double(n), 20.0 * kRate, 0.05 * 20.0 * kRate);
}

TEST(EnvelopeTiming, AttackCurveIsSlightlyConcave)
{
    Envelope env;
    env.setTimes(timeParam(0.1f), 0.5f, 0.5f, kRate);
    env.gateOn();
    for (int i = 0; i < 2205; ++i) // half the attack
        env.tick();
    // 3 * (1 - (2/3)^0.5) at half time: above a straight line.
    EXPECT_NEAR(env.level, 3.0f * (1.0f - std::sqrt(2.0f / 3.0f)), 0.005f);
}

TEST(EnvelopeTiming, DecayAndReleaseTimesMatchTheirFullSwingFormula)
{
    const float seconds = 0.5f;
    const double full = double(seconds) * kRate;
    for (float sustain : {0.0f, 0.3f, 0.8f}) {
        Envelope env;
        env.setSustain(sustain);
        env.setTimes(0.0f, timeParam(seconds), timeParam(seconds), kRate);
        env.gateOn();
        ticksInStage(env); // attack
        ASSERT_EQ(env.stage, EnvDecay);
        const long decay = ticksInStage(env);
        EXPECT_NEAR(double(decay), full * std::log((1.0 - sustain + 0.01) / 0.01) / std::log(101.0), 0.005 * full)
            << sustain;
        EXPECT_EQ(env.stage, EnvSustain);
        EXPECT_FLOAT_EQ(env.level, sustain);
    }
    for (float from : {1.0f, 0.5f, 0.05f}) {
        Envelope env;
        env.setTimes(0.0f, 0.0f, timeParam(seconds), kRate);
        env.stage = EnvRelease;
        env.level = from;
        const long release = ticksInStage(env);
        EXPECT_NEAR(double(release), full * std::log((from + 0.01) / 0.01) / std::log(101.0), 0.005 * full) << from;
        EXPECT_EQ(env.stage, EnvIdle);
        EXPECT_EQ(env.level, 0.0f);
    }
}

TEST(EnvelopeStages, FullSustainEndsDecayAtOnceAndHoldsUntilRelease)
{
    Envelope env;
    env.setSustain(1.0f);
    env.setTimes(0.0f, 0.7f, 0.2f, kRate);
    env.gateOn();
    ticksInStage(env);
    ASSERT_EQ(env.stage, EnvDecay);
    EXPECT_EQ(env.tick(), 1.0f);
    EXPECT_EQ(env.stage, EnvSustain);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(env.tick(), 1.0f);
    env.gateOff();
    EXPECT_LT(env.tick(), 1.0f);
    EXPECT_EQ(env.stage, EnvRelease);
}

TEST(EnvelopeStages, SustainFollowsTheSmoothedLevel)
{
    Envelope env;
    env.setSustain(0.5f);
    env.setTimes(0.0f, 0.0f, 0.0f, kRate);
    env.gateOn();
    for (int i = 0; i < 200; ++i)
        env.tick();
    ASSERT_EQ(env.stage, EnvSustain);
    env.setSustain(0.25f);
    EXPECT_EQ(env.tick(), 0.25f);
    // A damaged program's sustain is held to the envelope's range.
    env.setSustain(7.0f);
    EXPECT_EQ(env.tick(), 1.0f);
    env.setSustain(-3.0f);
    EXPECT_EQ(env.tick(), 0.0f);
}

TEST(EnvelopeStages, RetriggerAttacksFromTheCurrentLevel)
{
    Envelope env;
    env.setSustain(0.6f);
    env.setTimes(0.2f, 0.2f, 0.4f, kRate);
    env.gateOn();
    for (int i = 0; i < 20000; ++i)
        env.tick();
    env.gateOff();
    for (int i = 0; i < 2000; ++i)
        env.tick();
    const float before = env.level;
    ASSERT_GT(before, 0.05f);
    ASSERT_LT(before, 0.6f);
    env.gateOn();
    EXPECT_EQ(env.level, before);
    EXPECT_GT(env.tick(), before);
    // A reset voice starts from silence.
    env.reset();
    env.gateOn();
    EXPECT_LT(env.tick(), 0.01f);
}

TEST(EnvelopeStages, WildTimeValuesStillRunTheEnvelope)
{
    for (float v : {-5.0f, 1e9f, std::nanf(""), INFINITY}) {
        Envelope env;
        env.setSustain(0.5f);
        env.setTimes(v, v, v, kRate);
        env.gateOn();
        const long attack = ticksInStage(env, 2000000);
        EXPECT_LE(attack, long(20.0f * kRate) + 1) << v;
        EXPECT_EQ(env.stage, EnvDecay) << v;
        EXPECT_TRUE(std::isfinite(env.level)) << v;
    }
}

TEST(EnvelopeVelocity, FactorBlendsFromFullToTheVelocity)
{
    EXPECT_FLOAT_EQ(envelopeVelocityFactor(0.0f, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(envelopeVelocityFactor(1.0f, 0.1f), 0.1f);
    EXPECT_FLOAT_EQ(envelopeVelocityFactor(0.5f, 0.0f), 0.25f);
    EXPECT_FLOAT_EQ(envelopeVelocityFactor(0.5f, 1.0f), 1.0f);
}
