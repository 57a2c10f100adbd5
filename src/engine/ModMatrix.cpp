#include "ModMatrix.h"

#include "DspMath.h"

#include "params/ValueCurves.h"

#include <bit>
#include <cmath>

void gatherModSources(const ModBlock& block, const VoiceSources& voice, const MidiControllerState& controllers,
                      ModSourceValues& out)
{
    const int note = voice.note;
    float* v = out.value;
    v[int(ModSource::None)] = 0.0f;
    for (int i = 0; i < 4; ++i)
        v[int(ModSource::Lfo1) + i] = block.lfoValue[i];
    v[int(ModSource::Velocity)] = voice.velocity;
    for (int i = 0; i < 4; ++i)
        v[int(ModSource::Env1) + i] = block.envValue[i] * block.envVelocityGain[i];
    v[int(ModSource::ModCc1)] = controllers.modCcValue[0];
    v[int(ModSource::ModCc2)] = controllers.modCcValue[1];
    v[int(ModSource::Const)] = 1.0f;
    v[int(ModSource::Random)] = voice.noteRandom;
    v[int(ModSource::PitchBend)] = controllers.pitchBend;
    v[int(ModSource::ModWheel)] = controllers.modWheel;
    v[int(ModSource::ChannelPressure)] = controllers.channelPressure;
    v[int(ModSource::KeyPressure)] = note >= 0 && note < 128 ? controllers.keyPressure[note] : 0.0f;
    v[int(ModSource::PolyPressure)] = voice.polyPressure;
    v[int(ModSource::Slide)] = voice.slide;
}

namespace {

// A slot amount of -1..+1; a damaged value (NaN) counts as no amount at all.
float slotAmount(float parameter)
{
    const float amount = bipolarAmount(parameter);
    return amount == amount ? amount : 0.0f;
}

} // namespace

void evaluateModMatrix(const ProgramStore& programs, const ModSourceValues& sources, ModBlock& block)
{
    const ProgramRecord& p = programs.current();
    float amount[kNumModSlots];
    int src[kNumModSlots];
    int dst[kNumModSlots];

    for (float& s : block.modSums)
        s = 0.0f;
    for (int t = 0; t < kNumModSlots; ++t) {
        block.amountScale[t] = 0.0f;
        block.scaled[t] = 0;
    }

    // Amount scaling uses the plain amounts, so a scaling slot is never itself scaled here.
    for (int slot = 0; slot < kNumModSlots; ++slot) {
        amount[slot] = slotAmount(p.get(Param::modAmount(slot + 1)));
        const float sourceValue = p.get(Param::modSource(slot + 1));
        const float targetValue = p.get(Param::modTarget(slot + 1));
        const uint32_t sourceBits = std::bit_cast<uint32_t>(sourceValue);
        const uint32_t targetBits = std::bit_cast<uint32_t>(targetValue);
        if (!block.decoded || sourceBits != block.sourceStored[slot]) {
            block.sourceStored[slot] = sourceBits;
            block.sourceCode[slot] = static_cast<uint8_t>(decodeModSource(sourceValue));
        }
        if (!block.decoded || targetBits != block.targetStored[slot]) {
            block.targetStored[slot] = targetBits;
            block.targetCode[slot] = static_cast<uint8_t>(decodeModTarget(targetValue));
        }
        src[slot] = block.sourceCode[slot];
        dst[slot] = block.targetCode[slot];
        if (dst[slot] >= static_cast<int>(ModTarget::Mod1Amt)) {
            const int t = dst[slot] - static_cast<int>(ModTarget::Mod1Amt);
            block.amountScale[t] += sources.value[src[slot]] * amount[slot];
            block.scaled[t] = 1;
        }
    }

    block.decoded = true;

    constexpr int osc1Vol = static_cast<int>(ModTarget::Osc1Vol);
    constexpr int osc2Vol = static_cast<int>(ModTarget::Osc2Vol);
    for (int slot = 0; slot < kNumModSlots; ++slot) {
        if (src[slot] == 0 || dst[slot] == 0 || dst[slot] >= static_cast<int>(ModTarget::Mod1Amt))
            continue;
        const float eff = clampBipolar(block.scaled[slot] ? amount[slot] * block.amountScale[slot] : amount[slot]);
        const float m = sources.value[src[slot]];
        if (dst[slot] == static_cast<int>(ModTarget::OscXVol)) {
            // Crossfade: the source moves the slot's level from one side to the other.
            const float mp = m > 0.0f ? m : 0.0f;
            const float a = std::fabs(eff);
            const int first = eff >= 0.0f ? osc1Vol : osc2Vol;
            const int second = eff >= 0.0f ? osc2Vol : osc1Vol;
            block.modSums[first] += (1.0f - mp) * a;
            block.modSums[second] += mp * a;
        } else {
            block.modSums[dst[slot]] += eff * m;
        }
    }
}
