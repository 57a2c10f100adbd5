// The whole engine step: block-size independence, repeatability and survival of hostile
// parameter values.
#include "EngineTestSupport.h"

#include "engine/MasterStage.h"
#include "params/CodeTables.h"

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// A busy patch: two saws with unison, sub, both filters, LFOs, matrix slots and the delay.
void makeBusyPatch(ProgramRecord& p)
{
    p.set(Param::Osc1Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sawtooth)));
    p.set(Param::Osc2Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Square)));
    p.set(Param::Osc1Det, 0.3f);
    p.set(Param::Osc1DtVo, 1.0f);
    p.set(Param::Osc1DtSp, 0.7f);
    p.set(Param::Osc1DtMx, 0.5f);
    p.set(Param::Osc2Sub, 0.9f);
    p.set(Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Bandpass)));
    p.set(Param::FltCut, 0.6f);
    p.set(Param::FltRes, 0.5f);
    p.set(Param::Flt2Cut, 0.45f);
    p.set(Param::Lfo1Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Random)));
    p.set(Param::Lfo1Rate, 0.4f);
    p.set(Param::Lfo2Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Triangle)));
    p.set(Param::Lfo2Free, 1.0f);
    p.set(Param::Lfo2Rate, 0.3f);
    p.set(Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::Lfo1)));
    p.set(Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Filter1Cut)));
    p.set(Param::modAmount(1), 0.8f);
    p.set(Param::modSource(2), codeStoredValue(CodeKind::ModSource, int(ModSource::Lfo2)));
    p.set(Param::modTarget(2), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Osc2PW)));
    p.set(Param::modAmount(2), 0.7f);
    p.set(Param::DlyMix, 0.3f);
    p.set(Param::DlyTime, 0.1f);
    p.set(Param::Env1Rel, 0.3f);
    p.set(Param::Poly, 1.0f);
}

class EngineRenderTest : public EngineTest {
protected:
    // A short phrase: overlapping notes with a bend and wheel move, rendered in blocks of the
    // given length; events land on absolute frames whatever the block length.
    std::vector<float> play(int block)
    {
        // A fresh engine each time: filter and noise states rightly live on across notes.
        auto fresh = std::make_unique<VoiceManager>();
        fresh->bind(writer, programs, midiMap, ignoreVelocity, tempo);
        fresh->setEngineSampleRate(44100.0f);
        auto send = [&](int kind, int note, int velocity) {
            MidiMessage m;
            m.kind = kind;
            m.data1 = note;
            m.data2 = velocity;
            fresh->processNote(m);
        };
        struct Event {
            int frame, kind, note;
        };
        const Event events[] = {{100, MidiNoteOn, 48},    {3000, MidiNoteOn, 55},  {5000, MidiNoteOn, 64},
                                {9000, MidiNoteOff, 48},  {12000, MidiNoteOn, 67}, {15000, MidiNoteOff, 55},
                                {20000, MidiNoteOff, 64}, {22000, MidiNoteOff, 67}};
        std::vector<float> out;
        const int total = 32768;
        size_t next = 0;
        for (int start = 0; start < total; start += block) {
            for (int i = 0; i < block; ++i) {
                const int frame = start + i;
                while (next < std::size(events) && events[next].frame == frame) {
                    send(events[next].kind, events[next].note, events[next].kind == MidiNoteOn ? 100 : 0);
                    ++next;
                }
                if (frame == 7000)
                    fresh->controllers.pitchBend = 0.25f;
                float l = 0.0f, r = 0.0f;
                fresh->renderFrames(&l, &r, block, i, 1);
                out.push_back(l);
                out.push_back(r);
            }
            fresh->clearEventQueue();
        }
        return out;
    }
};

TEST_F(EngineRenderTest, BlockLengthDoesNotChangeTheSoundAndRunsRepeat)
{
    makeBusyPatch(programs.current());
    std::srand(1234);
    const std::vector<float> reference = play(64);
    double energy = 0.0;
    for (float x : reference)
        energy += double(x) * x;
    ASSERT_GT(energy, 1.0) << "the phrase is heard";
    for (int block : {1, 512, 4096}) {
        std::srand(1234);
        const std::vector<float> got = play(block);
        size_t first = 0;
        while (first < got.size() && got[first] == reference[first])
            ++first;
        EXPECT_EQ(first, got.size()) << "block " << block << " differs from frame " << first / 2;
    }
    std::srand(1234);
    EXPECT_EQ(play(64), reference) << "same seed, same sound";
}

// The engine itself, before the master stage, stays finite too: nothing relies on the clip.
TEST_F(EngineTest, EngineOutputStaysFiniteUnderWildValuesWhileNotesPlay)
{
    std::mt19937 rng(5);
    const float wild[] = {std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          1e30f,
                          -1e30f,
                          -3.0f,
                          4.0f};
    makeBusyPatch(programs.current());
    for (int n = 0; n < 8; ++n)
        noteOn(40 + 3 * n);
    int bad = 0;
    for (int round = 0; round < 400; ++round) {
        // Mostly reasonable values with a few hostile ones, so voices keep sounding.
        for (int k = 0; k < 6; ++k) {
            const int index = int(rng() % kNumParams);
            if (index == Param::Poly || index == Param::OscRoute)
                continue;
            set(index, rng() % 2 ? wild[rng() % std::size(wild)] : float(rng() % 1000) / 1000.0f);
        }
        if (round % 50 == 0)
            noteOn(50 + round / 50);
        for (int i = 0; i < 64; ++i) {
            float l = 0.0f, r = 0.0f;
            engine.renderFrames(&l, &r, 64, i, 1);
            bad += !std::isfinite(l) + !std::isfinite(r);
        }
        engine.clearEventQueue();
    }
    EXPECT_EQ(bad, 0);
}

TEST(MasterStage, NonFiniteVolumeOrSamplesNeverReachTheHost)
{
    Smoother volume;
    volume.setSampleRate(44100.0f);
    float l = 0.5f, r = -0.5f;
    applyMasterStage(volume, std::numeric_limits<float>::quiet_NaN(), l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
    l = std::numeric_limits<float>::quiet_NaN();
    r = std::numeric_limits<float>::infinity();
    applyMasterStage(volume, 1.0f, l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, kOutputClip);
    l = 0.25f;
    r = 0.0f;
    applyMasterStage(volume, 1.0f, l, r);
    EXPECT_GT(l, 0.0f) << "a volume glitch does not stick";
    l = r = 0.0f;
    applyMasterStage(volume, std::numeric_limits<float>::infinity(), l, r);
    EXPECT_EQ(l, 0.0f) << "silence stays silence at any gain";
}

} // namespace
