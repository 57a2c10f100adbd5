// The MIDI file reader on files written here byte by byte.
#include "MidiFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

void putVarLen(Bytes& out, uint32_t v)
{
    uint8_t parts[5];
    int n = 0;
    do {
        parts[n++] = uint8_t(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n > 1)
        out.push_back(uint8_t(parts[--n] | 0x80));
    out.push_back(parts[0]);
}

void put32(Bytes& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(v >> s));
}

// A track body: append (delta, raw bytes) pairs; endTrack() adds the end-of-track marker.
struct Track {
    Bytes body;
    Track& at(uint32_t delta, Bytes raw)
    {
        putVarLen(body, delta);
        body.insert(body.end(), raw.begin(), raw.end());
        return *this;
    }
    Track& tempo(uint32_t delta, uint32_t micros)
    {
        return at(delta, {0xFF, 0x51, 0x03, uint8_t(micros >> 16), uint8_t(micros >> 8), uint8_t(micros)});
    }
    Track& endTrack(uint32_t delta = 0) { return at(delta, {0xFF, 0x2F, 0x00}); }
};

Bytes smf(int format, uint16_t division, const std::vector<Track>& tracks)
{
    Bytes out = {'M', 'T', 'h', 'd'};
    put32(out, 6);
    out.insert(out.end(), {0, uint8_t(format), 0, uint8_t(tracks.size()), uint8_t(division >> 8), uint8_t(division)});
    for (const Track& t : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        put32(out, uint32_t(t.body.size()));
        out.insert(out.end(), t.body.begin(), t.body.end());
    }
    return out;
}

std::vector<uint8_t> statusesOf(const MidiSong& song)
{
    std::vector<uint8_t> s;
    for (const auto& e : song.events)
        s.push_back(e.bytes[0]);
    return s;
}

} // namespace

TEST(MidiFile, RunningStatusRepeatsTheLastChannelStatus)
{
    Track t;
    t.at(0, {0x90, 60, 100}).at(10, {62, 90}).at(10, {60, 0}).at(0, {0xC3, 5}).at(5, {7}).at(0, {0xE1, 0x00, 0x40});
    t.at(0, {0xD2, 33}).at(0, {0xA4, 60, 11}).at(0, {0xB0, 7, 100}).endTrack(20);
    MidiSong song = parseMidiFile(smf(0, 96, {t}));

    ASSERT_EQ(song.events.size(), 9u);
    EXPECT_EQ(song.events[1].tick, 10u);
    EXPECT_EQ(song.events[1].bytes[0], 0x90);
    EXPECT_EQ(song.events[1].bytes[1], 62);
    EXPECT_EQ(song.events[1].bytes[2], 90);
    EXPECT_EQ(song.events[2].bytes[2], 0);    // note on with velocity 0 passes through unchanged
    EXPECT_EQ(song.events[4].bytes[0], 0xC3); // program change: one data byte, also under running status
    EXPECT_EQ(song.events[4].bytes[1], 7);
    EXPECT_EQ(song.events[4].size, 2);
    EXPECT_EQ(song.events[4].tick, 25u);
    EXPECT_EQ(statusesOf(song), (std::vector<uint8_t>{0x90, 0x90, 0x90, 0xC3, 0xC3, 0xE1, 0xD2, 0xA4, 0xB0}));
    EXPECT_EQ(song.events[5].bytes[2], 0x40);
    EXPECT_EQ(song.endTick, 45u);
    EXPECT_DOUBLE_EQ(song.ticksPerQuarter, 96);
}

TEST(MidiFile, TempoAndTimeSignatureMetaEventsFormTheMaps)
{
    Track t;
    t.tempo(0, 500000).at(0, {0xFF, 0x58, 0x04, 3, 2, 24, 8}).at(0, {0x90, 60, 100});
    t.tempo(480, 250000).at(0, {0xFF, 0x58, 0x04, 6, 3, 24, 8}).at(0, {0x80, 60, 0});
    t.at(0, {0xFF, 0x03, 0x04, 'L', 'e', 'a', 'd'}).endTrack();
    MidiSong song = parseMidiFile(smf(0, 480, {t}));

    ASSERT_EQ(song.tempos.size(), 2u);
    EXPECT_EQ(song.tempos[1].tick, 480u);
    EXPECT_EQ(song.tempos[1].microsPerQuarter, 250000u);
    ASSERT_EQ(song.signatures.size(), 2u);
    EXPECT_EQ(song.signatures[0].numerator, 3);
    EXPECT_EQ(song.signatures[0].denominator, 4);
    EXPECT_EQ(song.signatures[1].numerator, 6);
    EXPECT_EQ(song.signatures[1].denominator, 8);
    EXPECT_EQ(song.events.size(), 2u); // meta events are not channel events
}

TEST(MidiFile, FormatOneTracksMergeInTimeOrder)
{
    Track conductor;
    conductor.tempo(0, 600000).endTrack(1000);
    Track a, b;
    a.at(0, {0x90, 60, 100}).at(480, {0x80, 60, 0}).at(480, {0x90, 64, 100}).endTrack();
    b.at(240, {0x91, 40, 100}).at(240, {0x81, 40, 0}).at(0, {0x91, 41, 100}).endTrack(600);
    MidiSong song = parseMidiFile(smf(1, 480, {conductor, a, b}));

    ASSERT_EQ(song.events.size(), 6u);
    std::vector<uint64_t> ticks;
    for (const auto& e : song.events)
        ticks.push_back(e.tick);
    EXPECT_EQ(ticks, (std::vector<uint64_t>{0, 240, 480, 480, 480, 960}));
    // At tick 480 the earlier track comes first, and inside a track the file order holds.
    EXPECT_EQ(song.events[2].bytes[0], 0x80);
    EXPECT_EQ(song.events[3].bytes[0], 0x81);
    EXPECT_EQ(song.events[4].bytes[0], 0x91);
    EXPECT_EQ(song.events[4].bytes[1], 41);
    EXPECT_EQ(song.endTick, 1080u); // the last end-of-track marker, not the last note
    EXPECT_EQ(song.tempos.size(), 1u);
}

TEST(MidiFile, SysExAndUnknownChunksAreSkipped)
{
    Track t;
    t.at(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7})
        .at(10, {0x90, 60, 100})
        .at(0, {0xF7, 0x01, 0x42})
        .at(5, {0x80, 60, 0})
        .endTrack();
    Bytes file = smf(0, 480, {});
    file[11] = 1; // one track, after a chunk nobody knows
    file.insert(file.end(), {'X', 'y', 'z', 'w', 0, 0, 0, 2, 0xAA, 0xBB});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    put32(file, uint32_t(t.body.size()));
    file.insert(file.end(), t.body.begin(), t.body.end());
    MidiSong song = parseMidiFile(file);
    ASSERT_EQ(song.events.size(), 2u);
    EXPECT_EQ(song.events[0].tick, 10u);
    EXPECT_EQ(song.events[1].tick, 15u);
}

TEST(MidiFile, TimeCodeDivisionTimesTicksInSeconds)
{
    Track t;
    t.tempo(0, 1000000).at(0, {0x90, 60, 100}).at(1000, {0x80, 60, 0}).endTrack();
    // 25 frames per second, 40 ticks per frame: 1000 ticks per second.
    MidiSong song = parseMidiFile(smf(0, uint16_t((uint8_t(-25) << 8) | 40), {t}));
    EXPECT_DOUBLE_EQ(song.ticksPerSecond, 1000);
    EXPECT_TRUE(song.tempos.empty());
}

TEST(MidiFile, MalformedFilesAreRejectedWithAReason)
{
    Track good;
    good.at(0, {0x90, 60, 100}).endTrack();
    auto rejects = [](const Bytes& file, const std::string& reason) {
        try {
            parseMidiFile(file);
            ADD_FAILURE() << "accepted a file that should fail with: " << reason;
        } catch (const MidiFileError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    };
    rejects({}, "not a Standard MIDI File");
    rejects({'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, "not a Standard MIDI File");
    rejects(smf(2, 96, {good}), "format 2");
    rejects(smf(0, 0, {good}), "division");
    rejects(smf(0, 96, {}), "no tracks");

    Bytes missingTrack = smf(1, 96, {good});
    missingTrack[11] = 2;
    rejects(missingTrack, "1 of 2 tracks");

    Track noStatus;
    noStatus.at(0, {60, 100}).endTrack();
    rejects(smf(0, 96, {noStatus}), "without a status");

    Track runningAfterMeta; // meta events end running status
    runningAfterMeta.at(0, {0x90, 60, 100}).at(0, {0xFF, 0x01, 0x01, 'x'}).at(0, {62, 100}).endTrack();
    rejects(smf(0, 96, {runningAfterMeta}), "without a status");

    Track longNumber;
    longNumber.at(0, {}).body = {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100};
    rejects(smf(0, 96, {longNumber}), "longer than 4 bytes");

    Track statusAsData;
    statusAsData.at(0, {0x90, 60, 0x90}).endTrack();
    rejects(smf(0, 96, {statusAsData}), "status byte where a data byte");

    Track hugeMeta;
    hugeMeta.at(0, {0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F});
    rejects(smf(0, 96, {hugeMeta}), "truncated track");
}

TEST(MidiFile, EveryTruncationOfAValidFileIsRejectedSafely)
{
    Track conductor;
    conductor.tempo(0, 500000).at(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}).endTrack();
    Track notes;
    for (int i = 0; i < 20; ++i)
        notes.at(30, {uint8_t(0x90 | (i % 3)), uint8_t(48 + i), 100}).at(30, {uint8_t(48 + i), 0});
    notes.at(0, {0xE0, 0, 64}).at(0, {0xF0, 0x02, 0x01, 0xF7}).endTrack();
    Bytes file = smf(1, 480, {conductor, notes});
    ASSERT_NO_THROW(parseMidiFile(file));
    for (size_t length = 0; length < file.size(); ++length) {
        Bytes cut(file.begin(), file.begin() + long(length));
        EXPECT_THROW(parseMidiFile(cut), MidiFileError) << "length " << length;
    }
}

TEST(MidiFile, RandomGarbageNeverCrashes)
{
    std::mt19937 random(1234);
    Track t;
    t.at(0, {0x90, 60, 100}).at(100, {0x80, 60, 0}).endTrack();
    const Bytes valid = smf(0, 96, {t});
    for (int round = 0; round < 3000; ++round) {
        Bytes file;
        if (round % 2 == 0) {
            file = valid; // a valid file with some bytes overwritten
            for (int k = 0; k < 1 + round % 5; ++k)
                file[random() % file.size()] = uint8_t(random());
        } else { // a valid header followed by noise
            file = smf(round % 3 == 0 ? 1 : 0, 96, {});
            file[11] = uint8_t(1 + round % 3);
            size_t length = random() % 64;
            for (size_t k = 0; k < length; ++k)
                file.push_back(uint8_t(random()));
        }
        try {
            MidiSong song = parseMidiFile(file);
            for (size_t i = 1; i < song.events.size(); ++i)
                ASSERT_LE(song.events[i - 1].tick, song.events[i].tick);
        } catch (const MidiFileError&) {
        }
    }
}

TEST(MidiFile, ReadsFromDiskAndNamesTheFileInErrors)
{
    EXPECT_THROW(readMidiFile("/nonexistent/folder/song.mid"), MidiFileError);

    Track t;
    t.at(0, {0x90, 60, 100}).at(96, {0x80, 60, 0}).endTrack();
    Bytes file = smf(0, 96, {t});
    std::string path = ::testing::TempDir() + "render-read-test.mid";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), long(file.size()));
    EXPECT_EQ(readMidiFile(path).events.size(), 2u);

    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), long(file.size() - 3));
    try {
        readMidiFile(path);
        ADD_FAILURE() << "a truncated file was accepted";
    } catch (const MidiFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    std::remove(path.c_str());
}
