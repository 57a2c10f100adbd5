// The 24-slot modulation matrix of a voice: each slot scales one source by a bipolar amount and
// adds it to one target, or to the amount of another slot.
#pragma once

#include "MidiProcessor.h"
#include "params/CodeTables.h"
#include "params/ProgramStore.h"
#include "params/SectionParams.h"

#include <cstdint>

constexpr int kNumModSlots = 24;

// The source values of one voice at a control frame, indexed by source code (0 reads 0).
struct ModSourceValues {
    float value[kNumModSources] = {};
};

// The modulation part of a voice.
struct ModBlock {
    float envVelocityGain[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float envValue[4] = {};
    float lfoValue[4] = {};
    // Sums by target code; the volume entries also take the "Osc X Vol" crossfade, the slot
    // amount entries (24 and up) stay unused.
    float modSums[kNumModTargets] = {};
    float amountScale[kNumModSlots] = {};
    uint8_t scaled[kNumModSlots] = {};
    // Each slot's last stored source and target values and their codes; decoding is a pure
    // function of the value, so it only runs when a slot's setting moves.
    uint32_t sourceStored[kNumModSlots] = {};
    uint32_t targetStored[kNumModSlots] = {};
    uint8_t sourceCode[kNumModSlots] = {};
    uint8_t targetCode[kNumModSlots] = {};
    bool decoded = false;

    float sum(ModTarget target) const { return modSums[static_cast<int>(target)]; }
};

// What a voice's note brings to the sources besides its envelopes, LFOs and the controllers.
struct VoiceSources {
    float velocity = 0.0f;
    float noteRandom = 0.0f;
    int note = 0;              // the key, for its key pressure
    float polyPressure = 0.0f; // the voice's own pressure
    float slide = 0.0f;        // its channel's controller 74
};

// What each source delivers for this voice and note, from its envelopes, LFOs and the MIDI
// controllers.
void gatherModSources(const ModBlock& block, const VoiceSources& voice, const MidiControllerState& controllers,
                      ModSourceValues& out);

// Rebuilds the sums from the slots of the program: amount scaling first (never chained), then
// every active slot adds into its target.
void evaluateModMatrix(const ProgramStore& programs, const ModSourceValues& sources, ModBlock& block);
