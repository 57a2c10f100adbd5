// The program's instrument without a device: the computer keyboard, the session kept between
// runs, MIDI from other threads, and a change of sample rate.
#include "formats/standalone/StandaloneInstrument.h"
#include "presets/ProgramFiles.h"
#include "support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kControl = 1u << 4;

// The pitch of a plain tone from the stretch that starts at from.
double crossingsPerSecond(const std::vector<float>& x, size_t from, float rate)
{
    return measure::zeroCrossingHz(std::vector<float>(x.begin() + std::ptrdiff_t(from), x.end()), rate);
}

std::vector<float> renderFrames(StandaloneInstrument& instrument, int frames, int block = 256)
{
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    for (int done = 0; done < frames; done += block)
        instrument.render(left.data() + done, right.data() + done, std::min(block, frames - done));
    return left;
}

} // namespace

TEST(ComputerKeyboard, RowsPlayTwoOctavesAndKeysEndTheNotesTheyStarted)
{
    ComputerKeyboard keys;
    const struct {
        char key;
        int note;
    } table[] = {{'z', 48}, {'s', 49}, {'m', 59}, {',', 60}, {'/', 64}, {'q', 60},
                 {'2', 61}, {'u', 71}, {'i', 72}, {'p', 76}, {']', 79}, {'Z', 48}};
    for (const auto& row : table) {
        RingMessage on, off;
        ASSERT_TRUE(keys.key(row.key, 0, 0, true, on)) << row.key;
        EXPECT_EQ(on.status, 0x90) << row.key;
        EXPECT_EQ(on.data1, row.note) << row.key;
        EXPECT_EQ(on.data2, 100) << row.key;
        ASSERT_TRUE(keys.key(row.key, 0, 0, false, off));
        EXPECT_EQ(off.status, 0x80) << row.key;
        EXPECT_EQ(off.data1, row.note) << row.key;
    }
    RingMessage note;
    EXPECT_FALSE(keys.key('a', 0, 0, true, note)) << "not a note key";
    EXPECT_FALSE(keys.key('z', 0, kControl, true, note)) << "Ctrl+Z is the editor's undo";
    EXPECT_EQ(note.status, 0);

    // A held key repeats without restarting; it ends its own note after an octave change, also
    // when let go with Shift held.
    keys.key(',', 0, 0, true, note);
    keys.key(',', 0, 0, true, note);
    EXPECT_EQ(note.status, 0) << "the server's key repeat";
    keys.key(0, 15, 0, true, note); // Page Up
    EXPECT_EQ(keys.base(), 60);
    keys.key('<', 0, 0, false, note);
    EXPECT_EQ(note.status, 0x80);
    EXPECT_EQ(note.data1, 60);
}

TEST(ComputerKeyboard, OctaveAndVelocityKeysStopAtTheirEnds)
{
    ComputerKeyboard keys;
    RingMessage note;
    for (int i = 0; i < 12; ++i)
        keys.key(0, 15, 0, true, note);
    EXPECT_EQ(keys.base(), ComputerKeyboard::kHighestBase);
    keys.key(']', 0, 0, true, note);
    EXPECT_EQ(note.data1, 127) << "the highest key is the highest note";
    for (int i = 0; i < 12; ++i)
        keys.key(0, 16, 0, true, note);
    EXPECT_EQ(keys.base(), 0);
    for (int i = 0; i < 12; ++i)
        keys.key(0, 10, 0, true, note); // Home
    EXPECT_EQ(keys.velocity(), 127);
    for (int i = 0; i < 12; ++i)
        keys.key(0, 9, 0, true, note); // End
    EXPECT_EQ(keys.velocity(), 20);
    keys.key('w', 0, 0, true, note);
    EXPECT_EQ(note.data2, 20);
    std::vector<int> released;
    keys.releaseAll([&](const RingMessage& off) { released.push_back(off.data1); });
    EXPECT_EQ(released, (std::vector<int>{127, 14})) << "the keys still held: ] and w";
}

TEST(StandaloneInstrument, KeysAndMidiFromOtherThreadsSoundAndFocusLossEndsThem)
{
    StandaloneInstrument instrument;
    std::string error;
    ASSERT_TRUE(instrument.startSession({}, error));
    instrument.prepare(48000.0f, 256);
    EXPECT_TRUE(instrument.editorKey('q', 0, 0, true));
    EXPECT_GT(measure::peak(renderFrames(instrument, 4800)), 0.01f) << "a key of the top row plays";
    instrument.keyboardFocusLost();
    renderFrames(instrument, 96000);
    EXPECT_LT(measure::peak(renderFrames(instrument, 4800)), 1e-4f) << "the note ended with the focus";

    std::thread midiThread([&] {
        const uint8_t on[] = {0x90, 69, 100};
        instrument.postMidi(on, 3);
        const uint8_t clock[] = {0xF8};
        instrument.postMidi(clock, 1);
    });
    midiThread.join();
    EXPECT_GT(measure::peak(renderFrames(instrument, 4800)), 0.01f) << "a note from the MIDI input thread";
}

TEST(StandaloneInstrument, ARateChangePlaysTheNextNoteInTune)
{
    StandaloneInstrument instrument;
    std::string error;
    ASSERT_TRUE(instrument.startSession({}, error));
    for (const float rate : {44100.0f, 96000.0f, 48000.0f}) {
        instrument.prepare(rate, 512);
        const uint8_t on[] = {0x90, 69, 100}, off[] = {0x80, 69, 0};
        instrument.queueMidi(0, on, 3);
        const std::vector<float> note = renderFrames(instrument, int(rate / 2), 512);
        instrument.queueMidi(0, off, 3);
        renderFrames(instrument, int(rate * 2));
        EXPECT_NEAR(crossingsPerSecond(note, size_t(rate / 10), rate), 440.0, 4.4) << "at " << rate << " Hz";
    }
}

TEST(StandaloneInstrument, TheSessionKeepsBankAndProgramAndABadBankFileChangesNothing)
{
    std::string error;
    {
        StandaloneInstrument first;
        ASSERT_TRUE(first.startSession({}, error));
        ProgramRecord& seven = first.instrument().programStore().record(7);
        std::snprintf(seven.name, sizeof seven.name, "Kept Pad");
        seven.set(Param::FltCut, 0.25f);
        first.instrument().selectProgram(7);
        ASSERT_TRUE(first.saveSession(error)) << error;
    }
    StandaloneInstrument next;
    ASSERT_TRUE(next.startSession({}, error));
    EXPECT_EQ(next.instrument().currentProgram(), 7);
    EXPECT_STREQ(next.instrument().programStore().current().name, "Kept Pad");
    EXPECT_FLOAT_EQ(next.instrument().parameter(Param::FltCut), 0.25f);

    const auto notABank = next.sessionBankFile().parent_path() / "not-a-bank.hfb";
    std::ofstream(notABank) << "Morvelline Preset\r\n";
    StandaloneInstrument other;
    EXPECT_FALSE(other.startSession(notABank, error));
    EXPECT_EQ(error, "cannot load the bank " + notABank.string() + ": it is not a Morvelline bank");
    EXPECT_FALSE(other.startSession(notABank.parent_path() / "missing.hfb", error));
    EXPECT_NE(error.find("it cannot be read"), std::string::npos);

    // --bank starts on another bank, at its first program.
    ASSERT_TRUE(other.startSession(next.sessionBankFile(), error));
    EXPECT_EQ(other.instrument().currentProgram(), 0);
    EXPECT_STREQ(other.instrument().programStore().record(7).name, "Kept Pad");
}
