// Which of the host's notes each voice plays, so that every note the host started is ended for
// it (NOTE_END with its id, key and channel) when its voice falls silent or is taken by another
// note, and so that per-note events find the note an id names.
#pragma once

#include "clapabi.h"
#include "engine/VoiceManager.h"

#include <array>

class ClapVoiceTracker {
public:
    void clear();
    // A NOTE_ON of the block being read, waiting for the voice it starts.
    void noteStarted(int32_t id, int channel, int key);
    // The channel and key the id names: a voice's note, or a note of this block; false for an
    // id of no note playing.
    bool find(int32_t id, int& channel, int& key) const;
    // After the block: voices that started notes take their ids, and the notes that ended, were
    // replaced or never got a voice are ended for the host at frame time.
    void endBlock(const VoiceManager& engine, const clap_output_events_t* out, uint32_t time);

private:
    struct Note {
        int32_t id = -1;
        int16_t channel = 0;
        int16_t key = 0;
        bool live = false; // a voice plays it, or (pending) no voice has taken it yet
    };
    Note claim(int channel, int key);
    static void end(const Note& note, const clap_output_events_t* out, uint32_t time);

    std::array<Note, kNumVoices> voiceNotes{};
    std::array<uint32_t, kNumVoices> seenStarts{};
    // More note-ons than any block of a real host holds; beyond it notes are not tracked.
    std::array<Note, 256> pending{};
    size_t pendingCount = 0;
};
