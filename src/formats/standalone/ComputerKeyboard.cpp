#include "ComputerKeyboard.h"

#include <algorithm>
#include <cstring>

namespace {

// Toolkit virtual keys and modifier bits (VstKeyCode's).
constexpr int kKeyEnd = 9;
constexpr int kKeyHome = 10;
constexpr int kKeyPageUp = 15;
constexpr int kKeyPageDown = 16;
constexpr unsigned kControlOrAlt = (1u << 4) | (1u << 5);

constexpr const char* kLowerRow = "zsxdcvgbhnjm,l.;/";
constexpr const char* kUpperRow = "q2w3er5t6y7ui9o0p[=]";

// The unshifted key of a shifted character (US layout), so that a key let go with Shift held
// finds the note it started.
int unshifted(int character)
{
    static constexpr const char* kShifted = "<>:?@#%^&(){}+";
    static constexpr const char* kPlain = ",.;/235679[0]=";
    if (character >= 'A' && character <= 'Z')
        return character - 'A' + 'a';
    if (character > 0 && character < 128)
        if (const char* at = std::strchr(kShifted, character))
            return kPlain[at - kShifted];
    return character;
}

} // namespace

int ComputerKeyboard::noteOf(int character) const
{
    if (character <= 0 || character >= 128)
        return -1;
    if (const char* at = std::strchr(kLowerRow, character))
        return octaveBase + int(at - kLowerRow);
    if (const char* at = std::strchr(kUpperRow, character))
        return octaveBase + 12 + int(at - kUpperRow);
    return -1;
}

bool ComputerKeyboard::key(int character, int virtualKey, unsigned modifiers, bool pressed, RingMessage& note)
{
    note = {};
    const int c = unshifted(character);
    if (!pressed) {
        if (c <= 0 || c >= 128 || held[size_t(c)] < 0)
            return noteOf(c) >= 0;
        note = {0x80, uint8_t(held[size_t(c)]), 0};
        held[size_t(c)] = -1;
        return true;
    }
    // Shortcuts with Control or Alt belong to the editor and the desktop.
    if (modifiers & kControlOrAlt)
        return false;
    switch (virtualKey) {
    case kKeyPageDown:
        octaveBase = std::max(0, octaveBase - 12);
        return true;
    case kKeyPageUp:
        octaveBase = std::min(kHighestBase, octaveBase + 12);
        return true;
    case kKeyEnd:
        velocityStep = std::max(0, velocityStep - 1);
        return true;
    case kKeyHome:
        velocityStep = std::min(int(kVelocities.size()) - 1, velocityStep + 1);
        return true;
    default:
        break;
    }
    const int played = noteOf(c);
    if (played < 0)
        return false;
    // A key still held (the server's repeat) keeps its note sounding.
    if (held[size_t(c)] < 0) {
        held[size_t(c)] = int16_t(played);
        note = {0x90, uint8_t(played), uint8_t(velocity())};
    }
    return true;
}
