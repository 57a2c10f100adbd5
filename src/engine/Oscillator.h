// One oscillator of a voice: band-limited table reads, a pulse from two saw reads, and white
// and pink noise.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "FourLanes.h"
#include "Random.h"
#include "Wavetable.h"
#include "params/CodeTables.h"

struct NoiseState {
    float noiseThird = 10923.0f;
    float noiseScale = 3.0518509e-05f; // 1 / 32767
    float pink0 = 0.0f;
    float pink1 = 0.0f;
    float pink2 = 0.0f;
    RandomSource random;

    // Uniform over about -1..+1.
    float white()
    {
        const float r = static_cast<float>(random.next15());
        return (r * (1.0f / 32768.0f) * 3.0f * noiseThird * 2.0f - (noiseThird - 1.0f) * 3.0f) * noiseScale;
    }

    // White noise through a three-pole filter that tilts it by about -3 dB per octave.
    float pink()
    {
        const float w = white();
        pink0 = 0.99765f * pink0 + 0.099046f * w;
        pink1 = 0.963f * pink1 + 0.296516f * w;
        pink2 = 0.57f * pink2 + 1.05269f * w;
        return (pink0 + pink1 + pink2 + 0.1848f * w) * 0.16f;
    }
};

// Fixed start phases of the six unison copies of each main oscillator, so a chord of copies
// never starts phase-aligned.
constexpr float kUnisonStartPhase[2][6] = {
    {0.5394773f, 0.09189246f, 0.2949146f, 0.7277129f, 0.3719846f, 0.7852741f},
    {0.4371031f, 0.145754f, 0.9110203f, 0.8670546f, 0.8556285f, 0.24387f},
};

// The table row a waveform reads with a plain table lookup, or -1 (pulse, noise, silence).
inline int plainTableRow(OscWaveform waveform)
{
    switch (waveform) {
    case OscWaveform::Sawtooth:
        return WtRowSaw;
    case OscWaveform::Triangle:
        return WtRowTriangle;
    case OscWaveform::Sine:
        return WtRowSine;
    case OscWaveform::Chime:
        return WtRowChime;
    case OscWaveform::Organ:
        return WtRowOrgan;
    default:
        return -1;
    }
}

// Linear interpolation in a table of a power-of-two length, the same arithmetic every table
// read uses. The mask keeps a phase that rounded up to exactly 1 inside the table (it reads as 0).
[[gnu::always_inline]] inline float interpolateTable(const float* samples, int32_t mask, float length, float ph)
{
    const float x = length * ph;
    const int32_t i = static_cast<int32_t>(x);
    const float f = x - static_cast<float>(i);
    const float a = samples[i & mask];
    const float b = samples[(i + 1) & mask];
    return a + (b - a) * f;
}

// interpolateTable over count phases. Four at a time in vector lanes, each read taking a
// sample and its successor in one load (tables end with a copy of their first sample); the
// same arithmetic lane by lane.
inline void interpolateRun(const float* samples, int32_t mask, float length, const float* phase, float* out, int count)
{
    const float* const tables[4] = {samples, samples, samples, samples};
    int i = 0;
    for (; i + 4 <= count; i += 4)
        storeFour(out + i, interpolatePairs(tables, splat(length) * loadFour(phase + i), splatMask(mask)));
    for (; i < count; ++i)
        out[i] = interpolateTable(samples, mask, length, phase[i]);
}

struct Oscillator {
    float phase = 0.0f;      // cycles, 0 <= phase < 1
    float increment = 0.0f;  // cycles per sample, 0..1 (the caller clamps)
    float startPhase = 0.0f; // where a note start puts the phase
    float pulseWidth = 0.5f; // last width given to the Square step
    const WtCollection* tables = nullptr;
    NoiseState noise;
    OscWaveform waveform = OscWaveform::Off;

    // One output sample; table waveforms also advance the phase. pulseWidth (0..1) is used by
    // Square only. Codes without a sound give 0 and leave the phase alone.
    [[gnu::always_inline]] inline float nextSample(float width)
    {
        switch (waveform) {
        case OscWaveform::Sawtooth:
            return readTable(WtRowSaw);
        case OscWaveform::Square:
            return readPulse(width);
        case OscWaveform::Triangle:
            return readTable(WtRowTriangle);
        case OscWaveform::Sine:
            return readTable(WtRowSine);
        case OscWaveform::Chime:
            return readTable(WtRowChime);
        case OscWaveform::Organ:
            return readTable(WtRowOrgan);
        case OscWaveform::White:
        case OscWaveform::Pink:
            return nextNoise();
        default:
            return 0.0f;
        }
    }

    // The table for a row at the current increment; the increment changes only now and then,
    // so the last answer is kept until it, the row or the collection changes.
    const Wavetable* tableFor(int row)
    {
        if (!tables)
            return nullptr;
        if (row != cachedRow || tables != cachedTables || tables->generation() != cachedGeneration)
            refreshTable(row);
        else if (increment != cachedIncrement)
            followIncrement(row);
        return cachedTable;
    }

    [[gnu::always_inline]] inline float readTable(int row)
    {
        float out = 0.0f;
        if (tableFor(row))
            out = interpolate(phase);
        advance();
        return out;
    }

    [[gnu::always_inline]] inline float readPulse(float width)
    {
        pulseWidth = width;
        float out = 0.0f;
        if (tableFor(WtRowSaw)) {
            float q = phase + width;
            if (q >= 1.0f)
                q -= 1.0f;
            out = interpolate(phase) - interpolate(q);
        }
        advance();
        return out;
    }

    // count samples in a row, as count nextSample calls would give them; the waveform is
    // looked at once, so a plain table read loops without a branch per sample.
    void readRun(const float* width, float* out, int count)
    {
        if (waveform == OscWaveform::Square && count > 0 && tableFor(WtRowSaw)) {
            readPulseRun(width, out, count);
            return;
        }
        const int row = plainTableRow(waveform);
        if (row < 0 || !tableFor(row)) {
            for (int i = 0; i < count; ++i)
                out[i] = nextSample(width[i]);
            return;
        }
        float at[kRunChunk];
        for (int done = 0; done < count; done += kRunChunk) {
            const int n = count - done < kRunChunk ? count - done : kRunChunk;
            stepPhases(at, n);
            interpolateRun(cachedSamples, cachedMask, cachedLength, at, out + done, n);
        }
    }

    // Sets where this oscillator starts and puts it there; 1.0 reads as 0, and values outside
    // a cycle (a damaged program) are folded into it.
    void setStartPhase(float s)
    {
        s -= std::floor(s);
        if (!(s >= 0.0f && s < 1.0f))
            s = 0.0f;
        startPhase = s;
        phase = s;
    }

    void restart() { phase = startPhase; }

private:
    const Wavetable* cachedTable = nullptr;
    const WtCollection* cachedTables = nullptr;
    // The cached table's samples, index mask and length, so a read needs no table lookup.
    const float* cachedSamples = nullptr;
    int32_t cachedMask = 0;
    float cachedLength = 0.0f;
    float cachedIncrement = -1.0f;
    int cachedRow = -1;
    uint32_t cachedGeneration = 0;

    [[gnu::noinline]] float nextNoise() { return waveform == OscWaveform::White ? noise.white() : noise.pink(); }

    // The same row and tables at a new increment: the table only changes across a band's edge.
    void followIncrement(int row)
    {
        if (cachedTable && tables->isTableFor(cachedTable, row, increment))
            cachedIncrement = increment;
        else
            refreshTable(row);
    }

    [[gnu::noinline]] void refreshTable(int row)
    {
        cachedTable = tables->findTable(row, increment);
        cachedRow = row;
        cachedIncrement = increment;
        cachedTables = tables;
        cachedGeneration = tables->generation();
        if (cachedTable) {
            cachedSamples = cachedTable->samples.data();
            cachedMask = cachedTable->length - 1;
            cachedLength = static_cast<float>(cachedTable->length);
        }
    }

    static constexpr int kRunChunk = 64;

    // The phase of each of the next count samples into at, and the phase moved past them.
    void stepPhases(float* at, int count)
    {
        float ph = phase;
        const float inc = increment;
        for (int i = 0; i < count; ++i) {
            at[i] = ph;
            ph = advanced(ph, inc);
        }
        phase = ph;
    }

    // readPulse count times, with the saw table already looked up.
    void readPulseRun(const float* width, float* out, int count)
    {
        float at[kRunChunk], shifted[kRunChunk], lagging[kRunChunk];
        for (int done = 0; done < count; done += kRunChunk) {
            const int n = count - done < kRunChunk ? count - done : kRunChunk;
            stepPhases(at, n);
            for (int i = 0; i < n; ++i) {
                const float q = at[i] + width[done + i];
                shifted[i] = q >= 1.0f ? q - 1.0f : q;
            }
            interpolateRun(cachedSamples, cachedMask, cachedLength, at, out + done, n);
            interpolateRun(cachedSamples, cachedMask, cachedLength, shifted, lagging, n);
            for (int i = 0; i < n; ++i)
                out[done + i] -= lagging[i];
        }
        pulseWidth = width[count - 1];
    }

    float interpolate(float ph) const { return interpolateTable(cachedSamples, cachedMask, cachedLength, ph); }

public:
    [[gnu::always_inline]] inline void advance() { phase = advanced(phase, increment); }

    // One step of a phase; written without branches so loops over copies vectorise.
    [[gnu::always_inline]] static inline float advanced(float ph, float inc)
    {
        ph += inc;
        ph = ph >= 1.0f ? ph - 1.0f : ph;
        // A sum that rounded up to 2 at an increment of 1.
        return ph >= 1.0f ? 0.0f : ph;
    }
};

// The phase a note start gives a side: the phase parameter, or a fresh random one when the
// parameter sits exactly on 1.0 ("Random").
inline float drawStartPhase(float phaseParam)
{
    if (phaseParam == 1.0f)
        return static_cast<float>(randomInt15()) / 32767.0f;
    return phaseParam;
}

// Note-start phases of one side: main oscillator and sub at the side's phase (the sub
// at 0 when it plays an alternative waveform), the six unison copies at their fixed phases.
inline void startSidePhases(float phaseParam, SubAltMode subMode, Oscillator& main, Oscillator& sub,
                            Oscillator* unisonCopies)
{
    const float s = drawStartPhase(phaseParam);
    main.setStartPhase(s);
    sub.setStartPhase(subMode == SubAltMode::Off ? s : 0.0f);
    for (int j = 0; j < 6; ++j)
        unisonCopies[j].restart();
}

// Gives a side's six unison copies their fixed start phases; done once when the voice is built.
inline void assignUnisonStartPhases(int side, Oscillator* unisonCopies)
{
    for (int j = 0; j < 6; ++j) {
        unisonCopies[j].startPhase = kUnisonStartPhase[side][j];
        unisonCopies[j].phase = kUnisonStartPhase[side][j];
    }
}
