#include "DisplayText.h"

#include "CodeTables.h"
#include "ProgramStore.h"
#include "ValueCurves.h"

#include <clocale>
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

// printf writes the decimal separator of the process locale, and hosts in much of Europe run
// with a comma: the texts always show a point.
void useDecimalPoint(char* text)
{
    const char* separator = std::localeconv()->decimal_point;
    const std::size_t length = separator ? std::strlen(separator) : 0;
    if (length == 0 || std::strcmp(separator, ".") == 0)
        return;
    char* out = text;
    for (const char* in = text; *in != '\0';) {
        if (std::strncmp(in, separator, length) == 0) {
            *out++ = '.';
            in += length;
        } else {
            *out++ = *in++;
        }
    }
    *out = '\0';
}

template <typename... Args>
void formatLimited(char* text, const char* format, Args... args)
{
    char scratch[kScratchSize];
    std::snprintf(scratch, sizeof scratch, format, args...);
    useDecimalPoint(scratch);
    copyLimited(text, scratch);
}

void formatSigned(char* text, float shown, const char* positive, const char* other)
{
    formatLimited(text, shown > 0.0f ? positive : other, double(shown));
}

const char* const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

void formatKeySplit(char* text, float value)
{
    const int n = keySplitNote(value);
    if (n == 0)
        copyLimited(text, "None");
    else
        formatLimited(text, "%s%d %d", kNoteNames[n % 12], n / 12 - 2, n);
}

bool formatCode(char* text, CodeKind kind, float value)
{
    const char* name = codeDisplayText(kind, decodeCode(kind, value));
    if (!name)
        return false;
    copyLimited(text, name);
    return true;
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
        formatSigned(text, knobSemitones(v), "+%.0f st", "%.0f st");
        return true;
    case DisplayKind::Cents:
        formatSigned(text, knobCents(v), "+%.0f ct", "%.0f ct");
        return true;
    case DisplayKind::SubLevel:
        formatLimited(text, "%.1f", double(subLevel(v) * 100.0f));
        return true;
    case DisplayKind::BipolarPercent:
        formatSigned(text, bipolarAmount(v) * 100.0f, "+%.1f", "%.1f");
        return true;
    case DisplayKind::Cutoff:
        if (linked != 0.0f)
            formatLimited(text, "%.1f", double(v * 100.0f));
        else
            formatLimited(text, "%.0f Hz", double(filterCutoffHz(v)));
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
        formatLimited(text, "%d", polyphonyOf(v));
        return true;
    case DisplayKind::GlideTime:
        formatLimited(text, "%.0f ms", double(glideMs(v)));
        return true;
    case DisplayKind::BendRange:
        formatLimited(text, "%.0f st", double(bendSemitones(v)));
        return true;
    case DisplayKind::DelayTime:
        formatDelayTime(text, v, linked != 0.0f);
        return true;
    case DisplayKind::DelayCutoff:
        formatLimited(text, "%.0f Hz", double(delayCutoffHz(v)));
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
    case DisplayKind::RoutingMode:
        formatLimited(text, "Mode %d", routeCode(v) + 1);
        return true;
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
    case DisplayKind::UnisonVoices:
        formatLimited(text, "%d", unisonCount(v));
        return true;
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
    formatLimited(text, "%.1f Hz", double(tuningHz(value)));
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
