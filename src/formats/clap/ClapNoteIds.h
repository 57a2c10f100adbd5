// The host's note ids of the notes playing: which key and channel an id names (for per-note
// modulation and expressions), and which id a key and channel were started with (for the note
// ends the host is told of).
#pragma once

#include <array>
#include <cstdint>

class ClapNoteIds {
public:
    ClapNoteIds() { clear(); }

    void clear()
    {
        idOfKey.fill(-1);
        for (Entry& entry : recent)
            entry = {};
    }

    void remember(int32_t id, int channel, int key)
    {
        idOfKey[slot(channel, key)] = id;
        if (id < 0)
            return;
        recent[next] = {id, int16_t(channel), int16_t(key)};
        next = (next + 1) % recent.size();
    }

    // -1 when the note was started without an id.
    int32_t idOf(int channel, int key) const { return idOfKey[slot(channel, key)]; }

    // False when no playing note was started with this id.
    bool find(int32_t id, int& channel, int& key) const
    {
        for (const Entry& entry : recent)
            if (entry.id == id && id >= 0 && idOfKey[slot(entry.channel, entry.key)] == id) {
                channel = entry.channel;
                key = entry.key;
                return true;
            }
        return false;
    }

private:
    struct Entry {
        int32_t id = -1;
        int16_t channel = 0;
        int16_t key = 0;
    };
    static size_t slot(int channel, int key) { return size_t((channel & 15) * 128 + (key & 127)); }

    std::array<int32_t, 16 * 128> idOfKey{};
    // Twice the voices: every note that can still sound is here.
    std::array<Entry, 64> recent{};
    size_t next = 0;
};
