#include "ValueCurves.h"

#include <cmath>

namespace {

constexpr float kTriplet = 2.0f / 3.0f;
constexpr float kDotted = 1.5f;

constexpr float kLfoStep = 0.04f;
constexpr float kDelayStep = 1.0f / 17.0f;
constexpr float kPredelayStep = 0.1f;

// The voices evaluate the LFO curve per sample, so the row is found from an estimate and
// corrected by the exact float comparison rather than by a scan.
int selectRow(float value, float step, int lastRow)
{
    if (!(value < float(lastRow) * step))
        return lastRow; // also NaN and infinity
    if (value < step)
        return 0;
    int i = int(value / step);
    if (i > lastRow - 1)
        i = lastRow - 1;
    while (i > 0 && float(i) * step > value)
        --i;
    while (float(i + 1) * step <= value)
        ++i;
    return i;
}

// A host may report a tempo or signature that makes no sense (negative, NaN); such a block is
// timed as if the host had given none, so no curve turns negative or NaN from it.
float beatsPerMinute(TempoInfo tempo)
{
    return std::isfinite(tempo.tempo) && tempo.tempo > 0.0f ? tempo.tempo : 120.0f;
}

float denominatorOf(TempoInfo tempo)
{
    return tempo.timeSigDenominator > 0 ? float(tempo.timeSigDenominator) : 4.0f;
}

} // namespace

const TempoDivision kLfoDivisions[kNumLfoDivisions] = {
    {"8/1", 0.125f, 1.0f},     {"8/1T", 0.125f, kTriplet}, {"4/1D", 0.25f, kDotted},   {"4/1", 0.25f, 1.0f},
    {"4/1T", 0.25f, kTriplet}, {"2/1D", 0.5f, kDotted},    {"2/1", 0.5f, 1.0f},        {"2/1T", 0.5f, kTriplet},
    {"1/1D", 1.0f, kDotted},   {"1/1", 1.0f, 1.0f},        {"1/1T", 1.0f, kTriplet},   {"1/2D", 2.0f, kDotted},
    {"1/2", 2.0f, 1.0f},       {"1/2T", 2.0f, kTriplet},   {"1/4D", 4.0f, kDotted},    {"1/4", 4.0f, 1.0f},
    {"1/4T", 4.0f, kTriplet},  {"1/8D", 8.0f, kDotted},    {"1/8", 8.0f, 1.0f},        {"1/8T", 8.0f, kTriplet},
    {"1/16D", 16.0f, kDotted}, {"1/16", 16.0f, 1.0f},      {"1/16T", 16.0f, kTriplet}, {"1/32D", 32.0f, kDotted},
    {"1/32", 32.0f, 1.0f},
};

const TempoDivision kDelayDivisions[kNumDelayDivisions] = {
    {"1/32T", 32.0f, kTriplet}, {"1/32", 32.0f, 1.0f},     {"1/32D", 32.0f, kDotted}, {"1/16T", 16.0f, kTriplet},
    {"1/16", 16.0f, 1.0f},      {"1/16D", 16.0f, kDotted}, {"1/8T", 8.0f, kTriplet},  {"1/8", 8.0f, 1.0f},
    {"1/8D", 8.0f, kDotted},    {"1/4T", 4.0f, kTriplet},  {"1/4", 4.0f, 1.0f},       {"1/4D", 4.0f, kDotted},
    {"1/2T", 2.0f, kTriplet},   {"1/2", 2.0f, 1.0f},       {"1/2D", 2.0f, kDotted},   {"1/1T", 1.0f, kTriplet},
    {"1/1", 1.0f, 1.0f},
};

int lfoDivisionRow(float value)
{
    return selectRow(value, kLfoStep, kNumLfoDivisions - 1);
}

int delayDivisionRow(float value)
{
    return selectRow(value, kDelayStep, kNumDelayDivisions - 1);
}

int predelayDivisionRow(float value)
{
    return selectRow(value, kPredelayStep, kNumPredelayDivisions - 1);
}

const TempoDivision& lfoDivision(float value)
{
    return kLfoDivisions[lfoDivisionRow(value)];
}

const TempoDivision& delayDivision(float value)
{
    return kDelayDivisions[delayDivisionRow(value)];
}

const TempoDivision& predelayDivision(float value)
{
    return kDelayDivisions[predelayDivisionRow(value)];
}

float divisionMs(const TempoDivision& division, TempoInfo tempo)
{
    return denominatorOf(tempo) / division.noteFraction * (60.0f / beatsPerMinute(tempo) * 1000.0f) *
           division.multiplier;
}

float freeLfoRateHz(float value)
{
    return value * value * value * 49.99f + 0.01f;
}

float freeDelayTimeMs(float value)
{
    return value * value * 5990.0f + 10.0f;
}

float freePredelayMs(float value)
{
    return value * 1000.0f;
}

float lfoRateHz(float value, bool sync, TempoInfo tempo)
{
    if (!sync)
        return freeLfoRateHz(value);
    const TempoDivision& division = lfoDivision(value);
    return 1.0f /
           (denominatorOf(tempo) / division.noteFraction * (60.0f / beatsPerMinute(tempo)) * division.multiplier);
}

float delayTimeMs(float value, bool sync, TempoInfo tempo)
{
    return sync ? divisionMs(delayDivision(value), tempo) : freeDelayTimeMs(value);
}

float predelayMs(float value, bool sync, TempoInfo tempo)
{
    return sync ? divisionMs(predelayDivision(value), tempo) : freePredelayMs(value);
}
