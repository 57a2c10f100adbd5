// Per-note events from the host: modulation of one note's parameters and note expressions,
// addressed by note id or by key and channel, applied at their frame through the engine's queue.
#include "ClapPlugin.h"

#include "engine/NoteOffsets.h"

namespace {

bool toNoteExpression(clap_note_expression id, NoteExpression& kind)
{
    switch (id) {
    case CLAP_NOTE_EXPRESSION_TUNING:
        kind = NoteExpression::Tuning;
        return true;
    case CLAP_NOTE_EXPRESSION_VOLUME:
        kind = NoteExpression::Volume;
        return true;
    case CLAP_NOTE_EXPRESSION_PAN:
        kind = NoteExpression::Pan;
        return true;
    case CLAP_NOTE_EXPRESSION_PRESSURE:
        kind = NoteExpression::Pressure;
        return true;
    default:
        return false;
    }
}

} // namespace

bool ClapPlugin::noteAddressed(int32_t noteId, int16_t channel, int16_t key, int& toChannel, int& toKey) const
{
    if (noteId >= 0)
        return voiceNotes.find(noteId, toChannel, toKey);
    toChannel = channel >= 0 && channel < 16 ? channel : -1;
    toKey = key >= 0 && key < 128 ? key : -1;
    return channel < 16 && key < 128;
}

void ClapPlugin::modulateNewNote(uint32_t time, int channel, int key)
{
    for (int index = 0; index < kNumParams; ++index)
        if (modulation[size_t(index)] != 0.0f)
            core.engine().queueNoteOffset(int32_t(time), channel, key, index, modulation[size_t(index)]);
}

void ClapPlugin::readModulation(const clap_event_param_mod_t& event)
{
    if (event.param_id >= uint32_t(kNumParams) || !acceptsNoteOffset(int(event.param_id)) ||
        !std::isfinite(event.amount))
        return;
    const int index = int(event.param_id);
    const float amount = float(event.amount);
    const int32_t time = int32_t(event.header.time);
    // Modulation of all notes: the playing ones now, later ones from their start.
    if (event.note_id < 0 && event.key < 0 && event.channel < 0) {
        modulation[size_t(index)] = amount;
        core.engine().queueNoteOffset(time, -1, -1, index, amount);
        return;
    }
    int channel = -1;
    int key = -1;
    if (noteAddressed(event.note_id, event.channel, event.key, channel, key))
        core.engine().queueNoteOffset(time, channel, key, index, amount);
}

void ClapPlugin::readExpression(const clap_event_note_expression_t& event)
{
    NoteExpression kind;
    int channel = -1;
    int key = -1;
    if (!toNoteExpression(event.expression_id, kind) || !std::isfinite(event.value) ||
        !noteAddressed(event.note_id, event.channel, event.key, channel, key))
        return;
    core.engine().queueNoteExpression(int32_t(event.header.time), channel, key, kind, float(event.value));
}
