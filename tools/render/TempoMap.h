// Converts between MIDI ticks, sample frames and quarter notes through a song's tempo map, and
// answers the musical position (tempo, bar, time signature) at any frame for the host's time info.
#pragma once

#include "MidiFile.h"

#include <cstdint>
#include <vector>

class TempoMap {
public:
    // defaultBpm applies until the song's first tempo change (the whole song when it has none).
    TempoMap(const MidiSong& song, double sampleRate, double defaultBpm);

    double frameOfTick(uint64_t tick) const;
    // The frame an event at this tick is played at (nearest whole frame).
    int64_t frameIndexOfTick(uint64_t tick) const;
    double ppqAtFrame(double frame) const;
    double tempoAtFrame(double frame) const;
    TimeSignature signatureAtPpq(double ppq) const;
    double barStartPpq(double ppq) const;

private:
    struct Segment {
        uint64_t tick;
        double frame;
        double framesPerTick;
        double bpm;
    };
    const Segment& segmentAtTick(uint64_t tick) const;
    const Segment& segmentAtFrame(double frame) const;

    std::vector<Segment> segments;
    struct SignatureAt {
        double ppq;
        TimeSignature sig;
    };
    std::vector<SignatureAt> signatures;
    double ticksPerQuarter;
};
