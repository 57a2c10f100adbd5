#include "ClapVoiceTracker.h"

#include <algorithm>

void ClapVoiceTracker::clear()
{
    voiceNotes = {};
    pendingCount = 0;
}

void ClapVoiceTracker::noteStarted(int32_t id, int channel, int key)
{
    if (pendingCount < pending.size())
        pending[pendingCount++] = {id, int16_t(channel), int16_t(key), true};
}

bool ClapVoiceTracker::find(int32_t id, int& channel, int& key) const
{
    if (id < 0)
        return false;
    for (const Note& note : voiceNotes)
        if (note.live && note.id == id) {
            channel = note.channel;
            key = note.key;
            return true;
        }
    for (size_t i = 0; i < pendingCount; ++i)
        if (pending[i].id == id) {
            channel = pending[i].channel;
            key = pending[i].key;
            return true;
        }
    return false;
}

// The earliest note of the block on this key that no voice has taken yet; a voice started by a
// MIDI note-on, or restarted by the engine, plays a note without an id.
ClapVoiceTracker::Note ClapVoiceTracker::claim(int channel, int key)
{
    for (size_t i = 0; i < pendingCount; ++i)
        if (pending[i].live && pending[i].channel == channel && pending[i].key == key) {
            pending[i].live = false;
            return {pending[i].id, pending[i].channel, pending[i].key, true};
        }
    return {-1, int16_t(channel), int16_t(key), true};
}

void ClapVoiceTracker::end(const Note& note, const clap_output_events_t* out, uint32_t time)
{
    if (!out || !out->try_push)
        return;
    clap_event_note_t event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_END, 0};
    event.note_id = note.id;
    event.port_index = 0;
    event.channel = note.channel;
    event.key = note.key;
    out->try_push(out, &event.header);
}

void ClapVoiceTracker::endBlock(const VoiceManager& engine, const clap_output_events_t* out, uint32_t time)
{
    // Voices that started notes in this block, in the order they started them.
    std::array<int, kNumVoices> started{};
    int count = 0;
    for (int v = 0; v < kNumVoices; ++v)
        if (engine.voiceStart(v) != seenStarts[size_t(v)])
            started[size_t(count++)] = v;
    std::sort(started.begin(), started.begin() + count,
              [&](int a, int b) { return engine.voiceStart(a) < engine.voiceStart(b); });
    for (int i = 0; i < count; ++i) {
        const size_t v = size_t(started[size_t(i)]);
        if (voiceNotes[v].live)
            end(voiceNotes[v], out, time); // its note was taken over
        voiceNotes[v] = claim(engine.voiceChannel(int(v)), engine.voiceKey(int(v)));
        seenStarts[v] = engine.voiceStart(int(v));
    }
    for (int v = 0; v < kNumVoices; ++v)
        if (voiceNotes[size_t(v)].live && !engine.isSounding(v)) {
            end(voiceNotes[size_t(v)], out, time);
            voiceNotes[size_t(v)].live = false;
        }
    // Notes whose voice was taken again within the block, or that found none.
    for (size_t i = 0; i < pendingCount; ++i)
        if (pending[i].live)
            end(pending[i], out, time);
    pendingCount = 0;
}
