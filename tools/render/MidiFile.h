// Standard MIDI Files (format 0 and 1) read into one time-ordered list of channel events plus
// the tempo and time-signature maps.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct MidiEvent {
    uint64_t tick = 0;
    uint8_t bytes[3] = {0, 0, 0};
    uint8_t size = 0; // 2 or 3
};

struct TempoChange {
    uint64_t tick = 0;
    uint32_t microsPerQuarter = 500000;
};

struct TimeSignature {
    uint64_t tick = 0;
    int numerator = 4;
    int denominator = 4;
};

struct MidiSong {
    int format = 0;
    // Metrical files: ticks per quarter note. Time-code files: ticks per second instead, and the
    // song plays at a fixed 120 beats per minute.
    double ticksPerQuarter = 480;
    double ticksPerSecond = 0;
    std::vector<MidiEvent> events;   // channel events only, ordered by tick (stable)
    std::vector<TempoChange> tempos; // ordered by tick
    std::vector<TimeSignature> signatures;
    uint64_t endTick = 0; // the latest event or end-of-track marker
};

class MidiFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a whole file held in memory; throws MidiFileError with a short reason on anything
// malformed or truncated.
MidiSong parseMidiFile(const std::vector<uint8_t>& data);
MidiSong readMidiFile(const std::string& path);
