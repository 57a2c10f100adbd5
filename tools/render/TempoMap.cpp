#include "TempoMap.h"

#include <algorithm>
#include <cmath>

TempoMap::TempoMap(const MidiSong& song, double sampleRate, double defaultBpm) : ticksPerQuarter(song.ticksPerQuarter)
{
    if (song.ticksPerSecond > 0) {
        segments.push_back({0, 0.0, sampleRate / song.ticksPerSecond, 120.0});
    } else {
        auto framesPerTickAt = [&](double bpm) { return sampleRate * 60.0 / (bpm * ticksPerQuarter); };
        segments.push_back({0, 0.0, framesPerTickAt(defaultBpm), defaultBpm});
        for (const TempoChange& t : song.tempos) {
            double bpm = 60e6 / t.microsPerQuarter;
            Segment& last = segments.back();
            if (t.tick == last.tick) { // a later change at the same tick wins
                last.bpm = bpm;
                last.framesPerTick = framesPerTickAt(bpm);
                continue;
            }
            double frame = last.frame + double(t.tick - last.tick) * last.framesPerTick;
            segments.push_back({t.tick, frame, framesPerTickAt(bpm), bpm});
        }
    }
    signatures.push_back({0.0, TimeSignature{}});
    for (const TimeSignature& s : song.signatures) {
        double ppq = double(s.tick) / ticksPerQuarter;
        if (ppq <= signatures.back().ppq)
            signatures.back() = {signatures.back().ppq, s};
        else
            signatures.push_back({ppq, s});
    }
}

const TempoMap::Segment& TempoMap::segmentAtTick(uint64_t tick) const
{
    auto it = std::upper_bound(segments.begin(), segments.end(), tick,
                               [](uint64_t t, const Segment& s) { return t < s.tick; });
    return *(it - 1);
}

const TempoMap::Segment& TempoMap::segmentAtFrame(double frame) const
{
    auto it = std::upper_bound(segments.begin(), segments.end(), frame,
                               [](double f, const Segment& s) { return f < s.frame; });
    return it == segments.begin() ? segments.front() : *(it - 1);
}

double TempoMap::frameOfTick(uint64_t tick) const
{
    const Segment& s = segmentAtTick(tick);
    return s.frame + double(tick - s.tick) * s.framesPerTick;
}

int64_t TempoMap::frameIndexOfTick(uint64_t tick) const
{
    return int64_t(std::llround(frameOfTick(tick)));
}

double TempoMap::ppqAtFrame(double frame) const
{
    const Segment& s = segmentAtFrame(frame);
    double ticks = double(s.tick) + (frame - s.frame) / s.framesPerTick;
    return ticks / ticksPerQuarter;
}

double TempoMap::tempoAtFrame(double frame) const
{
    return segmentAtFrame(frame).bpm;
}

TimeSignature TempoMap::signatureAtPpq(double ppq) const
{
    auto it = std::upper_bound(signatures.begin(), signatures.end(), ppq,
                               [](double p, const SignatureAt& s) { return p < s.ppq; });
    return (it == signatures.begin() ? signatures.front() : *(it - 1)).sig;
}

double TempoMap::barStartPpq(double ppq) const
{
    auto it = std::upper_bound(signatures.begin(), signatures.end(), ppq,
                               [](double p, const SignatureAt& s) { return p < s.ppq; });
    const SignatureAt& at = it == signatures.begin() ? signatures.front() : *(it - 1);
    double barLength = at.sig.numerator * 4.0 / at.sig.denominator;
    // A small allowance keeps a position that lands on a bar line by rounding in that bar.
    return at.ppq + std::floor((ppq - at.ppq) / barLength + 1e-9) * barLength;
}
