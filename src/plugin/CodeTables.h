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
};
constexpr int kNumModSources = 18;

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
