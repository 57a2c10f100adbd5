// The plug-in renders voices in runs of frames between MIDI events, in groups of four; with
// parameters held constant that must sound exactly like the plain reference, which renders
// every voice one frame at a time.
#include "unit/plugin/PluginEventTestSupport.h"
#include "support/ReferenceRender.h"
#include "support/SweepLength.h"

#include "engine/MasterStage.h"
#include "engine/ModMatrix.h"
#include "params/CodeTables.h"
#include "instrument/FloatModeGuard.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

struct TimedEvent {
    int frame;
    int status, data1, data2;
};

// Overlapping notes, notes on neighbouring frames and on the same frame, a held pedal whose
// note-offs go one frame after its release, bends both ways, the wheel, all-notes-off, and more
// notes than a four-voice patch has voices.
const std::vector<TimedEvent>& phrase()
{
    static const std::vector<TimedEvent> events = {
        {0, 0x90, 60, 100},     {1, 0x90, 64, 90},      {17, 0x90, 67, 80},     {300, 0xE0, 0, 80},
        {511, 0x90, 71, 70},    {512, 0x80, 60, 0},     {1000, 0xB0, 64, 127},  {1500, 0x80, 64, 0},
        {1500, 0x90, 48, 127},  {1501, 0x80, 67, 0},    {2222, 0x90, 72, 60},   {3001, 0x80, 72, 0},
        {3001, 0xB0, 64, 0},    {3002, 0x90, 76, 100},  {4000, 0xB0, 1, 100},   {4095, 0x90, 55, 100},
        {4096, 0x90, 57, 100},  {4097, 0x90, 59, 100},  {4100, 0x90, 62, 100},  {6000, 0xE0, 0, 20},
        {6001, 0x80, 71, 0},    {7000, 0xB0, 64, 100},  {7003, 0x80, 55, 0},    {7003, 0x80, 57, 0},
        {8191, 0xB0, 64, 10},   {9000, 0x90, 60, 0},    {9001, 0xD0, 90, 0},    {9500, 0xA0, 62, 70},
        {12000, 0x90, 65, 110}, {12000, 0x80, 65, 0},   {12001, 0x90, 65, 110}, {16000, 0xB0, 123, 0},
        {16384, 0x90, 43, 100}, {16385, 0x90, 50, 100}, {20000, 0x80, 43, 0},   {20001, 0x80, 50, 0},
        {20002, 0xE0, 0, 64},
    };
    return events;
}

// A host's message for one note: an offset of a parameter, or an expression of the note.
struct TimedNoteChange {
    int frame;
    int channel, key;
    int target; // the parameter index, or the NoteExpression
    float value;
    bool expression = false;
};

constexpr int kTotalFrames = 26000;
constexpr unsigned kSeed = 4242;

using Patch = std::function<void(ProgramRecord&)>;

// Renders the phrase in blocks of the given length, either by the plug-in's process calls
// (runs) or through the plain reference, frame by frame, followed by the master stage.
std::vector<float> render(const Patch& patch, int block, bool frameByFrame,
                          const std::vector<TimedEvent>& song = phrase(), int totalFrames = kTotalFrames,
                          const std::vector<TimedNoteChange>& changes = {})
{
    auto plugin = std::make_unique<TestPlugin>();
    patch(plugin->programStore().current());
    plugin->setSampleRate(44100.0f);
    plugin->resume();
    // Noise and random LFO steps draw from generators seeded from the C library's.
    std::srand(kSeed);
    Smoother master; // the plug-in's: 40 ms, from silence
    master.setSampleRate(44100.0f);
    master.value = 0.0f;

    std::vector<float> out;
    out.reserve(2 * size_t(totalFrames));
    std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
    size_t next = 0, nextChange = 0;
    for (int start = 0; start < totalFrames; start += block) {
        HostEventList events;
        while (next < song.size() && song[next].frame < start + block) {
            const TimedEvent& e = song[next++];
            events.add(e.frame - start, e.status, e.data1, e.data2);
        }
        plugin->processEvents(events.list());
        // Behind the block's MIDI, so a change at a note-on's frame reaches the new note.
        for (; nextChange < changes.size() && changes[nextChange].frame < start + block; ++nextChange) {
            const TimedNoteChange& c = changes[nextChange];
            if (c.expression)
                plugin->engine().queueNoteExpression(c.frame - start, c.channel, c.key, NoteExpression(c.target),
                                                     c.value);
            else
                plugin->engine().queueNoteOffset(c.frame - start, c.channel, c.key, c.target, c.value);
        }
        if (frameByFrame) {
            const FloatModeGuard floatMode; // as inside the plug-in's process calls
            for (int i = 0; i < block; ++i) {
                left[size_t(i)] = right[size_t(i)] = 0.0f;
                ReferenceRender::renderFrame(plugin->engine(), left[size_t(i)], right[size_t(i)], block, i);
                applyMasterStage(master, plugin->programStore().value(Param::Volume), left[size_t(i)],
                                 right[size_t(i)]);
            }
            plugin->engine().clearEventQueue();
        } else {
            float* outputs[2] = {left.data(), right.data()};
            plugin->processReplacing(nullptr, outputs, block);
        }
        for (int i = 0; i < block; ++i) {
            out.push_back(left[size_t(i)]);
            out.push_back(right[size_t(i)]);
        }
    }
    return out;
}

// The index of the first sample whose bits differ, or the length when none does.
size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && std::bit_cast<uint32_t>(a[i]) == std::bit_cast<uint32_t>(b[i]))
        ++i;
    return a.size() == b.size() ? i : std::min(a.size(), b.size());
}

// Under a sanitizer: a short block across segment edges and a long one.
const std::vector<int> kBlockSizes = kShortSweeps ? std::vector<int>{17, 4096} : std::vector<int>{1, 17, 64, 512, 4096};

void expectSameSound(const Patch& patch, const std::vector<TimedNoteChange>& changes = {})
{
    for (int block : kBlockSizes) {
        const std::vector<float> frames = render(patch, block, true, phrase(), kTotalFrames, changes);
        double energy = 0.0;
        for (float x : frames)
            energy += double(x) * x;
        ASSERT_GT(energy, 1.0) << "the phrase is heard, block " << block;
        const std::vector<float> runs = render(patch, block, false, phrase(), kTotalFrames, changes);
        const size_t at = firstDifference(frames, runs);
        EXPECT_EQ(at, frames.size()) << "block " << block << ": runs differ from frame " << at / 2;
    }
}

void set(ProgramRecord& p, int index, float value)
{
    p.set(index, value);
}

} // namespace

TEST(RunRender, DefaultProgramWithFourVoicesStealingMatchesFrameByFrame)
{
    expectSameSound([](ProgramRecord& p) { set(p, Param::Poly, 0.1f); });
}

// Unison, sub, both filters, matrix slots, delay and reverb; one voice LFO free-running.
TEST(RunRender, BusyPatchWithEffectsMatchesFrameByFrame)
{
    expectSameSound([](ProgramRecord& p) {
        set(p, Param::Poly, 1.0f);
        set(p, Param::Osc1Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sawtooth)));
        set(p, Param::Osc2Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Square)));
        set(p, Param::Osc1Det, 0.3f);
        set(p, Param::Osc1DtVo, 1.0f);
        set(p, Param::Osc1DtSp, 0.7f);
        set(p, Param::Osc1DtMx, 0.5f);
        set(p, Param::Osc2Sub, 0.9f);
        set(p, Param::OscRoute, 0.9f);
        set(p, Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Bandpass)));
        set(p, Param::FltCut, 0.6f);
        set(p, Param::FltRes, 0.5f);
        set(p, Param::Flt2Cut, 0.45f);
        set(p, Param::Lfo2Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Triangle)));
        set(p, Param::Lfo2Free, 1.0f);
        set(p, Param::Lfo2Rate, 0.3f);
        set(p, Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::Lfo2)));
        set(p, Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Filter1Cut)));
        set(p, Param::modAmount(1), 0.8f);
        set(p, Param::modSource(2), codeStoredValue(CodeKind::ModSource, int(ModSource::Env3)));
        set(p, Param::modTarget(2), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Osc2PW)));
        set(p, Param::modAmount(2), 0.7f);
        set(p, Param::DlyMix, 0.3f);
        set(p, Param::DlyTime, 0.1f);
        set(p, Param::RvbMix, 0.4f);
        set(p, Param::RvbAmp1, 1.0f);
        set(p, Param::Env1Rel, 0.3f);
        set(p, Param::Env2Rel, 0.2f);
    });
}

// Noise on one side, random LFO steps and an engine LFO on its random wave: each source draws
// from its own generator, so rendering in runs and groups draws the same numbers.
TEST(RunRender, RandomDrawsAreTheSameInRuns)
{
    expectSameSound([](ProgramRecord& p) {
        set(p, Param::Poly, 1.0f);
        set(p, Param::Osc2Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Pink)));
        set(p, Param::Osc2Vol, 0.3f);
        set(p, Param::Sub1AltW, codeStoredValue(CodeKind::SubAlt, int(SubAltMode::WhitePink)));
        set(p, Param::Osc1Sub, 0.2f);
        set(p, Param::Lfo1Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Random)));
        set(p, Param::Lfo1Rate, 0.7f);
        set(p, Param::Lfo3Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Random)));
        set(p, Param::Lfo3Free, 1.0f);
        set(p, Param::Lfo3Rate, 0.8f);
        set(p, Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::Lfo1)));
        set(p, Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Osc1Tune)));
        set(p, Param::modAmount(1), 0.1f);
    });
}

// Mono with glide: legato returns to held keys, the pedal and bends all land on their frames;
// the filter's key tracking follows the gliding pitch.
TEST(RunRender, MonoGlideMatchesFrameByFrame)
{
    expectSameSound([](ProgramRecord& p) {
        set(p, Param::Poly, 0.0f);
        set(p, Param::FltKey, 0.6f);
        set(p, Param::FltCut, 0.45f);
        set(p, Param::GldAmt, 0.05f);
        set(p, Param::PBRange2, 0.5f);
    });
}

// A host block longer than the engine's run buffers and the plug-in's slices, with events near
// the slice edges.
TEST(RunRender, LongBlocksAcrossSliceEdges)
{
    const Patch patch = [](ProgramRecord& p) { set(p, Param::Poly, 1.0f); };
    for (int block : {255, 257, 8192}) {
        const std::vector<float> frames = render(patch, block, true);
        const std::vector<float> runs = render(patch, block, false);
        EXPECT_EQ(firstDifference(frames, runs), frames.size()) << "block " << block;
    }
}

// A note whose delay and reverb tails fade out, six seconds of nothing, then the next note: the
// effects fall asleep on the same frame and wake the same way whatever the block length.
TEST(RunRender, EffectsFallAsleepAndWakeOnTheSameFrames)
{
    const Patch patch = [](ProgramRecord& p) {
        set(p, Param::DlyMix, 0.4f);
        set(p, Param::DlyTime, 0.05f);
        set(p, Param::DlyFBack, 0.3f);
        set(p, Param::RvbMix, 0.4f);
    };
    const std::vector<TimedEvent> song = {{0, 0x90, 60, 100}, {3000, 0x80, 60, 0}, {270000, 0x90, 67, 100}};
    const int total = 68 * 4096;
    for (int block : kShortSweeps ? std::vector<int>{64} : std::vector<int>{1, 64, 4096}) {
        const std::vector<float> reference = render(patch, block, true, song, total);
        // Silent well before the second note: the tails were dropped, not left ringing.
        for (size_t i = 2 * 260000; i < 2 * 270000; ++i)
            ASSERT_EQ(reference[i], 0.0f) << "block " << block << ", frame " << i / 2;
        double second = 0.0;
        for (size_t i = 2 * 270000; i < reference.size(); ++i)
            second += double(reference[i]) * reference[i];
        EXPECT_GT(second, 1.0);
        const std::vector<float> runs = render(patch, block, false, song, total);
        EXPECT_EQ(firstDifference(reference, runs), reference.size()) << "block " << block;
    }
}

// The benchmark's heavy patch: two saws with six unison copies each (and with five, which the
// sides' copies share lanes differently for), subs, ladder and state-variable filter in series,
// all 24 matrix slots busy, delay and reverb.
TEST(RunRender, HeavyPatchMatchesFrameByFrame)
{
    for (const float copies : {1.0f, 0.8f})
        expectSameSound([copies](ProgramRecord& p) {
            set(p, Param::Poly, 1.0f);
            for (int k = 0; k < 2; ++k) {
                set(p, Param::Osc1Wave + k, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sawtooth)));
                set(p, Param::Osc1Det + k, 0.4f);
                set(p, Param::Osc1DtVo + k, copies);
                set(p, Param::Osc1DtSp + k, 0.8f);
                set(p, Param::Osc1DtMx + k, 0.6f);
                set(p, Param::Osc1Sub + k, k == 0 ? 1.0f : 0.0f);
            }
            set(p, Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Bandstop)));
            set(p, Param::FltRes, 0.3f);
            set(p, Param::FltKey, 0.5f);
            set(p, Param::DlyMix, 0.3f);
            set(p, Param::RvbMix, 0.3f);
            const ModSource sources[] = {ModSource::Lfo1, ModSource::Lfo2, ModSource::Env3, ModSource::Velocity};
            const ModTarget targets[] = {ModTarget::Osc1Tune, ModTarget::Osc2PW,  ModTarget::Filter1Cut,
                                         ModTarget::Osc1Pan,  ModTarget::Osc2Vol, ModTarget::Filter1Res};
            for (int n = 0; n < 4; ++n)
                set(p, Param::Lfo1Wave + n, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Sine)));
            for (int slot = 0; slot < kNumModSlots; ++slot) {
                set(p, Param::modAmount(slot + 1), 0.5f + 0.02f * float(slot % 5 + 1));
                set(p, Param::modSource(slot + 1), codeStoredValue(CodeKind::ModSource, int(sources[slot % 4])));
                set(p, Param::modTarget(slot + 1), codeStoredValue(CodeKind::ModTarget, int(targets[slot % 6])));
            }
        });
}

// Every response of the state-variable filter, its cutoff and resonance moving, on a stereo
// source and in series with the ladder.
TEST(RunRender, EveryStateVariableResponseMatchesFrameByFrame)
{
    for (FilterType type : {FilterType::Lowpass12, FilterType::Highpass, FilterType::Bandpass, FilterType::Bandstop,
                            FilterType::Peaking}) {
        SCOPED_TRACE(int(type));
        expectSameSound([type](ProgramRecord& p) {
            set(p, Param::Poly, 1.0f);
            set(p, Param::Osc1Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sawtooth)));
            set(p, Param::Osc1DtVo, 0.5f);
            set(p, Param::Osc1DtSp, 0.8f);
            set(p, Param::FltType, codeStoredValue(CodeKind::FilterType, int(type)));
            set(p, Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Lowpass24)));
            set(p, Param::Osc1Vol, 1.0f);
            set(p, Param::FltCut, 0.6f);
            set(p, Param::FltRes, 0.6f);
            set(p, Param::Flt2Cut, 0.9f);
            set(p, Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::Lfo1)));
            set(p, Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Filter1Cut)));
            set(p, Param::modAmount(1), 0.7f);
            set(p, Param::modSource(2), codeStoredValue(CodeKind::ModSource, int(ModSource::Env3)));
            set(p, Param::modTarget(2), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Filter1Res)));
            set(p, Param::modAmount(2), 0.6f);
        });
    }
}

// Random patches: every oscillator, filter, envelope, LFO and routing value drawn at random (the
// menu parameters included, so any waveform, filter type and route can come up).
TEST(RunRender, RandomPatchesMatchFrameByFrame)
{
    const int drawn[] = {Param::Osc1Semi, Param::Osc2Fine, Param::Osc1Vol,  Param::Osc2Vol,  Param::Osc1Det,
                         Param::Osc2Det,  Param::Osc1PW,   Param::Osc2Sub,  Param::Osc1Sub,  Param::FltCut,
                         Param::FltRes,   Param::FltKey,   Param::Flt2Cut,  Param::Flt2Res,  Param::Env1Att,
                         Param::Env2Dec,  Param::Env1Sus,  Param::Env2Sus,  Param::Env3Att,  Param::Env1Rel,
                         Param::Env2Rel,  Param::Osc1DtVo, Param::Osc2DtVo, Param::Osc1DtSp, Param::Osc2DtMx,
                         Param::Osc1Pan,  Param::Osc2Pan,  Param::Lfo1Rate, Param::Lfo2Rate, Param::KeySplit};
    const CodeKind kinds[] = {CodeKind::OscWave, CodeKind::OscWave, CodeKind::FilterType, CodeKind::FilterType};
    const int menus[] = {Param::Osc1Wave, Param::Osc2Wave, Param::FltType, Param::Flt2Type};
    const int codes[] = {12, 12, 9, 9}; // entries to draw from, separators and "Off" included
    uint32_t seed = 11;
    auto draw = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24);
    };
    for (int patch = 0; patch < (kShortSweeps ? 2 : 4); ++patch) {
        float values[std::size(drawn)];
        for (float& v : values)
            v = draw();
        int menuCodes[4];
        for (int m = 0; m < 4; ++m)
            menuCodes[m] = int(draw() * float(codes[m]));
        menuCodes[0] = std::max(menuCodes[0], 2); // side 1 always sounds
        const int route = int(draw() * 5.0f);
        SCOPED_TRACE(patch);
        expectSameSound([&](ProgramRecord& p) {
            set(p, Param::Poly, 1.0f);
            for (size_t i = 0; i < std::size(drawn); ++i)
                set(p, drawn[i], values[i]);
            for (int m = 0; m < 4; ++m)
                set(p, menus[m], codeStoredValue(kinds[m], menuCodes[m]));
            set(p, Param::OscRoute, float(route) * 0.2f + 0.1f);
            // Loud and open enough to be heard whatever else came up.
            set(p, Param::Osc1Vol, 0.5f + 0.5f * values[2]);
            set(p, Param::FltCut, 0.5f + 0.5f * values[9]);
            set(p, Param::Env1Sus, 0.5f + 0.5f * values[16]);
            set(p, Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::Lfo1)));
            set(p, Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Filter1Cut)));
            set(p, Param::modAmount(1), values[0]);
        });
    }
}

// Per-note offsets of every kind a voice takes and the note expressions, for single notes and
// for wildcards, at note-on frames and between, on a patch where each of them is heard; one
// note is restarted right after its offsets arrive, and one offset is far out of range.
TEST(RunRender, NoteOffsetsAndExpressionsMatchFrameByFrame)
{
    using E = NoteExpression;
    auto offset = [](int frame, int channel, int key, int param, float amount) {
        return TimedNoteChange{frame, channel, key, param, amount};
    };
    auto expression = [](int frame, int channel, int key, E kind, float value) {
        return TimedNoteChange{frame, channel, key, int(kind), value, true};
    };
    const std::vector<TimedNoteChange> changes = {
        offset(0, 0, 60, Param::Osc1Pan, 0.3f),
        offset(2, 0, 60, Param::FltCut, -0.35f),
        offset(17, 0, 67, Param::Osc1Semi, 7.0f / 48.0f),
        expression(40, -1, 64, E::Tuning, 0.5f),
        offset(300, 0, -1, Param::FltRes, 0.4f),
        expression(600, -1, -1, E::Volume, 0.6f),
        offset(1500, 0, 48, Param::Osc1Det, 0.3f),
        offset(2300, 0, 72, Param::Flt2Cut, -0.2f),
        offset(2300, 0, 72, Param::Osc2PW, 0.2f),
        offset(2301, 0, 72, Param::Osc2Sub, 0.3f),
        offset(3010, 0, 76, Param::Env1Sus, -0.5f),
        offset(3100, 0, 76, Param::Lfo1Ofs, 0.3f),
        expression(4096, 0, 57, E::Pan, 0.1f),
        expression(4100, 0, -1, E::Pressure, 0.7f),
        offset(5000, 0, 62, Param::FltKey, 0.5f),
        offset(5000, 0, 62, Param::Osc2Vol, 50.0f),
        offset(5001, 0, 62, Param::Osc1Fine, 0.1f),
        offset(6000, 0, 62, Param::Osc2Vol, 0.0f),
        offset(12000, 0, 65, Param::Osc2Pan, -0.2f),
        offset(12001, 0, 65, Param::Flt2Res, 0.3f),
        expression(16384, 0, 43, E::Tuning, -7.0f),
        offset(16390, 0, 50, Param::Env3Sus, -0.4f),
        offset(16400, -1, -1, Param::Osc2Semi, 0.1f),
        expression(16400, -1, 50, E::Volume, 1.5f),
    };
    const Patch patch = [](ProgramRecord& p) {
        set(p, Param::Poly, 1.0f);
        set(p, Param::Osc2Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Square)));
        set(p, Param::Osc1Det, 0.4f);
        set(p, Param::Osc1DtVo, 0.6f);
        set(p, Param::Osc1DtSp, 0.7f);
        set(p, Param::Osc2Sub, 0.8f);
        set(p, Param::OscRoute, 0.9f);
        set(p, Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Lowpass12)));
        set(p, Param::FltCut, 0.7f);
        set(p, Param::Flt2Cut, 0.6f);
        set(p, Param::Flt2Key, 0.4f);
        set(p, Param::Env1Sus, 0.8f);
        set(p, Param::Env2Rel, 0.2f);
        set(p, Param::Lfo1Wave, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Triangle)));
        const std::pair<ModSource, ModTarget> slots[] = {{ModSource::Lfo1, ModTarget::Filter1Cut},
                                                         {ModSource::KeyPressure, ModTarget::Osc2PW},
                                                         {ModSource::Env3, ModTarget::Osc1Vol}};
        for (int slot = 1; slot <= 3; ++slot) {
            set(p, Param::modSource(slot), codeStoredValue(CodeKind::ModSource, int(slots[slot - 1].first)));
            set(p, Param::modTarget(slot), codeStoredValue(CodeKind::ModTarget, int(slots[slot - 1].second)));
            set(p, Param::modAmount(slot), 0.8f);
        }
    };
    expectSameSound(patch, changes);
    // The changes are heard at all.
    const std::vector<float> plain = render(patch, 64, false);
    EXPECT_LT(firstDifference(plain, render(patch, 64, false, phrase(), kTotalFrames, changes)), plain.size());
}
