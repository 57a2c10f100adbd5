// Low-frequency oscillator: four per voice, and four free-running ones in the engine that the
// voices' "Free" LFOs follow.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "DspMath.h"
#include "FourLanes.h"
#include "Random.h"
#include "params/CodeTables.h"
#include "params/ValueCurves.h"

struct Lfo {
    LfoWaveform waveform = LfoWaveform::Sine;
    float phaseParam = 0.0f; // start phase, fraction of a cycle
    float phase = 0.0f;      // radians, 0 <= phase < 2 pi
    float increment = 0.0f;  // radians per sample
    float offset = 0.0f;     // -0.5..+0.5
    float sampleRate = 44100.0f;
    int32_t randomStep = 0; // 0..100
    float randomValue = 0.0f;
    RandomSource random;

    // Returns the value at the current phase, then advances; a new random step is drawn at
    // every cycle start.
    float tick()
    {
        float value = 0.0f;
        switch (waveform) {
        case LfoWaveform::Sine:
            value = 0.5f * std::sin(phase);
            break;
        case LfoWaveform::Triangle: {
            const float t = phase / kPi;
            value = t > 1.5f ? t - 2.0f : (t > 0.5f ? 1.0f - t : t);
            break;
        }
        case LfoWaveform::Square:
            value = phase > kPi ? -0.5f : 0.5f;
            break;
        case LfoWaveform::Sawtooth: {
            const float t = phase / kTwoPi;
            value = t > 0.5f ? t - 1.0f : t;
            break;
        }
        case LfoWaveform::Random:
            value = randomValue - 0.5f;
            break;
        default:
            break;
        }
        value += offset;
        advance();
        return value;
    }

    // Moves on one sample without computing the value, for frames where nobody reads it.
    void advance()
    {
        phase += increment;
        if (phase >= kTwoPi) {
            phase -= kTwoPi;
            pickRandomStep();
        }
    }

    // count advances in a row.
    void advanceRun(int count)
    {
        if (waveform == LfoWaveform::Random) {
            for (int i = 0; i < count; ++i)
                advance();
            return;
        }
        float p = phase;
        for (int i = 0; i < count; ++i) {
            p += increment;
            p = p >= kTwoPi ? p - kTwoPi : p;
        }
        phase = p;
    }

    // A new random step, never the one just played.
    void pickRandomStep()
    {
        if (waveform != LfoWaveform::Random)
            return;
        int32_t r;
        do {
            r = random.next15() % 101;
        } while (r == randomStep);
        randomStep = r;
        randomValue = static_cast<float>(r) * 0.01f;
    }

    void setRateHz(float hz)
    {
        float inc = hz / sampleRate * kTwoPi;
        // One subtraction per sample must keep the phase inside a cycle; nothing faster than
        // half the sample rate makes sense anyway.
        if (!(inc >= 0.0f))
            inc = 0.0f;
        else if (inc > kPi)
            inc = kPi;
        increment = inc;
    }

    // Rate from a normalized rate value (already including any modulation), free or locked to
    // the block's tempo.
    void setRate(float value, bool sync, TempoInfo tempo)
    {
        const float t = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
        setRateHz(lfoRateHz(t, sync, tempo));
    }

    void setOffset(float offsetParam) { offset = offsetParam - 0.5f; }

    // Note start (and engine reset): back to the start phase with a fresh random step.
    void restart(float phaseParameter)
    {
        const float p = phaseParameter > 0.0f ? (phaseParameter < 1.0f ? phaseParameter : 1.0f) : 0.0f;
        phaseParam = p;
        phase = p * kTwoPi;
        pickRandomStep();
    }

    // A "Free" voice LFO runs in step with the engine's LFO of the same number.
    void followPhase(const Lfo& global) { phase = global.phase; }
};

// count advances of four LFOs, as advanceRun of each would make them; when none steps at
// random their phases move side by side in vector lanes, so the four chains overlap.
inline void advanceRunsTogether(Lfo* lfos, int count)
{
    bool random = false;
    for (int n = 0; n < 4; ++n)
        random = random || lfos[n].waveform == LfoWaveform::Random;
    if (random) {
        for (int n = 0; n < 4; ++n)
            lfos[n].advanceRun(count);
        return;
    }
    FourFloats p = {lfos[0].phase, lfos[1].phase, lfos[2].phase, lfos[3].phase};
    const FourFloats inc = {lfos[0].increment, lfos[1].increment, lfos[2].increment, lfos[3].increment};
    const FourFloats cycle = splat(kTwoPi);
    for (int i = 0; i < count; ++i) {
        p += inc;
        // Wraps are rare, so the chain from frame to frame is the add alone; taking 0 from a
        // phase below a cycle leaves it as it is.
        const FourMasks wrap = p >= cycle;
        if (__builtin_expect(anyLane(wrap), 0))
            p -= select(wrap, cycle, splat(0.0f));
    }
    for (int n = 0; n < 4; ++n)
        lfos[n].phase = p[n];
}
