// The computer keyboard as a two-octave music keyboard: the bottom letter row (Z S X D C V G B H
// N J M , L . ; /) plays from C of the base octave, the top row (Q 2 W 3 E R 5 T 6 Y 7 U I 9 O 0
// P [ = ]) an octave higher. Page Down and Page Up move the base an octave, End and Home step the
// velocity down and up.
#pragma once

#include "MidiRing.h"

#include <array>
#include <cstdint>

class ComputerKeyboard {
public:
    static constexpr int kFirstBase = 48; // Z plays MIDI note 48, Q note 60 (middle C)
    static constexpr int kHighestBase = 96; // the top row's last key stays within note 127
    static constexpr std::array<uint8_t, 7> kVelocities{20, 40, 64, 80, 100, 115, 127};

    // A key pressed or let go (character as typed, the toolkit's virtual key code and modifier
    // bits). True when the keyboard uses the key; a note message, when there is one, goes to note
    // (status 0 when none).
    bool key(int character, int virtualKey, unsigned modifiers, bool pressed, RingMessage& note);
    // The window lost the keyboard: every sounding key ends. Calls send with each note-off.
    template <typename Send>
    void releaseAll(Send send)
    {
        for (size_t c = 0; c < held.size(); ++c)
            if (held[c] >= 0) {
                send(RingMessage{0x80, uint8_t(held[c]), 0});
                held[c] = -1;
            }
    }

    int base() const { return octaveBase; }
    int velocity() const { return kVelocities[size_t(velocityStep)]; }

private:
    // The note a character plays at the current base, or -1.
    int noteOf(int character) const;

    int octaveBase = kFirstBase;
    int velocityStep = 4;
    // By character: the note its key started (played until that key is let go), or -1.
    std::array<int16_t, 128> held = [] {
        std::array<int16_t, 128> none{};
        none.fill(-1);
        return none;
    }();
};
