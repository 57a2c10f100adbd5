// The CLAP adapter driven in-process as a host would: events at their frames, the editor's edits
// reported back without echoing the host's own changes, the state, and voice tracking.
#include "formats/clap/ClapPlugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const clap_plugin_descriptor_t kDescriptor{CLAP_VERSION, "test", "test", "", "", "", "", "", "", nullptr};

struct ClapRig {
    static constexpr int kFrames = 512;

    clap_host_t host{CLAP_VERSION, nullptr, "test", "", "", "1", [](const clap_host_t*, const char*) -> const void* {
                         return nullptr;
                     }, nullptr, nullptr, nullptr};
    ClapPlugin* plugin = new ClapPlugin(&host, &kDescriptor);
    std::vector<std::vector<uint8_t>> in;
    std::vector<std::vector<uint8_t>> out;
    std::vector<float> left = std::vector<float>(kFrames), right = std::vector<float>(kFrames);

    ClapRig()
    {
        plugin->init();
        plugin->activate(48000.0, kFrames);
    }
    ~ClapRig() { plugin->plugin()->destroy(plugin->plugin()); }

    template <typename Event>
    void send(const Event& event)
    {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&event);
        in.emplace_back(bytes, bytes + sizeof event);
    }
    void note(uint16_t type, uint32_t time, int key, int32_t id)
    {
        clap_event_note_t event{{sizeof event, time, 0, type, 0}, id, 0, 0, int16_t(key), 0.8};
        send(event);
    }
    void modulate(uint32_t time, int index, int32_t noteId, int key, double amount)
    {
        clap_event_param_mod_t event{{sizeof event, time, 0, CLAP_EVENT_PARAM_MOD, 0}, clap_id(index), nullptr, noteId,
                                     -1, -1, int16_t(key), amount};
        send(event);
    }
    void value(uint32_t time, int index, double value)
    {
        clap_event_param_value_t event{{sizeof event, time, 0, CLAP_EVENT_PARAM_VALUE, 0}, clap_id(index), nullptr, -1,
                                       -1, -1, -1, value};
        send(event);
    }
    // One block with the queued events; out holds what the plug-in sent back.
    void process()
    {
        clap_input_events_t list{this, [](const clap_input_events_t* l) {
                                     return uint32_t(static_cast<ClapRig*>(l->ctx)->in.size());
                                 },
                                 [](const clap_input_events_t* l, uint32_t i) {
                                     return reinterpret_cast<const clap_event_header_t*>(
                                         static_cast<ClapRig*>(l->ctx)->in[i].data());
                                 }};
        clap_output_events_t sink{this, [](const clap_output_events_t* l, const clap_event_header_t* e) {
                                      const auto* bytes = reinterpret_cast<const uint8_t*>(e);
                                      static_cast<ClapRig*>(l->ctx)->out.emplace_back(bytes, bytes + e->size);
                                      return true;
                                  }};
        float* channels[2] = {left.data(), right.data()};
        clap_audio_buffer_t buffer{channels, nullptr, 2, 0, 0};
        clap_process_t block{-1, kFrames, nullptr, nullptr, &buffer, 0, 1, &list, &sink};
        out.clear();
        plugin->process(block);
        in.clear();
    }
    std::vector<uint16_t> outTypes() const
    {
        std::vector<uint16_t> types;
        for (const auto& event : out)
            types.push_back(reinterpret_cast<const clap_event_header_t*>(event.data())->type);
        return types;
    }
};

} // namespace

TEST(ClapPlugin, ParameterEventsTakeEffectAtTheirFrame)
{
    ClapRig plain, changed;
    for (ClapRig* rig : {&plain, &changed}) {
        rig->note(CLAP_EVENT_NOTE_ON, 0, 60, 1);
        rig->process();
    }
    constexpr uint32_t at = 300;
    changed.value(at, Param::Volume, 0.0);
    plain.process();
    changed.process();
    for (uint32_t i = 0; i < at; ++i)
        ASSERT_EQ(plain.left[i], changed.left[i]) << "frame " << i;
    EXPECT_NE(plain.left[ClapRig::kFrames - 1], changed.left[ClapRig::kFrames - 1]);
    EXPECT_EQ(changed.plugin->instrument().parameter(Param::Volume), 0.0f);
}

// Two held notes; what a cutoff modulation of one note id changes is that note's own sound:
// the pair's output moves exactly as much as the note's output alone does.
TEST(ClapPlugin, ModulatingOneNotesCutoffChangesOnlyThatNote)
{
    constexpr int kBlocks = 8;
    auto play = [](std::vector<int> keys, bool modulated) {
        ClapRig rig;
        for (size_t n = 0; n < keys.size(); ++n)
            rig.note(CLAP_EVENT_NOTE_ON, 0, keys[n], int32_t(100 + keys[n]));
        if (modulated)
            rig.modulate(0, Param::FltCut, 100 + 67, -1, -0.35);
        std::vector<float> out;
        for (int block = 0; block < kBlocks; ++block) {
            rig.process();
            out.insert(out.end(), rig.left.begin(), rig.left.end());
        }
        return out;
    };
    const std::vector<float> pair = play({60, 67}, false), pairModulated = play({60, 67}, true);
    const std::vector<float> alone = play({67}, false), aloneModulated = play({67}, true);
    double change = 0.0;
    for (size_t i = 0; i < pair.size(); ++i) {
        ASSERT_NEAR(pairModulated[i] - pair[i], aloneModulated[i] - alone[i], 1e-5) << "frame " << i;
        change += std::fabs(aloneModulated[i] - alone[i]);
    }
    EXPECT_GT(change / double(pair.size()), 1e-3) << "the modulation must be heard";
    EXPECT_EQ(play({60}, true), play({60}, false)) << "an id no note has changes nothing";
}

// A pressure expression for one note id is that voice's Poly Pressure; MIDI in the MPE dialect
// bends the voice of its member channel alone.
TEST(ClapPlugin, PressureExpressionsAndMpeMidiReachTheirOwnVoice)
{
    ClapRig rig;
    rig.note(CLAP_EVENT_NOTE_ON, 0, 60, 160);
    rig.note(CLAP_EVENT_NOTE_ON, 0, 67, 167);
    clap_event_note_expression_t pressure{};
    pressure.header = {sizeof pressure, 0, 0, CLAP_EVENT_NOTE_EXPRESSION, 0};
    pressure.expression_id = CLAP_NOTE_EXPRESSION_PRESSURE;
    pressure.note_id = 167;
    pressure.port_index = pressure.channel = pressure.key = -1;
    pressure.value = 0.6;
    rig.send(pressure);
    rig.process();
    const VoiceManager& engine = rig.plugin->instrument().engine();
    for (int v = 0; v < 2; ++v)
        EXPECT_FLOAT_EQ(engine.voice(v).played.pressure, engine.voice(v).note.note == 67 ? 0.6f : 0.0f);

    const uint8_t midi[][3] = {{0xB0, 101, 0}, {0xB0, 100, 6}, {0xB0, 6, 15}, {0xE3, 0, 68}, {0x93, 72, 100}};
    for (const auto& bytes : midi)
        rig.send(clap_event_midi_t{
            {sizeof(clap_event_midi_t), 0, 0, CLAP_EVENT_MIDI, 0}, 0, {bytes[0], bytes[1], bytes[2]}});
    rig.process();
    for (int v = 0; v < 3; ++v)
        EXPECT_FLOAT_EQ(engine.voice(v).played.bend, engine.voice(v).note.note == 72 ? 3.0f : 0.0f) << v;
}

TEST(ClapPlugin, EditorEditsReachTheHostAndTheHostsOwnChangesAreNotEchoed)
{
    ClapRig rig;
    rig.value(0, Param::Osc1Vol, 0.25); // the host's own change
    rig.process();
    EXPECT_TRUE(rig.out.empty());
    InstrumentCore& core = rig.plugin->instrument();
    core.parameterGesture(Param::FltCut, true);
    core.editParameter(Param::FltCut, 0.4f);
    core.parameterGesture(Param::FltCut, false);
    core.editParameter(kNumParams + 3, 0.4f); // a command tag is not a parameter
    rig.process();
    const std::vector<uint16_t> expected{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                         CLAP_EVENT_PARAM_GESTURE_END};
    ASSERT_EQ(rig.outTypes(), expected);
    const auto& value = *reinterpret_cast<const clap_event_param_value_t*>(rig.out[1].data());
    EXPECT_EQ(value.param_id, clap_id(Param::FltCut));
    EXPECT_FLOAT_EQ(float(value.value), 0.4f);
    EXPECT_EQ(value.note_id, -1);
}

TEST(ClapPlugin, EveryNoteEndsWithItsIdOnceItsVoiceFallsSilent)
{
    ClapRig rig;
    rig.note(CLAP_EVENT_NOTE_ON, 10, 60, 41);
    rig.note(CLAP_EVENT_NOTE_ON, 20, 64, 42);
    rig.process();
    EXPECT_TRUE(rig.out.empty());
    rig.note(CLAP_EVENT_NOTE_OFF, 0, -1, -1); // every key
    std::vector<int32_t> ended;
    for (int block = 0; block < 2000 && ended.size() < 2; ++block) {
        rig.process();
        for (const auto& event : rig.out) {
            const auto& note = *reinterpret_cast<const clap_event_note_t*>(event.data());
            ASSERT_EQ(note.header.type, CLAP_EVENT_NOTE_END);
            ended.push_back(note.note_id);
            EXPECT_EQ(note.key, note.note_id == 41 ? 60 : 64);
        }
    }
    std::sort(ended.begin(), ended.end());
    EXPECT_EQ(ended, (std::vector<int32_t>{41, 42}));
}

TEST(ClapPlugin, HostileEventsAreIgnored)
{
    ClapRig rig;
    rig.value(5, kNumParams, 0.5);           // no such parameter
    rig.value(6, Param::Osc1Vol, NAN);       // not a number
    rig.value(7, Param::Osc1Vol, INFINITY);  // nor infinite
    rig.note(CLAP_EVENT_NOTE_ON, 9, 200, 3); // no such key
    rig.note(CLAP_EVENT_NOTE_ON, 9999, 60, 4); // past the block
    clap_event_header_t tooShort{sizeof(clap_event_header_t), 0, 0, CLAP_EVENT_PARAM_VALUE, 0};
    rig.send(tooShort);
    const float before = rig.plugin->instrument().parameter(Param::Osc1Vol);
    rig.process();
    EXPECT_EQ(rig.plugin->instrument().parameter(Param::Osc1Vol), before);
    for (float sample : rig.left)
        ASSERT_TRUE(std::isfinite(sample));
}
