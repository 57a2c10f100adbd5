// How keys play: the pitch of every key under the chosen tuning and the MPE choice of the
// settings. The editor's menus write it, the engine reads it on the audio thread: every field is
// atomic, and a note reads its key's pitch once, when it starts.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

constexpr int kNumKeys = 128;

enum class MpeMode : uint32_t {
    Off = 0,
    LowerZone = 1, // channel 1 manages, 2 to 16 play notes
    UpperZone = 2, // channel 16 manages, 1 to 15 play notes
};

struct PlayingSetup {
    PlayingSetup() { setStandardTuning(); }
    PlayingSetup(const PlayingSetup&) = delete;
    PlayingSetup& operator=(const PlayingSetup&) = delete;

    // Each key's pitch as a note number: 69 sounds A4 at the master tuning, one more is an
    // equal-tempered semitone higher. Not a number: the key is unmapped and stays silent.
    std::atomic<float> keyPitch[kNumKeys];
    // The MPE choice in its two lowest bits, above them how many choices were made: the engine
    // applies a choice when this moves, so choosing again overrides what a controller's own
    // configuration message set meanwhile.
    std::atomic<uint32_t> mpeRequest{0};

    void setStandardTuning()
    {
        for (int key = 0; key < kNumKeys; ++key)
            keyPitch[key].store(float(key), std::memory_order_relaxed);
    }
    void setKeyPitches(const float (&pitches)[kNumKeys])
    {
        for (int key = 0; key < kNumKeys; ++key)
            keyPitch[key].store(pitches[key], std::memory_order_relaxed);
    }
    // The key's pitch, or not a number for an unmapped key or a number that names no key.
    float pitchOf(int key) const
    {
        return key >= 0 && key < kNumKeys ? keyPitch[key].load(std::memory_order_relaxed) : NAN;
    }

    void requestMpe(MpeMode mode)
    {
        const uint32_t count = (mpeRequest.load(std::memory_order_relaxed) >> 2) + 1;
        mpeRequest.store(count << 2 | uint32_t(mode), std::memory_order_relaxed);
    }
    MpeMode mpeMode() const { return mpeModeOf(mpeRequest.load(std::memory_order_relaxed)); }
    static MpeMode mpeModeOf(uint32_t request)
    {
        const uint32_t mode = request & 3u;
        return mode <= uint32_t(MpeMode::UpperZone) ? MpeMode(mode) : MpeMode::Off;
    }
};
