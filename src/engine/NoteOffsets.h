// What a host may change for one note alone: offsets added to the parameters a voice reads for
// itself, and the note's expressions. They live with the voice playing the note, never in the
// program, and a new note on the voice starts without them.
#pragma once

#include "params/ParamTable.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>

enum class NoteExpression : int32_t {
    Tuning,   // semitones, -120..120
    Volume,   // linear gain 0..4, 1 = unchanged
    Pan,      // 0..1, 0.5 = centre
    Pressure, // 0..1, the key's pressure source
};
constexpr int kNumNoteExpressions = 4;

// The parameters a voice reads per frame or per run for itself, where an offset is added before
// the voice's own clamps. Everything else is shared by all voices (or read once per block).
constexpr int kNoteOffsetParams[] = {
    Param::Osc1Semi, Param::Osc2Semi, Param::Osc1Fine, Param::Osc2Fine, Param::Osc1Vol, Param::Osc2Vol, Param::Osc1Pan,
    Param::Osc2Pan,  Param::Osc1Det,  Param::Osc2Det,  Param::Osc1PW,   Param::Osc2PW,  Param::Osc1Sub, Param::Osc2Sub,
    Param::FltCut,   Param::FltRes,   Param::FltKey,   Param::Flt2Cut,  Param::Flt2Res, Param::Flt2Key, Param::Env1Sus,
    Param::Env2Sus,  Param::Env3Sus,  Param::Env4Sus,  Param::Lfo1Ofs,  Param::Lfo2Ofs, Param::Lfo3Ofs, Param::Lfo4Ofs,
};
constexpr int kNumNoteOffsets = int(std::size(kNoteOffsetParams));

namespace detail {
constexpr std::array<int8_t, kNumParams> noteOffsetSlots()
{
    std::array<int8_t, kNumParams> slots{};
    for (int8_t& s : slots)
        s = -1;
    for (int i = 0; i < kNumNoteOffsets; ++i)
        slots[size_t(kNoteOffsetParams[i])] = int8_t(i);
    return slots;
}
constexpr std::array<int8_t, kNumParams> kNoteOffsetSlot = noteOffsetSlots();
} // namespace detail

// A parameter's place among the offsets, or -1 when a note cannot offset it.
constexpr int noteOffsetSlot(int paramIndex)
{
    return paramIndex >= 0 && paramIndex < kNumParams ? detail::kNoteOffsetSlot[size_t(paramIndex)] : -1;
}

constexpr bool acceptsNoteOffset(int paramIndex)
{
    return noteOffsetSlot(paramIndex) >= 0;
}

struct NoteOffsets {
    float amount[kNumNoteOffsets] = {};
    float tuning = 0.0f; // semitones
    float gain = 1.0f;
    float pan = 0.5f;
    // Something differs from the program's values; when not, the voice plays exactly as before.
    bool active = false;

    float of(int paramIndex) const
    {
        const int slot = noteOffsetSlot(paramIndex);
        return slot < 0 ? 0.0f : amount[slot];
    }

    // A finite amount replaces the parameter's offset; others are ignored.
    void set(int paramIndex, float value)
    {
        const int slot = noteOffsetSlot(paramIndex);
        if (slot < 0 || !std::isfinite(value))
            return;
        amount[slot] = value;
        refresh();
    }

    // A finite value replaces the expression, held to its range. Pressure is the key's, not the
    // voice's, and is not kept here.
    void setExpression(NoteExpression kind, float value)
    {
        if (!std::isfinite(value))
            return;
        switch (kind) {
        case NoteExpression::Tuning:
            tuning = clamp(value, -120.0f, 120.0f);
            break;
        case NoteExpression::Volume:
            gain = clamp(value, 0.0f, 4.0f);
            break;
        case NoteExpression::Pan:
            pan = clamp(value, 0.0f, 1.0f);
            break;
        default:
            return;
        }
        refresh();
    }

    static constexpr float clamp(float x, float low, float high) { return x < low ? low : (x > high ? high : x); }

private:
    void refresh()
    {
        active = tuning != 0.0f || gain != 1.0f || pan != 0.5f;
        for (float a : amount)
            active = active || a != 0.0f;
    }
};
