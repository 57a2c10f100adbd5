// Expressive playing measured on the rendered sound: MPE member channels with their own bend,
// pressure and slide, the manager channel over all of them, polyphonic key pressure, and keys
// that take their pitch (or silence) from a tuning.
#include "EngineTestSupport.h"
#include "support/SignalMeasure.h"

#include "params/CodeTables.h"

#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

constexpr double kExpressionRate = 44100.0;

class ExpressionTest : public EngineTest {
protected:
    ExpressionTest()
    {
        engine.bindPlaying(playing);
        set(Param::Osc1Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sine)));
        set(Param::Osc2Wave, 0.0f);
        set(Param::FltType, 0.0f);
        set(Param::Flt2Type, 0.0f);
        set(Param::Osc1Vol, 1.0f);
        set(Param::Env1Vel, 0.0f);
    }

    // A matrix slot feeding oscillator 1's volume, which then sounds only as far as the source.
    void volumeFrom(ModSource source)
    {
        set(Param::Osc1Vol, 0.0f);
        set(Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(source)));
        set(Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Osc1Vol)));
        set(Param::modAmount(1), 1.0f);
    }

    // MIDI bytes at the first frame of a block, then the left channel of frames more.
    std::vector<float> play(std::initializer_list<MidiInputEvent> events, int frames = 8192)
    {
        for (MidiInputEvent event : events)
            engine.queueEvent(event);
        std::vector<float> left = std::vector<float>(size_t(frames)), right = left;
        for (int done = 0; done < frames; done += 512) {
            engine.renderBlock(left.data() + done, right.data() + done, std::min(512, frames - done));
            engine.clearEventQueue();
        }
        return left;
    }
    static MidiInputEvent midi(int status, int data1, int data2)
    {
        return {0, uint8_t(status), uint8_t(data1), uint8_t(data2)};
    }
    // A bend of semitones on a channel whose full bend reaches range semitones.
    static MidiInputEvent bend(int channel, double semitones, double range)
    {
        const int raw = 8192 + int(std::lround(semitones / range * 8192.0));
        return midi(0xE0 | channel, raw & 0x7F, raw >> 7);
    }
    // How loud the sound is at a frequency.
    static double levelAt(const std::vector<float>& x, double hz)
    {
        return measure::magnitudeAt(x, hz / kExpressionRate);
    }

    PlayingSetup playing;
};

void expectPitches(const std::vector<float>& sound, std::vector<double> notes)
{
    const std::vector<double> peaks = measure::spectralPeaks(sound, kExpressionRate, notes.size());
    ASSERT_EQ(peaks.size(), notes.size());
    for (size_t i = 0; i < notes.size(); ++i)
        EXPECT_NEAR(peaks[i], measure::noteHz(notes[i]), measure::noteHz(notes[i]) * 0.002) << "note " << notes[i];
}

} // namespace

TEST_F(ExpressionTest, MemberChannelsBendTheirOwnNotesAndTheManagerBendsThemAll)
{
    playing.requestMpe(MpeMode::LowerZone);
    set(Param::PBRange, 2.0f / 12.0f);
    // The same key on two channels; bends first, then the notes, as MPE controllers send them.
    play({bend(1, 3.0, 48.0), bend(2, -1.5, 48.0), midi(0x91, 64, 100), midi(0x92, 64, 100)}, 2048);
    expectPitches(play({}), {62.5, 67.0});
    expectPitches(play({bend(0, 1.0, 2.0)}), {63.5, 68.0});
    // A member's bend range follows registered parameter 0, for every member of the zone.
    expectPitches(play({midi(0xB3, 101, 0), midi(0xB3, 100, 0), midi(0xB3, 6, 12), bend(0, 0.0, 2.0)}),
                  {63.625, 64.75});
    // A note-off on a member channel ends that channel's note only.
    play({midi(0x82, 64, 0)}, 44100);
    expectPitches(play({}), {64.75});
}

TEST_F(ExpressionTest, ConfigurationMessageSwitchesMpeOnAndOffWhateverTheSetting)
{
    const auto zone = [this](int channel, int members) {
        play({midi(0xB0 | channel, 101, 0), midi(0xB0 | channel, 100, 6), midi(0xB0 | channel, 6, members)}, 512);
    };
    set(Param::PBRange, 2.0f / 12.0f);
    // Outside MPE a bend on any channel bends every note.
    play({midi(0x91, 57, 100), midi(0x92, 69, 100), bend(1, 1.0, 2.0)}, 2048);
    expectPitches(play({}), {58.0, 70.0});
    zone(15, 3); // the upper zone: channels 12 to 14 (from 0) play, 15 manages
    EXPECT_EQ(engine.mpeUpperMembers, 3);
    engine.resetEngine();
    play({bend(12, 2.0, 48.0), bend(13, -2.0, 48.0), midi(0x9C, 57, 100), midi(0x9D, 69, 100)}, 2048);
    expectPitches(play({}), {59.0, 67.0});
    // A lower zone of 15 members leaves no room for the upper one; 0 members ends MPE.
    zone(0, 15);
    EXPECT_EQ(engine.mpeLowerMembers, 15);
    EXPECT_EQ(engine.mpeUpperMembers, 0);
    zone(0, 0);
    EXPECT_FALSE(engine.isMemberChannel(5));
    // Choosing in the settings overrides the controller, also when the choice is the same again.
    playing.requestMpe(MpeMode::Off);
    zone(0, 4);
    EXPECT_TRUE(engine.isMemberChannel(4));
    playing.requestMpe(MpeMode::Off);
    play({});
    EXPECT_FALSE(engine.isMemberChannel(4));
}

// Two notes on their own channels; the source of each case sounds only the first one's voice.
TEST_F(ExpressionTest, PressureAndSlideReachOnlyTheirOwnVoice)
{
    struct Case {
        const char* name;
        ModSource source;
        MpeMode mode;
        MidiInputEvent touch;
    };
    const Case cases[] = {
        {"channel pressure on a member channel", ModSource::PolyPressure, MpeMode::LowerZone, midi(0xD1, 127, 0)},
        {"key pressure on a member channel", ModSource::PolyPressure, MpeMode::LowerZone, midi(0xA1, 57, 127)},
        {"key pressure outside MPE", ModSource::PolyPressure, MpeMode::Off, midi(0xA1, 57, 127)},
        {"controller 74 on a member channel", ModSource::Slide, MpeMode::LowerZone, midi(0xB1, 74, 127)},
        {"controller 74 outside MPE", ModSource::Slide, MpeMode::Off, midi(0xB1, 74, 127)},
    };
    midiMap.ccMap[74].store(Param::FltCut);
    for (const Case& c : cases) {
        engine.resetEngine();
        writer.writes.clear();
        playing.requestMpe(c.mode);
        volumeFrom(c.source);
        play({midi(0x91, 57, 100), midi(0x92, 69, 100)}, 2048);
        const std::vector<float> before = play({});
        EXPECT_LT(levelAt(before, 220.0) + levelAt(before, 440.0), 1e-3) << c.name;
        const std::vector<float> after = play({c.touch});
        EXPECT_GT(levelAt(after, 220.0), 100.0) << c.name;
        EXPECT_LT(levelAt(after, 440.0), levelAt(after, 220.0) * 0.02) << c.name;
        // Controller 74 moves a learned knob as before, except as a member channel's slide.
        const bool knobMoves = c.source == ModSource::Slide && c.mode == MpeMode::Off;
        EXPECT_EQ(!writer.writes.empty(), knobMoves) << c.name;
    }
}

TEST_F(ExpressionTest, KeysPlayTheTuningsPitchesAndUnmappedKeysStaySilent)
{
    float pitches[kNumKeys];
    for (int key = 0; key < kNumKeys; ++key)
        pitches[key] = 69.0f + float(key - 69) * 0.5f; // quarter tones
    pitches[62] = NAN;
    playing.setKeyPitches(pitches);
    expectPitches(play({midi(0x90, 71, 100)}), {70.0});
    play({midi(0x90, 62, 100)});
    EXPECT_EQ(engine.heldNotes().size(), 1u);
    // Mono glides between tuned pitches and returns to the held key's.
    set(Param::Poly, 0.0f);
    set(Param::GldAmt, 0.01f);
    engine.resetEngine();
    play({midi(0x90, 73, 100), midi(0x90, 65, 100)}, 22050);
    expectPitches(play({}), {67.0});
    play({midi(0x80, 65, 0)}, 22050);
    expectPitches(play({}), {71.0});
}
