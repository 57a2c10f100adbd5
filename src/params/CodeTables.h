// The coded (menu-chosen) parameters: a stored number k is held as the value k/100 and decodes
// to a code, the entry's position in the editor's menu (separators occupy positions). One table
// per kind serves the display texts, the engine and the menus, so they can never disagree.
#pragma once

enum class OscWaveform : int {
    Off = 0,
    Sawtooth = 2,
    Square = 3,
    Triangle = 4,
    Sine = 5,
    White = 7,
    Pink = 8,
    Chime = 10,
    Organ = 11,
};

enum class FilterType : int {
    Off = 0,
    Lowpass24 = 2,
    Lowpass12 = 3,
    Highpass = 5,
    Bandpass = 6,
    Bandstop = 7,
    Peaking = 8,
};

enum class LfoWaveform : int {
    Off = 0,
    Sine = 2,
    Triangle = 3,
    Square = 4,
    Sawtooth = 5,
    Random = 7,
};

enum class SubAltMode : int {
    Off = 0,
    SawSquare = 2,
    TriangleSine = 3,
    WhitePink = 4,
    ChimeOrgan = 5,
};

// Modulation sources by menu position.
enum class ModSource : int {
    None = 0,
    Lfo1 = 1,
    Lfo2 = 2,
    Lfo3 = 3,
    Lfo4 = 4,
    Velocity = 5,
    Env1 = 6,
    Env2 = 7,
    Env3 = 8,
    Env4 = 9,
    ModCc1 = 10,
    ModCc2 = 11,
    Const = 12,
    Random = 13,
    PitchBend = 14,
    ModWheel = 15,
    ChannelPressure = 16,
    KeyPressure = 17,
    // After the sources of old, so stored programs keep their meaning.
    PolyPressure = 18, // the voice's own pressure: key pressure, or its MPE channel's pressure
    Slide = 19,        // the voice's channel's controller 74, its MPE slide
};
constexpr int kNumModSources = 20;

// Modulation targets by menu position; 20..23 are the LFO rates, 24..47 the slot amounts.
enum class ModTarget : int {
    None = 0,
    Osc1Tune = 1,
    Osc1Semi = 2,
    Osc1Fine = 3,
    Osc1PW = 4,
    Osc1Sub = 5,
    Osc1Pan = 6,
    Osc1Vol = 7,
    Osc2Tune = 8,
    Osc2Semi = 9,
    Osc2Fine = 10,
    Osc2PW = 11,
    Osc2Sub = 12,
    Osc2Pan = 13,
    Osc2Vol = 14,
    OscXVol = 15,
    Filter1Cut = 16,
    Filter1Res = 17,
    Filter2Cut = 18,
    Filter2Res = 19,
    Lfo1Rate = 20,
    Mod1Amt = 24,
};
constexpr int kNumModTargets = 48;

OscWaveform decodeOscWaveform(float value);
FilterType decodeFilterType(float value);
LfoWaveform decodeLfoWaveform(float value);
SubAltMode decodeSubAltMode(float value);
ModSource decodeModSource(float value);
ModTarget decodeModTarget(float value);

// ---------------------------------------------------------------------------------------------
// The tables behind the decoders, for display texts and menus.

enum class CodeKind : int {
    OscWave,
    FilterType,
    LfoWave,
    SubAlt,
    ModSource,
    ModTarget,
};

// Stored values match a code when they lie within this distance of stored number / 100.
constexpr float kCodeTolerance = 0.00001f;

struct CodeEntry {
    int storedNumber;        // the value written is storedNumber / 100; -1 for a code that does not exist
    bool separator;          // a menu separator: it occupies a position but is never chosen
    const char* menuText;    // the menu entry; null for separators and codes that do not exist
    const char* displayText; // the short text (at most 8 characters); null where there is none
};

// Number of codes (menu positions) of a kind: 12, 9, 8, 6, 20 and 48.
int codeCount(CodeKind kind);
// The entry of a code; null when the code is out of range.
const CodeEntry* codeEntry(CodeKind kind, int code);
// Value to code: the code whose stored number / 100 lies within kCodeTolerance of value; 0 when
// none does (also for NaN and infinities).
int decodeCode(CodeKind kind, float value);
// Code to stored number; -1 when the code is out of range or does not exist.
int codeStoredNumber(CodeKind kind, int code);
// Code to the normalized value that selects it (stored number / 100); 0 for an invalid code.
float codeStoredValue(CodeKind kind, int code);
// Menu text and display text of a code; null where the entry has none (separators, missing
// codes, out of range).
const char* codeMenuText(CodeKind kind, int code);
const char* codeDisplayText(CodeKind kind, int code);
bool codeIsSeparator(CodeKind kind, int code);

// The menu entry a value marks: its code, raised by one when that is a separator, limited to
// the last entry.
int menuEntryForValue(CodeKind kind, float value);
// The value a menu choice writes. False (value untouched) for separators, missing codes and
// positions outside the menu.
bool valueForMenuEntry(CodeKind kind, int entry, float& value);

// The sub-oscillator alternative modes as the oscillator section menu offers them, in order.
constexpr int kNumSubAltMenuItems = 5;
extern const SubAltMode kSubAltMenuModes[kNumSubAltMenuItems];
