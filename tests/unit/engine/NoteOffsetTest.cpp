// Per-note parameter offsets and note expressions: each reaches the voices playing its note from
// its frame on, plays like the program value it adds to, and a new note starts without it.
#include "EngineTestSupport.h"

#include "params/CodeTables.h"

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Named, so the unity build keeps these helpers apart from other files' own.
namespace note_offset_tests {
namespace {

struct Change {
    int frame, channel, key;
    int target; // the parameter index, or the NoteExpression
    float value;
    bool expression = false;
};

Change offset(int frame, int channel, int key, int param, float amount)
{
    return {frame, channel, key, param, amount};
}

Change expression(int frame, int channel, int key, NoteExpression kind, float value)
{
    return {frame, channel, key, int(kind), value, true};
}

void queue(MidiProcessor& engine, const Change& c, int blockStart = 0)
{
    if (c.expression)
        engine.queueNoteExpression(c.frame - blockStart, c.channel, c.key, NoteExpression(c.target), c.value);
    else
        engine.queueNoteOffset(c.frame - blockStart, c.channel, c.key, c.target, c.value);
}

using Patch = std::function<void(ProgramRecord&)>;

struct Key {
    int channel, key;
};

// A fresh engine for each take, so no filter state carries from one to the next.
struct Rig {
    explicit Rig(const Patch& patch)
    {
        engine.bind(writer, programs, midiMap, ignoreVelocity, tempo);
        programs.current().set(Param::Poly, 1.0f);
        patch(programs.current());
        engine.setEngineSampleRate(44100.0f);
    }
    ProgramStore programs;
    MidiMap midiMap;
    std::atomic<bool> ignoreVelocity{false};
    TempoInfo tempo;
    RecordingWriter writer;
    VoiceManager engine;
};

// The keys go down at frame 0; the changes are queued behind the block's MIDI at their frames.
// Left and right interleaved.
std::vector<float> play(const Patch& patch, const std::vector<Key>& keys, const std::vector<Change>& changes = {},
                        int frames = 4096)
{
    auto rig = std::make_unique<Rig>(patch);
    constexpr int kBlock = 256;
    float left[kBlock], right[kBlock];
    std::vector<float> out;
    size_t next = 0;
    for (int start = 0; start < frames; start += kBlock) {
        if (start == 0)
            for (const Key& k : keys)
                rig->engine.queueEvent(MidiInputEvent{0, uint8_t(0x90 | k.channel), uint8_t(k.key), 100});
        for (; next < changes.size() && changes[next].frame < start + kBlock; ++next)
            queue(rig->engine, changes[next], start);
        rig->engine.renderBlock(left, right, kBlock);
        rig->engine.clearEventQueue();
        for (int i = 0; i < kBlock; ++i) {
            out.push_back(left[i]);
            out.push_back(right[i]);
        }
    }
    return out;
}

double maxDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    double most = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        most = std::max(most, std::fabs(double(a[i]) - double(b[i])));
    return most;
}

// One plain sine on side 1, no filters, full level.
void sine(ProgramRecord& p)
{
    p.set(Param::Osc1Wave, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sine)));
    p.set(Param::FltType, codeStoredValue(CodeKind::FilterType, int(FilterType::Off)));
    p.set(Param::Osc1Vol, 1.0f);
    p.set(Param::Env1Vel, 0.0f);
}

// The left channel's frequency from its rising zero crossings, from frame `from` on.
double frequencyHz(const std::vector<float>& stereo, size_t from)
{
    double first = -1.0, last = 0.0;
    int cycles = 0;
    for (size_t i = from + 1; i < stereo.size() / 2; ++i) {
        const float a = stereo[2 * i - 2], b = stereo[2 * i];
        if (a < 0.0f && b >= 0.0f) {
            const double t = double(i - 1) + double(-a) / double(b - a);
            cycles += first >= 0.0;
            first = first >= 0.0 ? first : t;
            last = t;
        }
    }
    return cycles > 0 ? 44100.0 * cycles / (last - first) : 0.0;
}

// Every parameter a note can offset is heard here: two pulse sides with unison and subs, both
// filters in series with key tracking, and the envelopes and LFOs feeding the matrix.
void everyOffsetHeard(ProgramRecord& p)
{
    for (int k = 0; k < 2; ++k) {
        p.set(Param::Osc1Wave + k, codeStoredValue(CodeKind::OscWave, int(OscWaveform::Square)));
        p.set(Param::Osc1Det + k, 0.3f);
        p.set(Param::Osc1DtVo + k, 0.4f);
        p.set(Param::Osc1Sub + k, 0.8f);
        p.set(Param::Osc1PW + k, 0.3f);
    }
    p.set(Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Lowpass12)));
    for (int param : {Param::FltCut, Param::Flt2Cut})
        p.set(param, 0.6f);
    for (int param : {Param::FltRes, Param::FltKey, Param::Flt2Res, Param::Flt2Key})
        p.set(param, 0.3f);
    for (int e = 0; e < 4; ++e) {
        p.set(kEnvDecay[e], 0.1f);
        p.set(kEnvSustain[e], 0.6f);
    }
    const std::pair<ModSource, ModTarget> slots[] = {
        {ModSource::Env2, ModTarget::Osc1PW},     {ModSource::Env3, ModTarget::Osc2PW},
        {ModSource::Env4, ModTarget::Filter1Res}, {ModSource::Lfo1, ModTarget::Osc1Pan},
        {ModSource::Lfo2, ModTarget::Osc2Pan},    {ModSource::Lfo3, ModTarget::Filter2Cut},
        {ModSource::Lfo4, ModTarget::Osc1Vol}};
    for (int slot = 1; slot <= int(std::size(slots)); ++slot) {
        p.set(Param::modSource(slot), codeStoredValue(CodeKind::ModSource, int(slots[slot - 1].first)));
        p.set(Param::modTarget(slot), codeStoredValue(CodeKind::ModTarget, int(slots[slot - 1].second)));
        p.set(Param::modAmount(slot), 0.7f);
    }
}

} // namespace

// For its note an offset is the program value plus the amount, clamped where the value would be:
// the same sound bit for bit, and a sound that differs from the plain one.
TEST(NoteOffsets, EachOffsetPlaysLikeTheProgramValueItAddsTo)
{
    const Key note{0, 64};
    const std::vector<float> plain = play(everyOffsetHeard, {note});
    struct Row {
        int param;
        float amount;
    };
    std::vector<Row> rows;
    for (int param : kNoteOffsetParams)
        rows.push_back({param, 0.1f});
    for (float wild : {1e30f, -1e30f})
        for (int param : {Param::Osc1Semi, Param::Osc2Vol, Param::FltCut, Param::Osc1Pan})
            rows.push_back({param, wild});
    for (const Row& row : rows) {
        SCOPED_TRACE(kParamTable[row.param].shortName + std::string(" + ") + std::to_string(row.amount));
        const std::vector<float> offsetTake = play(everyOffsetHeard, {note}, {offset(0, 0, 64, row.param, row.amount)});
        const std::vector<float> programTake = play(
            [&row](ProgramRecord& p) {
                everyOffsetHeard(p);
                p.set(row.param, p.get(row.param) + row.amount);
            },
            {note});
        ASSERT_EQ(offsetTake, programTake);
        EXPECT_GT(maxDifference(offsetTake, plain), 1e-3);
        for (float x : offsetTake)
            ASSERT_TRUE(std::isfinite(x));
    }
}

// Two held notes: a change for one key leaves the other note's share of the output as it was,
// and changes its own.
TEST(NoteOffsets, AChangeForOneKeyLeavesTheOtherNoteAsItWas)
{
    const Patch saw = [](ProgramRecord& p) { p.set(Param::FltCut, 0.5f); };
    const std::pair<Patch, Change> rows[] = {{saw, offset(0, 0, 60, Param::FltCut, -0.3f)},
                                             {sine, expression(0, 0, 60, NoteExpression::Tuning, 12.0f)}};
    const Key a{0, 60}, b{0, 67};
    for (const auto& [patch, change] : rows) {
        const std::vector<float> pairWith = play(patch, {a, b}, {change}), pairPlain = play(patch, {a, b});
        const std::vector<float> aloneWith = play(patch, {a}, {change}), alonePlain = play(patch, {a});
        double otherMoved = 0.0;
        for (size_t i = 0; i < pairWith.size(); ++i)
            otherMoved = std::max(otherMoved,
                                  std::fabs(double(pairWith[i] - aloneWith[i]) - double(pairPlain[i] - alonePlain[i])));
        EXPECT_LT(otherMoved, 1e-5) << change.target;
        EXPECT_GT(maxDifference(aloneWith, alonePlain), 0.05) << change.target;
    }
}

TEST(NoteExpressions, TuningOfTwelveDoublesTheFrequency)
{
    const Key a{0, 57};
    const double plain = frequencyHz(play(sine, {a}), 512);
    const double tuned = frequencyHz(play(sine, {a}, {expression(0, 0, 57, NoteExpression::Tuning, 12.0f)}), 512);
    EXPECT_NEAR(plain, 220.0, 0.5);
    EXPECT_NEAR(tuned / plain, 2.0, 0.002);
}

// Volume and pan act from their own frame on.
TEST(NoteExpressions, VolumeAndPanFromTheirFrame)
{
    const Key a{0, 60};
    const std::vector<float> plain = play(sine, {a}, {}, 16384);
    const std::vector<float> half = play(sine, {a}, {expression(1000, -1, 60, NoteExpression::Volume, 0.5f)}, 16384);
    for (size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(half[i], i < 2000 ? plain[i] : 0.5f * plain[i]) << "frame " << i / 2;
    const std::vector<float> left = play(sine, {a}, {expression(1000, 0, -1, NoteExpression::Pan, 0.0f)}, 16384);
    EXPECT_EQ(maxDifference({left.begin(), left.begin() + 2000}, {plain.begin(), plain.begin() + 2000}), 0.0);
    for (size_t i = 2 * 15000; i < left.size(); i += 2) {
        ASSERT_EQ(left[i + 1], 0.0f) << "frame " << i / 2;
        ASSERT_NEAR(left[i], 2.0f * plain[i], 1e-5f);
    }
}

class NoteOffsetTest : public EngineTest {
protected:
    void queueAndRender(const std::vector<Change>& changes)
    {
        for (const Change& c : changes)
            queue(engine, c);
        renderBlock(64);
    }
    int voiceOf(int channel, int key) const
    {
        for (int v = 0; v < kNumVoices; ++v)
            if (engine.isSounding(v) && engine.voiceChannel(v) == channel && engine.voiceKey(v) == key)
                return v;
        return -1;
    }
};

// -1 stands for any channel or key; a released note still sounding is reached, and each message
// replaces the earlier value. Pressure is the key's, unquantised.
TEST_F(NoteOffsetTest, WildcardsReachEveryMatchingVoiceHeldOrReleasing)
{
    const Key keys[] = {{0, 60}, {1, 60}, {0, 64}};
    for (const Key& k : keys)
        noteOn(k.key, 100, k.channel);
    renderBlock(64);
    noteOff(64, 0);
    struct Row {
        int channel, key, param;
        bool reaches[3];
    };
    const Row rows[] = {{-1, 60, Param::FltCut, {true, true, false}},
                        {0, -1, Param::FltRes, {true, false, true}},
                        {-1, -1, Param::Osc2Pan, {true, true, true}},
                        {1, 64, Param::Osc1Vol, {false, false, false}}};
    for (const Row& row : rows)
        queueAndRender(
            {offset(0, row.channel, row.key, row.param, 0.2f), offset(1, row.channel, row.key, row.param, 0.3f)});
    queueAndRender({expression(0, -1, -1, NoteExpression::Tuning, -5.0f)});
    for (int i = 0; i < 3; ++i) {
        const int v = voiceOf(keys[i].channel, keys[i].key);
        ASSERT_GE(v, 0);
        const NoteOffsets& o = engine.voice(v).noteOffsets;
        for (const Row& row : rows)
            EXPECT_EQ(o.of(row.param), row.reaches[i] ? 0.3f : 0.0f) << "key " << i << ", " << row.param;
        EXPECT_EQ(o.tuning, -5.0f);
    }
    EXPECT_EQ(engine.voiceKey(kNumVoices), -1);

    queueAndRender({expression(0, 0, 61, NoteExpression::Pressure, 0.3f)});
    EXPECT_EQ(engine.controllers.keyPressure[61], 0.3f);
    EXPECT_EQ(engine.controllers.keyPressure[60], 0.0f);
    queueAndRender({expression(0, 0, -1, NoteExpression::Pressure, 0.7f)});
    for (float pressure : engine.controllers.keyPressure)
        ASSERT_EQ(pressure, 0.7f);
}

// Taken over legato, back to a held key or stolen while releasing, the voice's new note starts
// clean; a change queued ahead of the note-on at its frame belongs to the old note.
TEST_F(NoteOffsetTest, ANewNoteOnTheVoiceStartsWithoutThem)
{
    set(Param::Poly, 0.0f);
    const std::vector<Change> all = {offset(0, -1, -1, Param::FltCut, -0.2f),
                                     expression(0, -1, -1, NoteExpression::Volume, 2.0f)};
    noteOn(60);
    queueAndRender(all);
    ASSERT_TRUE(engine.voice(0).noteOffsets.active);
    noteOn(62); // legato, same voice
    EXPECT_EQ(engine.voice(0).note.note, 62);
    EXPECT_FALSE(engine.voice(0).noteOffsets.active);
    queueAndRender(all);
    noteOff(62); // back to the held key
    EXPECT_FALSE(engine.voice(0).noteOffsets.active);

    noteOff(60);
    for (const Change& c : all)
        queue(engine, Change{10, c.channel, c.key, c.target, c.value, c.expression});
    engine.queueEvent(MidiInputEvent{10, 0x90, 62, 100});
    renderBlock(64);
    EXPECT_EQ(voiceOf(0, 62), 0);
    EXPECT_FALSE(engine.voice(0).noteOffsets.active);
}

// Amounts that are no numbers, parameters no note can offset, unknown kinds and keys outside
// the keyboard leave the sound exactly as it was.
TEST(NoteOffsets, NonFiniteAmountsAndUnknownTargetsChangeNothing)
{
    const Patch pressed = [](ProgramRecord& p) {
        p.set(Param::modSource(1), codeStoredValue(CodeKind::ModSource, int(ModSource::KeyPressure)));
        p.set(Param::modTarget(1), codeStoredValue(CodeKind::ModTarget, int(ModTarget::Filter1Cut)));
        p.set(Param::modAmount(1), 0.2f);
        p.set(Param::FltCut, 0.6f);
    };
    const float nan = std::nanf(""), inf = INFINITY;
    const std::vector<Change> junk = {
        offset(0, 0, 60, Param::FltCut, nan),
        offset(1, 0, 60, Param::Osc1Vol, inf),
        offset(2, -1, -1, Param::Osc1Semi, -inf),
        offset(3, 0, 60, Param::Volume, 0.5f),
        offset(3, 0, 60, Param::Osc1Wave, 0.5f),
        offset(4, 0, 60, -1, 0.5f),
        offset(4, 0, 60, kNumParams, 0.5f),
        expression(5, 0, 60, NoteExpression::Tuning, nan),
        expression(5, 0, 60, NoteExpression::Volume, inf),
        expression(6, 0, 60, NoteExpression(kNumNoteExpressions), 0.5f),
        expression(6, 0, 60, NoteExpression(-1), 0.5f),
        expression(7, -1, -1, NoteExpression::Pressure, nan),
        expression(7, 0, 128, NoteExpression::Pressure, 0.9f),
        expression(7, 0, -2, NoteExpression::Pressure, 0.9f),
        expression(8, 0, 60, NoteExpression::Pan, nan),
    };
    EXPECT_EQ(play(pressed, {{0, 60}}, junk), play(pressed, {{0, 60}}));
}

} // namespace note_offset_tests
