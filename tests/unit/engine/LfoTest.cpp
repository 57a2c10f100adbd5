#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/Lfo.h"

namespace {

// Values at 0, 1/4, 1/2 and 3/4 of a cycle.
void expectQuarterValues(LfoWaveform wave, float v0, float v1, float v2, float v3)
{
    Lfo lfo;
    lfo.waveform = wave;
    lfo.increment = kTwoPi / 4.0f;
    const float expected[] = {v0, v1, v2, v3};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(lfo.tick(), expected[i], 1e-5f) << int(wave) << " quarter " << i;
}

} // namespace

TEST(LfoWaveforms, ValuesAtTheQuarterCycles)
{
    expectQuarterValues(LfoWaveform::Sine, 0.0f, 0.5f, 0.0f, -0.5f);
    expectQuarterValues(LfoWaveform::Triangle, 0.0f, 0.5f, 0.0f, -0.5f);
    expectQuarterValues(LfoWaveform::Square, 0.5f, 0.5f, 0.5f, -0.5f);
    expectQuarterValues(LfoWaveform::Sawtooth, 0.0f, 0.25f, 0.5f, -0.25f);
    expectQuarterValues(LfoWaveform::Off, 0.0f, 0.0f, 0.0f, 0.0f);
    expectQuarterValues(static_cast<LfoWaveform>(6), 0.0f, 0.0f, 0.0f, 0.0f);
}

TEST(LfoWaveforms, OffsetShiftsEveryWaveformIncludingOff)
{
    Lfo lfo;
    lfo.waveform = LfoWaveform::Off;
    lfo.setOffset(0.8f);
    EXPECT_NEAR(lfo.tick(), 0.3f, 1e-6f);
    lfo.setOffset(0.5f);
    EXPECT_EQ(lfo.tick(), 0.0f);
    lfo.waveform = LfoWaveform::Square;
    lfo.setOffset(0.0f);
    EXPECT_NEAR(lfo.tick(), 0.0f, 1e-6f); // +0.5 - 0.5
}

TEST(LfoRandom, StepsNeverRepeatAndAreHundredths)
{
    std::srand(99);
    Lfo lfo;
    lfo.waveform = LfoWaveform::Random;
    lfo.setRateHz(4410.0f); // a cycle every 10 samples
    lfo.restart(0.0f);
    float previous = lfo.tick();
    int changes = 0;
    for (int cycle = 0; cycle < 5000; ++cycle) {
        for (int i = 0; i < 9; ++i)
            ASSERT_EQ(lfo.tick(), previous) << "value moved inside a cycle";
        const float v = lfo.tick();
        ASSERT_NE(v, previous) << "step repeated";
        const float hundredths = (v + 0.5f) * 100.0f;
        ASSERT_NEAR(hundredths, std::round(hundredths), 1e-3f);
        ASSERT_GE(v, -0.5f);
        ASSERT_LE(v, 0.5f);
        previous = v;
        ++changes;
    }
    EXPECT_EQ(changes, 5000);
}

TEST(LfoPhase, RateGivesTheCycleLengthAndPhaseStaysInACycle)
{
    Lfo lfo;
    lfo.sampleRate = 48000.0f;
    lfo.waveform = LfoWaveform::Sawtooth;
    lfo.setRateHz(3.0f);
    long wraps = 0;
    float before = lfo.phase;
    for (int i = 0; i < 48000 * 10; ++i) {
        lfo.tick();
        ASSERT_TRUE(lfo.phase >= 0.0f && lfo.phase < kTwoPi);
        if (lfo.phase < before)
            ++wraps;
        before = lfo.phase;
    }
    EXPECT_NEAR(double(wraps), 30.0, 1.0);

    // Nothing can push the phase out of a cycle in one step.
    for (float hz : {-5.0f, 1e9f, std::nanf("")}) {
        lfo.setRateHz(hz);
        EXPECT_TRUE(lfo.increment >= 0.0f && lfo.increment <= kPi) << hz;
    }
}

TEST(LfoPhase, RestartStartsAtThePhaseParameter)
{
    Lfo lfo;
    lfo.waveform = LfoWaveform::Triangle;
    lfo.restart(0.25f);
    EXPECT_FLOAT_EQ(lfo.phaseParam, 0.25f);
    EXPECT_NEAR(lfo.tick(), 0.5f, 1e-6f);
    lfo.restart(std::nanf(""));
    EXPECT_EQ(lfo.phase, 0.0f);
    lfo.restart(40.0f);
    EXPECT_LE(lfo.phase, kTwoPi);
}

TEST(LfoPhase, FreeRunningLfoTakesTheGlobalPhase)
{
    Lfo global, voice;
    global.setRateHz(2.0f);
    for (int i = 0; i < 12345; ++i)
        global.tick();
    voice.restart(0.5f);
    voice.followPhase(global);
    EXPECT_EQ(voice.phase, global.phase);
    voice.setRateHz(2.0f);
    EXPECT_EQ(voice.tick(), global.tick());
}

TEST(LfoPhase, SynchronizedRatesFollowTheTempo)
{
    Lfo lfo;
    lfo.sampleRate = 44100.0f;
    // Row "1/4" (index 15) at 120 bpm in 4/4 is one beat: 2 Hz.
    lfo.setRate(0.61f, true, TempoInfo{120.0f, 4});
    EXPECT_NEAR(lfo.increment * 44100.0f / kTwoPi, 2.0f, 1e-4f);
    // The same row at 90 bpm: 1.5 Hz; in 4/8 a quarter lasts two beats: 1 Hz at 120.
    lfo.setRate(0.61f, true, TempoInfo{90.0f, 4});
    EXPECT_NEAR(lfo.increment * 44100.0f / kTwoPi, 1.5f, 1e-4f);
    lfo.setRate(0.61f, true, TempoInfo{120.0f, 8});
    EXPECT_NEAR(lfo.increment * 44100.0f / kTwoPi, 1.0f, 1e-4f);
    // "8/1" (value 0) lasts 32 beats at 120 bpm: 1/16 Hz; free at 0 is 0.01 Hz.
    lfo.setRate(0.0f, true, TempoInfo{120.0f, 4});
    EXPECT_NEAR(lfo.increment * 44100.0f / kTwoPi, 0.0625f, 1e-5f);
    lfo.setRate(0.0f, false, TempoInfo{120.0f, 4});
    EXPECT_NEAR(lfo.increment * 44100.0f / kTwoPi, 0.01f, 1e-5f);
}
