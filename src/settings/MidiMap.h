// The MIDI controller map and the MIDI-learn state. The editor and the map file write it, the
// engine reads it and, while learning, writes it on the audio thread: every field is atomic.
#pragma once

#include <atomic>

constexpr int kNumMappableControllers = 120;

struct MidiMap {
    MidiMap() { clear(); }
    MidiMap(const MidiMap&) = delete;
    MidiMap& operator=(const MidiMap&) = delete;

    // No controller mapped, no Mod CC source.
    void clear()
    {
        for (auto& entry : ccMap)
            entry.store(-1, std::memory_order_relaxed);
        for (auto& number : modCcNumber)
            number.store(-1, std::memory_order_relaxed);
    }

    // Controller number → parameter index, or -1.
    std::atomic<int> ccMap[kNumMappableControllers];
    // The controller numbers feeding Mod CC 1 and Mod CC 2, or -1.
    std::atomic<int> modCcNumber[2];
    std::atomic<bool> learnActive{false};
    std::atomic<int> learnParameter{0};
};
