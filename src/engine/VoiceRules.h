// The small rules of a voice that every way of rendering it reads: which modulation targets a
// side and a filter unit listen to, the sub's waveform, when unison copies play, and the pan law.
#pragma once

#include "ModMatrix.h"
#include "params/CodeTables.h"
#include "params/ParamTable.h"

// The modulation targets of a side, side 2's codes following the same layout.
struct SideTargets {
    int tune, semi, fine, pulseWidth, sub, pan, volume;
};
constexpr SideTargets kSideTargets[2] = {
    {int(ModTarget::Osc1Tune), int(ModTarget::Osc1Semi), int(ModTarget::Osc1Fine), int(ModTarget::Osc1PW),
     int(ModTarget::Osc1Sub), int(ModTarget::Osc1Pan), int(ModTarget::Osc1Vol)},
    {int(ModTarget::Osc2Tune), int(ModTarget::Osc2Semi), int(ModTarget::Osc2Fine), int(ModTarget::Osc2PW),
     int(ModTarget::Osc2Sub), int(ModTarget::Osc2Pan), int(ModTarget::Osc2Vol)},
};
constexpr int kFilterCutTarget[2] = {int(ModTarget::Filter1Cut), int(ModTarget::Filter2Cut)};
constexpr int kFilterResTarget[2] = {int(ModTarget::Filter1Res), int(ModTarget::Filter2Res)};

// Linear pan law: +3 dB at the extremes, about -3 dB per channel at the centre.
constexpr float kPanGain = 1.4125375f;

// The sub waveform: the knob's half picks one of the alternative mode's pair.
inline OscWaveform subWaveform(SubAltMode mode, bool lowHalf)
{
    switch (mode) {
    case SubAltMode::SawSquare:
        return lowHalf ? OscWaveform::Sawtooth : OscWaveform::Square;
    case SubAltMode::TriangleSine:
        return lowHalf ? OscWaveform::Triangle : OscWaveform::Sine;
    case SubAltMode::WhitePink:
        return lowHalf ? OscWaveform::White : OscWaveform::Pink;
    case SubAltMode::ChimeOrgan:
        return lowHalf ? OscWaveform::Chime : OscWaveform::Organ;
    default:
        return lowHalf ? OscWaveform::Triangle : OscWaveform::Square;
    }
}

// Detuned copies play beside a main oscillator with any detune, unless it plays noise.
inline bool unisonPlays(float detune, OscWaveform mainWave)
{
    return detune > 0.0f && mainWave != OscWaveform::White && mainWave != OscWaveform::Pink;
}

// With a key split, side 1 plays the notes below it and side 2 the rest.
inline bool splitLetsSidePlay(int side, int keySplit, int note)
{
    return keySplit <= 0 || (side == 0 ? note < keySplit : note >= keySplit);
}

// Side 2's parameters follow side 1's by one index throughout the oscillator section.
constexpr int kSideStep = 1;

constexpr int kEnvAttack[4] = {Param::Env1Att, Param::Env2Att, Param::Env3Att, Param::Env4Att};
constexpr int kEnvDecay[4] = {Param::Env1Dec, Param::Env2Dec, Param::Env3Dec, Param::Env4Dec};
constexpr int kEnvSustain[4] = {Param::Env1Sus, Param::Env2Sus, Param::Env3Sus, Param::Env4Sus};
constexpr int kEnvRelease[4] = {Param::Env1Rel, Param::Env2Rel, Param::Env3Rel, Param::Env4Rel};
constexpr int kEnvVelocity[4] = {Param::Env1Vel, Param::Env2Vel, Param::Env3Vel, Param::Env4Vel};

constexpr int kFilterType[2] = {Param::FltType, Param::Flt2Type};
constexpr int kFilterCut[2] = {Param::FltCut, Param::Flt2Cut};
constexpr int kFilterRes[2] = {Param::FltRes, Param::Flt2Res};
constexpr int kFilterKey[2] = {Param::FltKey, Param::Flt2Key};

// A stored value as the engine may use it: a number within a range no arithmetic here can
// overflow. Normal values (and moderately wild ones) pass unchanged.
inline float safeValue(float x)
{
    if (!(x == x))
        return 0.0f;
    return x > 1000.0f ? 1000.0f : (x < -1000.0f ? -1000.0f : x);
}
