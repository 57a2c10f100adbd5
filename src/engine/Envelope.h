// ADSR envelope of a voice.
#pragma once

#include "params/ValueCurves.h"

#include <cmath>
#include <cstdint>

enum EnvStage : int32_t {
    EnvIdle = 0,
    EnvAttack = 2,
    EnvDecay = 3,
    EnvSustain = 4,
    EnvRelease = 5,
};

// Length in samples of a normalized time parameter: 1 ms to 20 s on a cubic curve.
inline float envelopeTimeSamples(float value, float sampleRate)
{
    // A damaged program may hold anything; the curve ends are the nearest sane times.
    const float v = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
    return envelopeSeconds(v) * sampleRate;
}

// Per-sample factor of an exponential segment that covers its full swing, overshooting by the
// ratio, in time samples.
inline float envelopeCoefficient(float time, float ratio)
{
    if (!(time > 0.0f))
        return 0.0f;
    return std::exp(-std::log((ratio + 1.0f) / ratio) / time);
}

// How strongly the note velocity scales an envelope: 1 at velocity parameter 0, the velocity
// itself at 1.
inline float envelopeVelocityFactor(float velocityParam, float velocity)
{
    const float c = 1.0f - velocityParam;
    return c * c + (1.0f - c * c) * velocity;
}

struct Envelope {
    int32_t stage = EnvIdle;
    float level = 0.0f;
    float attackTime = 0.0f; // samples
    float decayTime = 0.0f;
    float releaseTime = 0.0f;
    float attackCoef = 0.0f;
    float decayCoef = 0.0f;
    float releaseCoef = 0.0f;
    float sustain = 0.0f;
    float attackRatio = 2.0f; // attack aims at 1 + ratio and is cut at 1
    float decayRatio = 0.01f; // decay and release aim this far below their targets
    float attackBase = 3.0f;
    float decayBase = (0.0f - 0.01f) * 1.0f;
    float releaseBase = -0.01f * 1.0f;

    // A note start attacks from the current level.
    void gateOn() { stage = EnvAttack; }
    // Note release, all-notes-off and voice stealing: every running envelope releases.
    void gateOff()
    {
        if (stage != EnvIdle)
            stage = EnvRelease;
    }
    void reset()
    {
        stage = EnvIdle;
        level = 0.0f;
    }
    bool isIdle() const { return stage == EnvIdle; }

    // Times from the normalized attack, decay and release parameters; at block set-up and note
    // start.
    void setTimes(float attackParam, float decayParam, float releaseParam, float sampleRate)
    {
        attackTime = envelopeTimeSamples(attackParam, sampleRate);
        decayTime = envelopeTimeSamples(decayParam, sampleRate);
        releaseTime = envelopeTimeSamples(releaseParam, sampleRate);
        attackCoef = envelopeCoefficient(attackTime, attackRatio);
        attackBase = (1.0f - attackCoef) * (attackRatio + 1.0f);
        decayCoef = envelopeCoefficient(decayTime, decayRatio);
        decayBase = (sustain - decayRatio) * (1.0f - decayCoef);
        releaseCoef = envelopeCoefficient(releaseTime, decayRatio);
        releaseBase = -decayRatio * (1.0f - releaseCoef);
    }

    // The smoothed sustain level, every sample.
    void setSustain(float value)
    {
        const float s = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
        // Held sustain levels are the common case; the base only moves with the level.
        if (s == sustain)
            return;
        sustain = s;
        decayBase = (sustain - decayRatio) * (1.0f - decayCoef);
    }

    // count ticks with a sustain level that stays put, their levels into out. Returns the
    // index of the tick after which the envelope was idle, or count while it still runs.
    int tickRun(float* out, int count)
    {
        if (stage == EnvSustain) {
            level = sustain;
            for (int i = 0; i < count; ++i)
                out[i] = sustain;
            return count;
        }
        for (int i = 0; i < count; ++i) {
            out[i] = tick();
            if (stage == EnvIdle) {
                for (int j = i + 1; j < count; ++j)
                    out[j] = level;
                return i;
            }
        }
        return count;
    }

    // Advances one sample and returns the new level.
    float tick()
    {
        switch (stage) {
        case EnvAttack:
            level = attackCoef * level + attackBase;
            if (level >= 1.0f) {
                level = 1.0f;
                stage = EnvDecay;
            }
            break;
        case EnvDecay:
            level = decayCoef * level + decayBase;
            if (sustain >= level) {
                level = sustain;
                stage = EnvSustain;
            }
            break;
        case EnvSustain:
            level = sustain;
            break;
        case EnvRelease:
            level = releaseCoef * level + releaseBase;
            if (level <= 0.0f) {
                level = 0.0f;
                stage = EnvIdle;
            }
            break;
        default:
            break;
        }
        return level;
    }
};
