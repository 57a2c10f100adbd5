// The parameters of each numbered section (oscillator 1-2, filter 1-2, envelope 1-4, LFO 1-4)
// and matrix slot (1-24) by role, so that code naming "oscillator n's detune" is checked by the
// compiler. The parameter indices of one role are not evenly spaced across instances.
#pragma once

#include "params/ParamTable.h"

struct OscillatorParams {
    int semi, fine, volume, detune, pulseWidth, sub, wave, subFollowsPw, subFollowsVolume, phase, subSemi, subFine,
        subAltWave, detuneSpread, detuneMix, pan, detuneVoices;
};
struct FilterParams {
    int cutoff, resonance, keyTrack, type;
};
struct EnvelopeParams {
    int attack, decay, sustain, release, velocity;
};
struct LfoParams {
    int rate, offset, wave, sync, free, phase;
};

// Indexed by instance number - 1.
inline constexpr OscillatorParams kOscillatorParams[2] = {
    {Param::Osc1Semi, Param::Osc1Fine, Param::Osc1Vol, Param::Osc1Det, Param::Osc1PW, Param::Osc1Sub, Param::Osc1Wave,
     Param::Sub1FlPW, Param::Sub1FlVl, Param::Osc1Phse, Param::Sub1Semi, Param::Sub1Fine, Param::Sub1AltW,
     Param::Osc1DtSp, Param::Osc1DtMx, Param::Osc1Pan, Param::Osc1DtVo},
    {Param::Osc2Semi, Param::Osc2Fine, Param::Osc2Vol, Param::Osc2Det, Param::Osc2PW, Param::Osc2Sub, Param::Osc2Wave,
     Param::Sub2FlPW, Param::Sub2FlVl, Param::Osc2Phse, Param::Sub2Semi, Param::Sub2Fine, Param::Sub2AltW,
     Param::Osc2DtSp, Param::Osc2DtMx, Param::Osc2Pan, Param::Osc2DtVo},
};
inline constexpr FilterParams kFilterParams[2] = {
    {Param::FltCut, Param::FltRes, Param::FltKey, Param::FltType},
    {Param::Flt2Cut, Param::Flt2Res, Param::Flt2Key, Param::Flt2Type},
};
inline constexpr EnvelopeParams kEnvelopeParams[4] = {
    {Param::Env1Att, Param::Env1Dec, Param::Env1Sus, Param::Env1Rel, Param::Env1Vel},
    {Param::Env2Att, Param::Env2Dec, Param::Env2Sus, Param::Env2Rel, Param::Env2Vel},
    {Param::Env3Att, Param::Env3Dec, Param::Env3Sus, Param::Env3Rel, Param::Env3Vel},
    {Param::Env4Att, Param::Env4Dec, Param::Env4Sus, Param::Env4Rel, Param::Env4Vel},
};
inline constexpr LfoParams kLfoParams[4] = {
    {Param::Lfo1Rate, Param::Lfo1Ofs, Param::Lfo1Wave, Param::Lfo1Sync, Param::Lfo1Free, Param::Lfo1Phse},
    {Param::Lfo2Rate, Param::Lfo2Ofs, Param::Lfo2Wave, Param::Lfo2Sync, Param::Lfo2Free, Param::Lfo2Phse},
    {Param::Lfo3Rate, Param::Lfo3Ofs, Param::Lfo3Wave, Param::Lfo3Sync, Param::Lfo3Free, Param::Lfo3Phse},
    {Param::Lfo4Rate, Param::Lfo4Ofs, Param::Lfo4Wave, Param::Lfo4Sync, Param::Lfo4Free, Param::Lfo4Phse},
};

namespace Param {
// Matrix slot 1 to 24: slots 1-12 and 13-24 lie in two runs of the table.
constexpr int modSlot(int firstRun, int secondRun, int slot)
{
    return slot <= 12 ? firstRun + slot - 1 : secondRun + slot - 13;
}
constexpr int modSource(int slot)
{
    return modSlot(ModSrc1, ModSrc13, slot);
}
constexpr int modAmount(int slot)
{
    return modSlot(ModAmt1, ModAmt13, slot);
}
constexpr int modTarget(int slot)
{
    return modSlot(ModDst1, ModDst13, slot);
}
static_assert(modSource(24) == ModSrc24 && modAmount(24) == ModAmt24 && modTarget(24) == ModDst24);
} // namespace Param
