// Unit curves shared by the engine, the display texts and the editor: normalized values to
// rates, times, pitches and counts, so the text a user reads is what the engine plays.
#pragma once

#include "TempoInfo.h"

#include <cmath>

float lfoRateHz(float value, bool sync, TempoInfo tempo);
float delayTimeMs(float value, bool sync, TempoInfo tempo);
float predelayMs(float value, bool sync, TempoInfo tempo);

// ---------------------------------------------------------------------------------------------
// Tempo divisions: a note value 1/N of a whole note, times M (1 straight, 2/3 triplet, 1.5
// dotted). One division lasts (denominator / N) beats times M.

struct TempoDivision {
    const char* text;
    float noteFraction; // N
    float multiplier;   // M
};

constexpr int kNumLfoDivisions = 25;
constexpr int kNumDelayDivisions = 17;
constexpr int kNumPredelayDivisions = 10; // the first ten delay divisions

extern const TempoDivision kLfoDivisions[kNumLfoDivisions];
extern const TempoDivision kDelayDivisions[kNumDelayDivisions];

// Row selection: the smallest row i with (i + 1) * step > value (in float), at most the last row.
// Values below 0 select row 0; NaN and values at or above the last step select the last row.
int lfoDivisionRow(float value);
int delayDivisionRow(float value);
int predelayDivisionRow(float value);

const TempoDivision& lfoDivision(float value);
const TempoDivision& delayDivision(float value);
const TempoDivision& predelayDivision(float value);

// Length of one division in milliseconds at the given tempo.
float divisionMs(const TempoDivision& division, TempoInfo tempo);

// Free curves alone (sync off).
float freeLfoRateHz(float value);   // v^3 * 49.99 + 0.01
float freeDelayTimeMs(float value); // v^2 * 5990 + 10
float freePredelayMs(float value);  // v * 1000

// ---------------------------------------------------------------------------------------------
// Knob curves. The engine evaluates some of them per sample, so they live here inline; each
// keeps the exact float arithmetic of the engine. Where a curve has no sane value outside 0..1
// (counts, levels, notes) it clamps; the others leave sanitizing to the caller.

// Envelope segment length: 1 ms to 20 s on a cubic curve.
inline float envelopeSeconds(float value)
{
    return 19.999f * value * value * value + 0.001f;
}

// Filter cutoff knob to Hz: 20 Hz to 21 kHz on a fifth-power curve.
inline float filterCutoffHz(float value)
{
    const float v2 = value * value;
    return 20.0f + 20980.0f * v2 * v2 * value;
}

// Delay tone filter: 10 Hz to 20 kHz on a fourth-power curve.
inline float delayCutoffHz(float value)
{
    const float v2 = value * value;
    return 10.0f + 19990.0f * v2 * v2;
}

// Bipolar knobs: -24..+24 whole semitones, -100..+100 whole cents.
inline float knobSemitones(float value)
{
    return std::floor((value - 0.5f) * 48.0f);
}

inline float knobCents(float value)
{
    return std::floor((value - 0.5f) * 200.0f);
}

// Master tuning: the reference A4 in Hz, 390 to 490.
inline float tuningHz(float value)
{
    return (value - 0.5f) * 100.0f + 440.0f;
}

inline float glideMs(float value)
{
    return value * 2000.0f;
}

// Pitch offset of a wheel position (-1..1) for a bend-range knob; at full wheel, the range.
inline float bendSemitones(float range, float wheel = 1.0f)
{
    return wheel * range * 12.0f;
}

// A bipolar amount of -1..+1 around the knob's centre.
inline float bipolarAmount(float value)
{
    return (value - 0.5f) * 2.0f;
}

// The sub knob is bipolar: its distance from the centre is the level, 0..1 (NaN reads as 0).
inline float subLevel(float value)
{
    const float level = std::fabs(2.0f * (value - 0.5f));
    return level < 1.0f ? level : (level == level ? 1.0f : 0.0f);
}

constexpr int kMaxPolyphony = 32;

// Voices a program may sound at once, 1..32. Values outside 0..1 (the store never clamps) must
// not reach past the last voice.
inline int polyphonyOf(float value)
{
    if (!(value > 0.0f))
        return 1;
    if (value >= 1.0f)
        return kMaxPolyphony;
    return 1 + int(value * 31.0f);
}

// Unison copies per side from the voice-count knob, 1..6.
inline int unisonCount(float value)
{
    if (value < 0.1f)
        return 1;
    if (value < 0.3f)
        return 2;
    if (value < 0.5f)
        return 3;
    if (value < 0.7f)
        return 4;
    if (value < 0.9f)
        return 5;
    return 6;
}

// Oscillator routing bucket 0..4 (the texts say "Mode 1" to "Mode 5"); in routings 2 and 4
// Env 2 drives a second amplifier.
inline int routeCode(float value)
{
    if (value < 0.2f)
        return 0;
    if (value < 0.4f)
        return 1;
    if (value < 0.6f)
        return 2;
    if (value < 0.8f)
        return 3;
    return 4;
}

// Key split note 0..127; 0 is no split. NaN reads as 0.
inline int keySplitNote(float value)
{
    return int((value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f) * 127.0f);
}
