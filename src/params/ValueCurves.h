// Unit curves shared by the engine, the display texts and the editor: normalized values to
// rates and times, free or synchronized to the block's tempo.
#pragma once

#include "TempoInfo.h"

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
float freeLfoRateHz(float value);     // v^3 * 49.99 + 0.01
float freeDelayTimeMs(float value);   // v^2 * 5990 + 10
float freePredelayMs(float value);    // v * 1000
