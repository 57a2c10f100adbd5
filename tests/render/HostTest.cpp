// The host's side of the binary interface, checked against the logging fake instrument.
#include "DemoSong.h"
#include "FakeSynth.h"
#include "PluginHost.h"
#include "Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class Host : public ::testing::Test {
protected:
    void SetUp() override { fakeLog() = FakeLog{}; }
};

// Positions of the first occurrence of each opcode in the log.
long firstIndexOf(VstInt32 opcode)
{
    const auto& ops = fakeLog().opcodes;
    auto it = std::find(ops.begin(), ops.end(), opcode);
    return it == ops.end() ? -1 : long(it - ops.begin());
}

long lastIndexOf(VstInt32 opcode)
{
    const auto& ops = fakeLog().opcodes;
    auto it = std::find(ops.rbegin(), ops.rend(), opcode);
    return it == ops.rend() ? -1 : long(ops.rend() - it - 1);
}

MidiSong oneNote()
{
    MidiSong song;
    song.ticksPerQuarter = 480;
    MidiEvent on;
    on.bytes[0] = 0x90;
    on.bytes[1] = 60;
    on.bytes[2] = 100;
    on.size = 3;
    MidiEvent off = on;
    off.tick = 480;
    off.bytes[0] = 0x80;
    song.events = {on, off};
    song.endTick = 480;
    return song;
}

} // namespace

TEST_F(Host, CallsThePlugInInTheOrderHostsUse)
{
    {
        PluginHost host(fakeSynthMain);
        host.configure(48000, 256, false);
        MidiSong song = oneNote();
        TempoMap map(song, 48000, 120);
        renderSong(host, song, map, RenderSettings{0.0}, [](const float* const*, int) {});
    }
    const long open = firstIndexOf(effOpen), rate = firstIndexOf(effSetSampleRate),
               block = firstIndexOf(effSetBlockSize);
    const long mainsOn = firstIndexOf(effMainsChanged), start = firstIndexOf(effStartProcess);
    const long events = firstIndexOf(effProcessEvents), stop = firstIndexOf(effStopProcess);
    const long mainsOff = lastIndexOf(effMainsChanged), close = firstIndexOf(effClose);
    EXPECT_EQ(open, 0);
    EXPECT_LT(open, rate);
    EXPECT_LT(rate, mainsOn);
    EXPECT_LT(block, mainsOn);
    EXPECT_LT(mainsOn, start);
    EXPECT_LT(start, events);
    EXPECT_LT(events, stop);
    EXPECT_LT(stop, mainsOff);
    EXPECT_LT(mainsOff, close);
    EXPECT_EQ(close, long(fakeLog().opcodes.size()) - 1);
    // The answers the entry point got before any effect existed.
    EXPECT_EQ(fakeLog().hostAnswersAtCreation[0], 2400);
    for (int level : fakeLog().processLevels)
        EXPECT_EQ(level, 2);
}

TEST_F(Host, AnswersTheCallbackQuestionsOfAPlugIn)
{
    PluginHost host(fakeSynthMain);
    host.configure(96000, 128, false);
    AEffect* e = host.effect();
    auto ask = [&](VstInt32 opcode, void* ptr = nullptr) {
        return e->dispatcher ? PluginHost::hostCallback(e, opcode, 0, 0, ptr, 0) : 0;
    };
    EXPECT_EQ(ask(audioMasterVersion), 2400);
    EXPECT_EQ(PluginHost::hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 2400);
    EXPECT_EQ(ask(audioMasterGetSampleRate), 96000);
    EXPECT_EQ(ask(audioMasterGetBlockSize), 128);
    EXPECT_EQ(ask(audioMasterGetCurrentProcessLevel), 1);
    char canDo[] = "sendVstTimeInfo";
    char cannot[] = "openFileSelector";
    EXPECT_EQ(ask(audioMasterCanDo, canDo), 1);
    EXPECT_EQ(ask(audioMasterCanDo, cannot), 0);
    char text[256] = {};
    EXPECT_EQ(ask(audioMasterGetProductString, text), 1);
    EXPECT_STREQ(text, "morvelline-render");
    auto* time = reinterpret_cast<VstTimeInfo*>(ask(audioMasterGetTime));
    ASSERT_NE(time, nullptr);
    EXPECT_DOUBLE_EQ(time->sampleRate, 96000);
    EXPECT_DOUBLE_EQ(time->tempo, 120);
    for (VstInt32 harmless : std::initializer_list<VstInt32>{
             audioMasterAutomate, audioMasterBeginEdit, audioMasterEndEdit, audioMasterUpdateDisplay,
             audioMasterIOChanged, audioMasterSizeWindow, audioMasterIdle, 9999})
        EXPECT_EQ(ask(harmless), 0);
    EXPECT_EQ(ask(audioMasterWantMidi), 1);
}

TEST_F(Host, NamesEveryProgramOfAPluginWithoutIndexedNamesAndReturnsToTheCurrentOne)
{
    PluginHost host(fakeSynthMain);
    host.setProgram(3);
    std::vector<std::string> names = host.programNames();
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names.front(), "Fake 0");
    EXPECT_EQ(names.back(), "Fake 7");
    EXPECT_EQ(fakeLog().programs.back().first, 3);
}

TEST_F(Host, ReadsParametersThroughLargeZeroedBuffers)
{
    PluginHost host(fakeSynthMain);
    auto params = host.parameters();
    ASSERT_EQ(params.size(), 3u);
    EXPECT_EQ(params[1].name, "FltCut");
    EXPECT_EQ(params[1].display, std::string(200, 'd'));
    EXPECT_EQ(params[1].label, "dB");
    EXPECT_TRUE(fakeLog().stringBuffersWereZeroed);
    EXPECT_EQ(host.effectName(), "Fake Synth");

    EXPECT_EQ(host.findParameter("FltCut"), 1);
    EXPECT_EQ(host.findParameter("fltcut"), 1); // case is forgiven when the match is unique
    EXPECT_EQ(host.findParameter("FltCu"), -1);
    EXPECT_EQ(host.findParameter(""), -1);
    host.setParameter(2, 0.75f);
    EXPECT_EQ(fakeLog().lastParamIndex, 2);
    EXPECT_FLOAT_EQ(fakeLog().lastParamValue, 0.75f);
}

TEST_F(Host, DoublePrecisionOnlyWhenThePlugInOffersIt)
{
    {
        PluginHost host(fakeSynthMain);
        host.configure(44100, 64, true);
        fakeLog().sound = FakeLog::Sound::Constant;
        host.processBlock({}, 64);
        EXPECT_TRUE(fakeLog().usedDouble);
        EXPECT_FLOAT_EQ(host.output(1)[63], 0.25f);
    }
    fakeLog() = FakeLog{};
    fakeLog().canDouble = false;
    PluginHost host(fakeSynthMain);
    EXPECT_THROW(host.configure(44100, 64, true), HostError);
}

TEST_F(Host, RejectsAPlugInWithoutOutputsAndClosesIt)
{
    fakeLog().numOutputs = 0;
    EXPECT_THROW(PluginHost host(fakeSynthMain), HostError);
    EXPECT_EQ(fakeLog().opcodes, std::vector<VstInt32>{effClose});
}

TEST_F(Host, NonFiniteSamplesNeverReachTheFile)
{
    fakeLog().sound = FakeLog::Sound::NotANumber;
    PluginHost host(fakeSynthMain);
    host.configure(44100, 100, false);
    MidiSong song = oneNote();
    TempoMap map(song, 44100, 120);
    bool allFinite = true;
    RenderResult r = renderSong(host, song, map, RenderSettings{0.0}, [&](const float* const* data, int frames) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                allFinite = allFinite && std::isfinite(data[c][i]);
    });
    EXPECT_TRUE(allFinite);
    EXPECT_EQ(r.nonFinite, 2 * (r.frames / 2)); // every odd sample of both channels
    EXPECT_FLOAT_EQ(r.peak, 0.5f);
}

TEST_F(Host, OddBlockRequestsAreKeptInsideTheBuffers)
{
    PluginHost host(fakeSynthMain);
    host.configure(44100, 32, false);
    host.processBlock({}, 1000); // more than the block size: limited
    host.processBlock({}, -5);
    EXPECT_EQ(fakeLog().blockFrames, (std::vector<int>{32, 0}));
}

TEST(DemoSongTest, IsAFifteenSecondPieceInThreeParts)
{
    MidiSong song = makeDemoSong();
    TempoMap map(song, 44100, 120);
    double seconds = map.frameOfTick(song.endTick) / 44100;
    EXPECT_NEAR(seconds, 15.0, 1.0);

    int notesOn[16] = {};
    int held[16][128] = {};
    uint64_t lastTick = 0;
    for (const MidiEvent& e : song.events) {
        ASSERT_GE(e.tick, lastTick);
        lastTick = e.tick;
        ASSERT_LE(e.tick, song.endTick);
        int channel = e.bytes[0] & 15, kind = e.bytes[0] & 0xF0;
        ASSERT_LT(e.bytes[1], 128);
        ASSERT_LT(e.bytes[2], 128);
        if (kind == 0x90 && e.bytes[2] > 0) {
            ++notesOn[channel];
            ++held[channel][e.bytes[1]];
        } else if (kind == 0x80) {
            ASSERT_GT(held[channel][e.bytes[1]], 0) << "note off without a note on";
            --held[channel][e.bytes[1]];
        }
    }
    for (auto& channel : held)
        for (int count : channel)
            EXPECT_EQ(count, 0) << "a note is never released";
    EXPECT_GE(notesOn[0], 40); // chords
    EXPECT_GE(notesOn[1], 50); // bass
    EXPECT_GE(notesOn[2], 30); // melody
}
