#include "MidiFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// A bounds-checked reader: every read past the end is a truncated file.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size, const char* description) : p(data), end(data + size), what(description)
    {
    }

    bool atEnd() const { return p >= end; }
    size_t remaining() const { return size_t(end - p); }
    size_t offsetFrom(const uint8_t* base) const { return size_t(p - base); }

    uint8_t u8()
    {
        need(1);
        return *p++;
    }
    uint8_t peek()
    {
        need(1);
        return *p;
    }
    uint32_t u16()
    {
        need(2);
        uint32_t v = (uint32_t(p[0]) << 8) | p[1];
        p += 2;
        return v;
    }
    uint32_t u32()
    {
        need(4);
        uint32_t v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        p += 4;
        return v;
    }
    uint32_t varLen()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = u8();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        throw MidiFileError(std::string("variable-length number longer than 4 bytes in ") + what);
    }
    const uint8_t* take(size_t n)
    {
        need(n);
        const uint8_t* at = p;
        p += n;
        return at;
    }

private:
    void need(size_t n)
    {
        if (remaining() < n)
            throw MidiFileError(std::string("truncated ") + what);
    }
    const uint8_t* p;
    const uint8_t* end;
    const char* what;
};

int dataBytesOf(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

struct TrackEvent {
    MidiEvent event;
    size_t track;
    size_t order;
};

void readTrack(const uint8_t* data, size_t size, size_t trackIndex, MidiSong& song, std::vector<TrackEvent>& out)
{
    ByteReader r(data, size, "track");
    uint64_t tick = 0;
    uint8_t running = 0;
    size_t order = 0;
    while (!r.atEnd()) {
        tick += r.varLen();
        uint8_t status = r.peek();
        if (status & 0x80)
            r.u8();
        else if (running)
            status = running;
        else
            throw MidiFileError("data byte without a status byte in track");

        if (status == 0xFF) {
            running = 0;
            uint8_t type = r.u8();
            uint32_t length = r.varLen();
            const uint8_t* body = r.take(length);
            if (type == 0x2F) { // end of track: anything after it is ignored
                song.endTick = std::max(song.endTick, tick);
                return;
            }
            if (type == 0x51 && length >= 3) {
                uint32_t micros = (uint32_t(body[0]) << 16) | (uint32_t(body[1]) << 8) | body[2];
                if (micros > 0)
                    song.tempos.push_back({tick, micros});
            } else if (type == 0x58 && length >= 2 && body[0] > 0 && body[1] <= 6) {
                song.signatures.push_back({tick, body[0], 1 << body[1]});
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) { // system exclusive: skipped
            running = 0;
            r.take(r.varLen());
            continue;
        }
        if (status >= 0xF0)
            throw MidiFileError("unexpected system message in track");

        running = status;
        MidiEvent e;
        e.tick = tick;
        e.bytes[0] = status;
        int count = dataBytesOf(status);
        for (int i = 0; i < count; ++i) {
            uint8_t b = r.u8();
            if (b & 0x80)
                throw MidiFileError("status byte where a data byte belongs in track");
            e.bytes[1 + i] = b;
        }
        e.size = uint8_t(1 + count);
        out.push_back({e, trackIndex, order++});
        song.endTick = std::max(song.endTick, tick);
    }
    song.endTick = std::max(song.endTick, tick);
}

} // namespace

MidiSong parseMidiFile(const std::vector<uint8_t>& data)
{
    ByteReader file(data.data(), data.size(), "file header");
    if (data.size() < 4 || std::string(reinterpret_cast<const char*>(data.data()), 4) != "MThd")
        throw MidiFileError("not a Standard MIDI File (no MThd header)");
    file.take(4);
    uint32_t headerLength = file.u32();
    if (headerLength < 6)
        throw MidiFileError("header chunk too short");
    const uint8_t* header = file.take(headerLength);
    ByteReader h(header, headerLength, "file header");
    MidiSong song;
    song.format = int(h.u16());
    uint32_t trackCount = h.u16();
    uint32_t division = h.u16();
    if (song.format > 1)
        throw MidiFileError("MIDI file format " + std::to_string(song.format) + " is not supported (only 0 and 1)");
    if (trackCount == 0)
        throw MidiFileError("MIDI file has no tracks");
    if (division & 0x8000) {
        int framesPerSecond = -int8_t(division >> 8);
        int ticksPerFrame = int(division & 0xFF);
        if (framesPerSecond <= 0 || ticksPerFrame == 0)
            throw MidiFileError("invalid time-code division");
        // 29 stands for 29.97 drop-frame time code.
        song.ticksPerSecond = (framesPerSecond == 29 ? 29.97 : double(framesPerSecond)) * ticksPerFrame;
        song.ticksPerQuarter = song.ticksPerSecond / 2; // 120 beats per minute
    } else {
        if (division == 0)
            throw MidiFileError("division of 0 ticks per quarter note");
        song.ticksPerQuarter = division;
    }

    std::vector<TrackEvent> all;
    uint32_t tracksRead = 0;
    while (tracksRead < trackCount) {
        if (file.atEnd())
            throw MidiFileError("truncated file: " + std::to_string(tracksRead) + " of " + std::to_string(trackCount) +
                                " tracks present");
        const uint8_t* id = file.take(4);
        uint32_t length = file.u32();
        if (file.remaining() < length)
            throw MidiFileError("truncated track chunk");
        const uint8_t* body = file.take(length);
        if (std::string(reinterpret_cast<const char*>(id), 4) != "MTrk")
            continue; // unknown chunks are skipped, as readers must
        readTrack(body, length, tracksRead, song, all);
        ++tracksRead;
    }

    // Tracks merge in time order; at equal ticks the earlier track, then file order, comes first.
    std::stable_sort(all.begin(), all.end(), [](const TrackEvent& a, const TrackEvent& b) {
        if (a.event.tick != b.event.tick)
            return a.event.tick < b.event.tick;
        if (a.track != b.track)
            return a.track < b.track;
        return a.order < b.order;
    });
    song.events.reserve(all.size());
    for (const auto& e : all)
        song.events.push_back(e.event);
    std::stable_sort(song.tempos.begin(), song.tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    std::stable_sort(song.signatures.begin(), song.signatures.end(),
                     [](const TimeSignature& a, const TimeSignature& b) { return a.tick < b.tick; });
    if (song.ticksPerSecond > 0)
        song.tempos.clear(); // time-code files are timed in seconds, tempo events do not apply
    return song;
}

MidiSong readMidiFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw MidiFileError("cannot open MIDI file '" + path + "'");
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw MidiFileError("cannot read MIDI file '" + path + "'");
    try {
        return parseMidiFile(data);
    } catch (const MidiFileError& e) {
        throw MidiFileError("bad MIDI file '" + path + "': " + e.what());
    }
}
