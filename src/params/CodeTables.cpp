#include "CodeTables.h"

#include <cmath>
#include <iterator>

namespace {

constexpr CodeEntry kSeparator(int stored)
{
    return {stored, true, nullptr, nullptr};
}

// Code 1 of the sub-oscillator modes does not exist: nothing selects it.
constexpr CodeEntry kMissing{-1, false, nullptr, nullptr};

constexpr CodeEntry kOscWaveCodes[] = {
    {0, false, "Off", "Off"},
    kSeparator(1),
    {2, false, "Sawtooth", "Sawtooth"},
    {3, false, "Square", "Square"},
    {4, false, "Triangle", "Triangle"},
    {9, false, "Sine", "Sine"},
    kSeparator(5),
    {6, false, "White Noise", "White"},
    {7, false, "Pink Noise", "Pink"},
    kSeparator(8),
    {10, false, "Chime", "Chime"},
    {11, false, "Organ", "Organ"},
};

constexpr CodeEntry kFilterTypeCodes[] = {
    {0, false, "Off", "Off"},
    kSeparator(1),
    {2, false, "Lowpass 24", "LP24"},
    {3, false, "Lowpass 12", "LP12"},
    kSeparator(4),
    {5, false, "Highpass", "HP"},
    {6, false, "Bandpass", "BP"},
    {7, false, "Bandstop", "BS"},
    {8, false, "Peaking", "PK"},
};

constexpr CodeEntry kLfoWaveCodes[] = {
    {0, false, "Off", "Off"},
    kSeparator(1),
    {2, false, "Sine", "Sin"},
    {3, false, "Triangle", "Tri"},
    {4, false, "Square", "Sqr"},
    {5, false, "Sawtooth", "Saw"},
    kSeparator(6),
    {7, false, "Random", "Rnd"},
};

constexpr CodeEntry kSubAltCodes[] = {
    {0, false, "Sub Alt Mode: Off", "Off"},
    kMissing,
    {2, false, "Sub Alt Mode: Sawtooth / Square", "Saw/Sqr"},
    {3, false, "Sub Alt Mode: Triangle / Sine", "Tri/Sin"},
    {4, false, "Sub Alt Mode: White / Pink", "Wht/Pnk"},
    {5, false, "Sub Alt Mode: Chime / Organ", "Chi/Org"},
};

constexpr CodeEntry kModSourceCodes[] = {
    {0, false, "--", "Src 1"},          {1, false, "LFO 1", "Src 2"},       {2, false, "LFO 2", "Src 3"},
    {3, false, "LFO 3", "Src 4"},       {4, false, "LFO 4", "Src 5"},       {9, false, "Velocity", "Src 6"},
    {5, false, "Env 1", "Src 7"},       {6, false, "Env 2", "Src 8"},       {7, false, "Env 3", "Src 9"},
    {17, false, "Env 4", "Src 10"},     {13, false, "Mod CC 1", "Src 11"},  {14, false, "Mod CC 2", "Src 12"},
    {8, false, "Const", "Src 13"},      {15, false, "Random", "Src 14"},    {10, false, "PBend", "Src 15"},
    {11, false, "MWheel", "Src 16"},    {12, false, "CPressure", "Src 17"}, {16, false, "KPressure", "Src 18"},
    {18, false, "PolyPress", "Src 19"}, {19, false, "Slide", "Src 20"},
};

constexpr CodeEntry kModTargetCodes[] = {
    {0, false, "--", "Dst 1"},
    {1, false, "Osc 1 Tune", "Dst 2"},
    {3, false, "Osc 1 Semi", "Dst 3"},
    {5, false, "Osc 1 Fine", "Dst 4"},
    {7, false, "Osc 1 PW", "Dst 5"},
    {37, false, "Osc 1 Sub", "Dst 6"},
    {42, false, "Osc 1 Pan", "Dst 7"},
    {9, false, "Osc 1 Vol", "Dst 8"},
    {2, false, "Osc 2 Tune", "Dst 9"},
    {4, false, "Osc 2 Semi", "Dst 10"},
    {6, false, "Osc 2 Fine", "Dst 11"},
    {8, false, "Osc 2 PW", "Dst 12"},
    {38, false, "Osc 2 Sub", "Dst 13"},
    {43, false, "Osc 2 Pan", "Dst 14"},
    {10, false, "Osc 2 Vol", "Dst 15"},
    {39, false, "Osc X Vol", "Dst 16"},
    {11, false, "Filter 1 Cut", "Dst 17"},
    {12, false, "Filter 1 Res", "Dst 18"},
    {40, false, "Filter 2 Cut", "Dst 19"},
    {41, false, "Filter 2 Res", "Dst 20"},
    {44, false, "LFO 1 Rate", "Dst 21"},
    {45, false, "LFO 2 Rate", "Dst 22"},
    {46, false, "LFO 3 Rate", "Dst 23"},
    {47, false, "LFO 4 Rate", "Dst 24"},
    {13, false, "Mod 1 Amt", "Dst 25"},
    {14, false, "Mod 2 Amt", "Dst 26"},
    {15, false, "Mod 3 Amt", "Dst 27"},
    {16, false, "Mod 4 Amt", "Dst 28"},
    {17, false, "Mod 5 Amt", "Dst 29"},
    {18, false, "Mod 6 Amt", "Dst 30"},
    {19, false, "Mod 7 Amt", "Dst 31"},
    {20, false, "Mod 8 Amt", "Dst 32"},
    {21, false, "Mod 9 Amt", "Dst 33"},
    {22, false, "Mod 10 Amt", "Dst 34"},
    {23, false, "Mod 11 Amt", "Dst 35"},
    {24, false, "Mod 12 Amt", "Dst 36"},
    {25, false, "Mod 13 Amt", "Dst 37"},
    {26, false, "Mod 14 Amt", "Dst 38"},
    {27, false, "Mod 15 Amt", "Dst 39"},
    {28, false, "Mod 16 Amt", "Dst 40"},
    {29, false, "Mod 17 Amt", "Dst 41"},
    {30, false, "Mod 18 Amt", "Dst 42"},
    {31, false, "Mod 19 Amt", "Dst 43"},
    {32, false, "Mod 20 Amt", "Dst 44"},
    {33, false, "Mod 21 Amt", "Dst 45"},
    {34, false, "Mod 22 Amt", "Dst 46"},
    {35, false, "Mod 23 Amt", "Dst 47"},
    {36, false, "Mod 24 Amt", "Dst 48"},
};

static_assert(std::size(kModSourceCodes) == kNumModSources);
static_assert(std::size(kModTargetCodes) == kNumModTargets);

constexpr int kMaxStored = 47; // largest stored number of any kind

struct Table {
    const CodeEntry* entries;
    int count;
    int codeOfStored[kMaxStored + 1]; // -1 where no code has that stored number
};

template <std::size_t N>
constexpr Table tableOf(const CodeEntry (&entries)[N])
{
    Table table{entries, int(N), {}};
    for (int& code : table.codeOfStored)
        code = -1;
    for (int code = 0; code < int(N); ++code)
        if (entries[code].storedNumber >= 0)
            table.codeOfStored[entries[code].storedNumber] = code;
    return table;
}

constexpr Table kTables[] = {
    tableOf(kOscWaveCodes), tableOf(kFilterTypeCodes), tableOf(kLfoWaveCodes),
    tableOf(kSubAltCodes),  tableOf(kModSourceCodes),  tableOf(kModTargetCodes),
};

const Table& tableFor(CodeKind kind)
{
    return kTables[static_cast<int>(kind)];
}

} // namespace

const SubAltMode kSubAltMenuModes[kNumSubAltMenuItems] = {
    SubAltMode::Off, SubAltMode::SawSquare, SubAltMode::TriangleSine, SubAltMode::WhitePink, SubAltMode::ChimeOrgan,
};

int codeCount(CodeKind kind)
{
    return tableFor(kind).count;
}

const CodeEntry* codeEntry(CodeKind kind, int code)
{
    const Table& table = tableFor(kind);
    if (code < 0 || code >= table.count)
        return nullptr;
    return &table.entries[code];
}

int decodeCode(CodeKind kind, float value)
{
    // The tolerance is far below half a step, so only the nearest stored number can match; the
    // engine decodes per block and voice, so this avoids scanning the table.
    if (!(value > -0.005f && value < (kMaxStored + 0.5f) / 100.0f))
        return 0;
    const int stored = int(std::lround(value * 100.0f));
    if (stored < 0 || stored > kMaxStored || std::fabs(value - float(stored) / 100.0f) >= kCodeTolerance)
        return 0;
    const int code = tableFor(kind).codeOfStored[stored];
    return code >= 0 ? code : 0;
}

int codeStoredNumber(CodeKind kind, int code)
{
    const CodeEntry* entry = codeEntry(kind, code);
    return entry ? entry->storedNumber : -1;
}

float codeStoredValue(CodeKind kind, int code)
{
    const int stored = codeStoredNumber(kind, code);
    return stored >= 0 ? float(stored) / 100.0f : 0.0f;
}

const char* codeMenuText(CodeKind kind, int code)
{
    const CodeEntry* entry = codeEntry(kind, code);
    return entry ? entry->menuText : nullptr;
}

const char* codeDisplayText(CodeKind kind, int code)
{
    const CodeEntry* entry = codeEntry(kind, code);
    return entry ? entry->displayText : nullptr;
}

bool codeIsSeparator(CodeKind kind, int code)
{
    const CodeEntry* entry = codeEntry(kind, code);
    return entry && entry->separator;
}

int menuEntryForValue(CodeKind kind, float value)
{
    int entry = decodeCode(kind, value);
    if (codeIsSeparator(kind, entry))
        ++entry;
    const int last = codeCount(kind) - 1;
    return entry < last ? entry : last;
}

bool valueForMenuEntry(CodeKind kind, int entry, float& value)
{
    const CodeEntry* e = codeEntry(kind, entry);
    if (!e || e->separator || e->storedNumber < 0)
        return false;
    value = float(e->storedNumber) / 100.0f;
    return true;
}

OscWaveform decodeOscWaveform(float value)
{
    return static_cast<OscWaveform>(decodeCode(CodeKind::OscWave, value));
}

FilterType decodeFilterType(float value)
{
    return static_cast<FilterType>(decodeCode(CodeKind::FilterType, value));
}

LfoWaveform decodeLfoWaveform(float value)
{
    return static_cast<LfoWaveform>(decodeCode(CodeKind::LfoWave, value));
}

SubAltMode decodeSubAltMode(float value)
{
    return static_cast<SubAltMode>(decodeCode(CodeKind::SubAlt, value));
}

ModSource decodeModSource(float value)
{
    return static_cast<ModSource>(decodeCode(CodeKind::ModSource, value));
}

ModTarget decodeModTarget(float value)
{
    return static_cast<ModTarget>(decodeCode(CodeKind::ModTarget, value));
}
