// Per-instance user settings and data-folder state, including the MIDI controller map and the
// MIDI-learn state. Values shared with the audio thread are atomic.
#pragma once

#include <atomic>

constexpr int kNumMappableControllers = 120;

struct UserSettings {
    UserSettings() { clearMidiMap(); }

    void clearMidiMap()
    {
        for (auto& entry : ccMap)
            entry.store(-1, std::memory_order_relaxed);
        for (auto& number : modCcNumber)
            number.store(-1, std::memory_order_relaxed);
    }

    // MIDI controller map: controller number → parameter index, or -1.
    std::atomic<int> ccMap[kNumMappableControllers];
    // The controller numbers feeding Mod CC 1 and Mod CC 2, or -1.
    std::atomic<int> modCcNumber[2];
    std::atomic<bool> learnActive{false};
    std::atomic<int> learnParameter{0};
    // Amplifier levels ignore the note velocity (modulation slots still see it).
    std::atomic<bool> ignoreAmpVelocity{false};
};
