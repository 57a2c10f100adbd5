// Ticks to frames through the tempo map, and events arriving in the right block at the right
// delta frame when a song is played through a host.
#include "FakeSynth.h"
#include "PluginHost.h"
#include "Renderer.h"
#include "TempoMap.h"

#include <gtest/gtest.h>

namespace {

MidiEvent noteOn(uint64_t tick, int pitch, int channel = 0)
{
    MidiEvent e;
    e.tick = tick;
    e.bytes[0] = uint8_t(0x90 | channel);
    e.bytes[1] = uint8_t(pitch);
    e.bytes[2] = 100;
    e.size = 3;
    return e;
}

// 480 ticks per quarter: 120 bpm up to tick 960 (one quarter = 22050 frames at 44.1 kHz),
// then 60 bpm (44100 frames per quarter), then 90 bpm from tick 1920.
MidiSong songWithTempoChanges()
{
    MidiSong song;
    song.ticksPerQuarter = 480;
    song.tempos = {{0, 500000}, {960, 1000000}, {1920, 666667}};
    song.signatures = {{0, 4, 4}};
    return song;
}

struct Render {
    RenderResult result;
    int64_t framesSeen = 0;
};

Render play(const MidiSong& song, int block, double rate = 44100, RenderSettings settings = {}, bool useDouble = false)
{
    TempoMap map(song, rate, 120);
    PluginHost host(fakeSynthMain);
    host.configure(rate, block, useDouble);
    Render r;
    r.result = renderSong(host, song, map, settings, [&](const float* const*, int frames) { r.framesSeen += frames; });
    return r;
}

class HostedTiming : public ::testing::Test {
protected:
    void SetUp() override { fakeLog() = FakeLog{}; }
};

} // namespace

TEST(TempoMapTest, TicksBecomeFramesAcrossTempoChanges)
{
    TempoMap map(songWithTempoChanges(), 44100, 120);
    EXPECT_EQ(map.frameIndexOfTick(0), 0);
    EXPECT_EQ(map.frameIndexOfTick(480), 22050);
    EXPECT_EQ(map.frameIndexOfTick(960), 44100);
    EXPECT_EQ(map.frameIndexOfTick(1440), 88200);
    EXPECT_EQ(map.frameIndexOfTick(1920), 132300);
    EXPECT_EQ(map.frameIndexOfTick(2400), 132300 + 29400); // 90 bpm: 2/3 s per quarter
    EXPECT_DOUBLE_EQ(map.tempoAtFrame(0), 120);
    EXPECT_DOUBLE_EQ(map.tempoAtFrame(44099), 120);
    EXPECT_DOUBLE_EQ(map.tempoAtFrame(44100), 60);
    EXPECT_NEAR(map.tempoAtFrame(200000), 90, 1e-3);
    EXPECT_NEAR(map.ppqAtFrame(22050), 1.0, 1e-12);
    EXPECT_NEAR(map.ppqAtFrame(66150), 2.5, 1e-12);
    EXPECT_NEAR(map.ppqAtFrame(132300 + 29400), 5.0, 1e-6);
}

TEST(TempoMapTest, DefaultTempoHoldsUntilTheFirstChange)
{
    MidiSong song;
    song.ticksPerQuarter = 96;
    EXPECT_EQ(TempoMap(song, 48000, 120).frameIndexOfTick(96), 24000);
    EXPECT_EQ(TempoMap(song, 48000, 90).frameIndexOfTick(96), 32000);
    song.tempos = {{192, 250000}};
    TempoMap map(song, 48000, 60);
    EXPECT_EQ(map.frameIndexOfTick(192), 96000);
    EXPECT_EQ(map.frameIndexOfTick(288), 96000 + 12000);
}

TEST(TempoMapTest, TimeCodeFilesPlayInSeconds)
{
    MidiSong song;
    song.ticksPerSecond = 1000;
    song.ticksPerQuarter = 500;
    TempoMap map(song, 44100, 77);
    EXPECT_EQ(map.frameIndexOfTick(1000), 44100);
    EXPECT_DOUBLE_EQ(map.tempoAtFrame(0), 120);
}

TEST(TempoMapTest, BarsFollowTheTimeSignature)
{
    MidiSong song;
    song.ticksPerQuarter = 480;
    song.signatures = {{0, 3, 4}, {480 * 6, 6, 8}};
    TempoMap map(song, 44100, 120);
    EXPECT_DOUBLE_EQ(map.barStartPpq(0.5), 0);
    EXPECT_DOUBLE_EQ(map.barStartPpq(3.0), 3);
    EXPECT_DOUBLE_EQ(map.barStartPpq(5.9), 3);
    EXPECT_DOUBLE_EQ(map.barStartPpq(6.0), 6);
    EXPECT_DOUBLE_EQ(map.barStartPpq(9.2), 9); // 6/8 bars are three quarters long
    EXPECT_EQ(map.signatureAtPpq(2).numerator, 3);
    EXPECT_EQ(map.signatureAtPpq(7).denominator, 8);
}

TEST_F(HostedTiming, EventsArriveInTheirBlockAtTheirDeltaFrame)
{
    MidiSong song = songWithTempoChanges();
    const uint64_t ticks[] = {0, 1, 479, 480, 959, 960, 1000, 1440, 1920, 2400};
    for (size_t i = 0; i < std::size(ticks); ++i)
        song.events.push_back(noteOn(ticks[i], int(40 + i)));
    song.endTick = 2400;
    TempoMap map(song, 44100, 120);
    for (int block : {1, 64, 4096}) {
        SCOPED_TRACE("block size " + std::to_string(block));
        fakeLog() = FakeLog{};
        play(song, block, 44100, RenderSettings{0.0});
        const auto& got = fakeLog().events;
        ASSERT_EQ(got.size(), std::size(ticks));
        for (size_t i = 0; i < got.size(); ++i) {
            int64_t frame = map.frameIndexOfTick(ticks[i]);
            EXPECT_EQ(got[i].block, frame / block) << "tick " << ticks[i];
            EXPECT_EQ(got[i].delta, frame % block) << "tick " << ticks[i];
            EXPECT_EQ(got[i].bytes[1], 40 + i);
        }
        for (size_t b = 0; b + 1 < fakeLog().blockFrames.size(); ++b)
            ASSERT_EQ(fakeLog().blockFrames[b], block);
    }
}

TEST_F(HostedTiming, TimeInfoFollowsTheRenderPosition)
{
    MidiSong song = songWithTempoChanges();
    song.signatures = {{0, 3, 4}};
    song.endTick = 2400;
    play(song, 4410, 44100, RenderSettings{0.0});
    const auto& times = fakeLog().times;
    ASSERT_GE(times.size(), 37u);
    for (size_t b = 0; b < times.size(); ++b) {
        const VstTimeInfo& t = times[b];
        EXPECT_DOUBLE_EQ(t.samplePos, double(b) * 4410);
        EXPECT_DOUBLE_EQ(t.sampleRate, 44100);
        EXPECT_TRUE(t.flags & kVstTransportPlaying);
        EXPECT_TRUE(t.flags & kVstPpqPosValid);
        EXPECT_TRUE(t.flags & kVstTempoValid);
        EXPECT_TRUE(t.flags & kVstTimeSigValid);
        EXPECT_TRUE(t.flags & kVstBarsValid);
        EXPECT_EQ(bool(t.flags & kVstTransportChanged), b == 0);
        EXPECT_EQ(t.timeSigNumerator, 3);
        EXPECT_EQ(t.timeSigDenominator, 4);
    }
    EXPECT_DOUBLE_EQ(times[5].ppqPos, 1.0); // 22050 frames at 120 bpm
    EXPECT_DOUBLE_EQ(times[5].tempo, 120);
    EXPECT_DOUBLE_EQ(times[10].tempo, 60);    // from frame 44100
    EXPECT_NEAR(times[20].ppqPos, 3.0, 1e-9); // 88200 frames
    EXPECT_DOUBLE_EQ(times[20].barStartPos, 3.0);
    EXPECT_NEAR(times[19].barStartPos, 0.0, 1e-9);
    EXPECT_NEAR(times[36].tempo, 90, 1e-3);
}

TEST_F(HostedTiming, ProgramChangesAreSelectedBeforeTheirBlock)
{
    MidiSong song;
    song.ticksPerQuarter = 480;
    MidiEvent change;
    change.tick = 480; // frame 22050: block 43 of 512
    change.bytes[0] = 0xC5;
    change.bytes[1] = 3;
    change.size = 2;
    MidiEvent tooHigh = change; // beyond the plug-in's 8 programs: ignored
    tooHigh.tick = 960;
    tooHigh.bytes[1] = 100;
    song.events = {noteOn(0, 60), change, noteOn(480, 62), tooHigh};
    song.endTick = 960;
    play(song, 512, 44100, RenderSettings{0.0});
    ASSERT_EQ(fakeLog().programs.size(), 1u);
    EXPECT_EQ(fakeLog().programs[0], std::make_pair(3, 22050 / 512));
    ASSERT_EQ(fakeLog().events.size(), 2u); // program changes are not sent as MIDI events
}

TEST_F(HostedTiming, TailStopsWhenTheSoundHasDied)
{
    MidiSong song;
    song.ticksPerQuarter = 480;
    MidiEvent off = noteOn(480, 60);
    off.bytes[0] = 0x80;
    song.events = {noteOn(0, 60), off};
    song.endTick = 480;
    fakeLog().sound = FakeLog::Sound::HeldNotes;
    fakeLog().decayPerSample = 0.999f; // -90 dB after about 10400 frames
    Render r = play(song, 256, 44100, RenderSettings{10.0});
    const int64_t release = 22051; // up to and including the note-off's frame
    EXPECT_GT(r.result.frames, release + 10000);
    EXPECT_LT(r.result.frames, release + 10400 + 8820 + 256 + 1);
    EXPECT_EQ(r.framesSeen, r.result.frames);
    EXPECT_FLOAT_EQ(r.result.peak, 0.5f);

    fakeLog() = FakeLog{};
    fakeLog().sound = FakeLog::Sound::Constant; // never dies: the tail limit ends it
    Render endless = play(song, 256, 44100, RenderSettings{1.5});
    EXPECT_EQ(endless.result.frames, release + 66150);

    fakeLog() = FakeLog{};
    Render silent = play(song, 100, 44100, RenderSettings{5.0});
    EXPECT_EQ(silent.result.frames, 22100); // already quiet: ends with the block that holds the song's end

    fakeLog() = FakeLog{};
    Render noTail = play(song, 100, 44100, RenderSettings{0.0});
    EXPECT_EQ(noTail.result.frames, release); // no tail: exactly the song, the last block cut short
    EXPECT_EQ(fakeLog().blockFrames.back(), 51);
}
