#include "DisplayText.h"

#include "CodeTables.h"
#include "ProgramStore.h"
#include "ValueCurves.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Large enough for any float printed with "%.1f" (up to 40 digits before the point) and a unit.
constexpr std::size_t kScratchSize = 96;

void copyLimited(char* text, const char* source)
{
    std::size_t n = 0;
    while (n < std::size_t(kDisplayTextMax) && source[n] != '\0') {
        text[n] = source[n];
        ++n;
    }
    text[n] = '\0';
}

template <typename... Args>
void formatLimited(char* text, const char* format, Args... args)
{
    char scratch[kScratchSize];
    std::snprintf(scratch, sizeof scratch, format, args...);
    copyLimited(text, scratch);
}

// trunc into an integer without undefined behaviour: NaN gives 0, values beyond the range of
// int saturate.
long long truncSaturated(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return 2147483647;
    if (x <= -2147483648.0)
        return -2147483648LL;
    return static_cast<long long>(std::trunc(x));
}

void formatSigned(char* text, float shown, const char* positive, const char* other)
{
    formatLimited(text, shown > 0.0f ? positive : other, double(shown));
}

const char* const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

void formatKeySplit(char* text, float value)
{
    const long long n = truncSaturated(double(value * 127.0f));
    if (n == 0) {
        copyLimited(text, "None");
        return;
    }
    // A wild negative value must not index before the note names.
    const int name = int(((n % 12) + 12) % 12);
    formatLimited(text, "%s%lld %lld", kNoteNames[name], n / 12 - 2, n);
}

bool formatCode(char* text, CodeKind kind, float value)
{
    const char* name = codeDisplayText(kind, decodeCode(kind, value));
    if (!name)
        return false;
    copyLimited(text, name);
    return true;
}

float envelopeSeconds(float value)
{
    return value * value * value * 19.999f + 0.001f;
}

void formatEnvelopeTime(char* text, float value)
{
    const float t = envelopeSeconds(value);
    if (t > 10.0f)
        formatLimited(text, "%.1f s", double(t));
    else if (t > 1.0f)
        formatLimited(text, "%.2f s", double(t));
    else
        formatLimited(text, "%.0f ms", double(t * 1000.0f));
}

void formatDelayTime(char* text, float value, bool sync)
{
    if (sync)
        copyLimited(text, delayDivision(value).text);
    else
        formatLimited(text, "%.0f ms", double(freeDelayTimeMs(value)));
}

void formatPredelay(char* text, float value, bool sync)
{
    if (sync)
        copyLimited(text, predelayDivision(value).text);
    else
        formatLimited(text, "%.f ms", double(freePredelayMs(value)));
}

} // namespace

bool formatKindText(DisplayKind kind, float v, float linked, char* text)
{
    switch (kind) {
    case DisplayKind::Percent:
        formatLimited(text, "%.1f", double(v * 100.0f));
        return true;
    case DisplayKind::Semitones:
        formatSigned(text, std::floor((v - 0.5f) * 48.0f), "+%.0f st", "%.0f st");
        return true;
    case DisplayKind::Cents:
        formatSigned(text, std::floor((v - 0.5f) * 200.0f), "+%.0f ct", "%.0f ct");
        return true;
    case DisplayKind::SubLevel:
        formatLimited(text, "%.1f", double(std::fabs((v - 0.5f) * 2.0f) * 100.0f));
        return true;
    case DisplayKind::BipolarPercent:
        // (v - 0.5) * 2 * 100 equals (v - 0.5) * 200 in float: the doubling is exact.
        formatSigned(text, (v - 0.5f) * 200.0f, "+%.1f", "%.1f");
        return true;
    case DisplayKind::Cutoff:
        if (linked != 0.0f)
            formatLimited(text, "%.1f", double(v * 100.0f));
        else
            formatLimited(text, "%.0f Hz", double(v * v * v * v * v * 20980.0f + 20.0f));
        return true;
    case DisplayKind::EnvelopeTime:
        formatEnvelopeTime(text, v);
        return true;
    case DisplayKind::LfoRate:
        if (linked != 0.0f)
            copyLimited(text, lfoDivision(v).text);
        else
            formatLimited(text, "%.2f Hz", double(freeLfoRateHz(v)));
        return true;
    case DisplayKind::Polyphony:
        formatLimited(text, "%lld", 1 + truncSaturated(double(31.0f * v)));
        return true;
    case DisplayKind::GlideTime:
        formatLimited(text, "%.0f ms", double(v * 2000.0f));
        return true;
    case DisplayKind::BendRange:
        formatLimited(text, "%.0f st", double(v * 12.0f));
        return true;
    case DisplayKind::DelayTime:
        formatDelayTime(text, v, linked != 0.0f);
        return true;
    case DisplayKind::DelayCutoff:
        formatLimited(text, "%.0f Hz", double(v * v * v * v * 19990.0f + 10.0f));
        return true;
    case DisplayKind::Predelay:
        formatPredelay(text, v, linked != 0.0f);
        return true;
    case DisplayKind::OscWave:
        return formatCode(text, CodeKind::OscWave, v);
    case DisplayKind::FilterType:
        return formatCode(text, CodeKind::FilterType, v);
    case DisplayKind::LfoWave:
        return formatCode(text, CodeKind::LfoWave, v);
    case DisplayKind::SubAlternative:
        return formatCode(text, CodeKind::SubAlt, v);
    case DisplayKind::ModSource:
        return formatCode(text, CodeKind::ModSource, v);
    case DisplayKind::ModTarget:
        return formatCode(text, CodeKind::ModTarget, v);
    case DisplayKind::OscPhase:
        if (v == 1.0f)
            copyLimited(text, "Random");
        else
            formatLimited(text, "%.1f", double(v * 100.0f));
        return true;
    case DisplayKind::RoutingMode: {
        const int mode = v < 0.2f ? 1 : v < 0.4f ? 2 : v < 0.6f ? 3 : v < 0.8f ? 4 : 5;
        formatLimited(text, "Mode %d", mode);
        return true;
    }
    case DisplayKind::Pan: {
        const float p = (v - 0.5f) * 200.0f;
        if (p < 0.0f)
            formatLimited(text, "L %.0f", double(-p));
        else if (p > 0.0f)
            formatLimited(text, "R %.0f", double(p));
        else
            copyLimited(text, "C");
        return true;
    }
    case DisplayKind::UnisonVoices: {
        const int voices = v < 0.1f ? 1 : v < 0.3f ? 2 : v < 0.5f ? 3 : v < 0.7f ? 4 : v < 0.9f ? 5 : 6;
        formatLimited(text, "%d", voices);
        return true;
    }
    case DisplayKind::KeySplit:
        formatKeySplit(text, v);
        return true;
    case DisplayKind::Switch:
        copyLimited(text, v == 0.0f ? "false" : "true");
        return true;
    }
    return false;
}

bool formatParamDisplay(int index, float value, float linkedValue, char* text)
{
    if (index < 0 || index >= kNumParams)
        return false;
    return formatKindText(kParamTable[index].kind, value, linkedValue, text);
}

bool formatParamDisplay(int index, const ProgramRecord& program, char* text)
{
    if (index < 0 || index >= kNumParams)
        return false;
    const int linkedIndex = kParamTable[index].linkedIndex;
    const float linked = linkedIndex >= 0 ? program.get(linkedIndex) : 0.0f;
    return formatParamDisplay(index, program.get(index), linked, text);
}

void formatTuningHz(float value, char* text)
{
    formatLimited(text, "%.1f Hz", double((value - 0.5f) * 100.0f + 440.0f));
}

bool formatEditorDisplay(int index, float value, float linkedValue, char* text)
{
    if (index < 0 || index >= kNumParams)
        return false;
    switch (index) {
    case Param::Tuning:
        formatTuningHz(value, text);
        return true;
    case Param::DlyTime:
        formatDelayTime(text, value, linkedValue == 1.0f);
        return true;
    case Param::RvbPrDly:
        formatPredelay(text, value, linkedValue == 1.0f);
        return true;
    default:
        return formatParamDisplay(index, value, linkedValue, text);
    }
}
