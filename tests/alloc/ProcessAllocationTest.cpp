// Process calls allocate nothing once the engine has warmed up. This program replaces the global
// allocation functions, so it runs apart from the other tests.
#include "formats/clap/ClapPlugin.h"
#include "unit/plugin/PluginEventTestSupport.h"
#include "formats/lv2/Lv2Plugin.h"
#include "formats/lv2/Lv2PortValues.h"
#include "formats/standalone/StandaloneInstrument.h"

#include <lv2/atom/forge.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

// The replaced operator new takes its memory from malloc, so free is its match; GCC cannot see
// that through the replacement.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// Fifty blocks to warm up (tables, queues), then the allocations of 350 more; block(n) returns
// what its own calls allocated.
template <typename Block>
long allocationsOnceWarm(Block block)
{
    for (int n = 0; n < 50; ++n)
        block(n);
    long total = 0;
    for (int n = 50; n < 400; ++n)
        total += block(n);
    return total;
}

TEST(ProcessAllocation, BusyPatchWithNotesEffectsAndAutomationAllocatesNothing)
{
    auto plugin = std::make_unique<TestPlugin>();
    plugin->setSampleRate(44100.0f);
    plugin->resume();
    ProgramRecord& p = plugin->programStore().current();
    p.set(Param::Osc1Det, 0.5f);
    p.set(Param::Osc1DtVo, 1.0f);
    p.set(Param::Osc2Wave, 0.02f);
    p.set(Param::Flt2Type, 0.03f);
    p.set(Param::Lfo1Wave, 0.07f);
    p.set(Param::Lfo1Rate, 0.5f);
    p.set(Param::DlyMix, 0.3f);
    p.set(Param::RvbMix, 0.3f);
    p.set(Param::Poly, 1.0f);
    std::vector<float> l(256), r(256);
    float* out[2] = {l.data(), r.data()};

    auto block = [&](int n) {
        HostEventList events;
        events.add(0, 0x90, 40 + n % 40, 100);
        events.add(50, 0xE0, 0, n % 128);
        events.add(100, 0xB0, 1, n % 128);
        events.add(200, 0x80, 40 + (n + 30) % 40, 0);
        VstEvents* list = events.list(); // the host's memory, made before the calls
        const long before = allocations.load();
        plugin->processEvents(list);
        p.set(Param::FltCut, float(n % 100) / 100.0f);
        plugin->processReplacing(nullptr, out, 256);
        return allocations.load() - before;
    };
    EXPECT_EQ(allocationsOnceWarm(block), 0);
}

// The CLAP build's block: notes with ids, parameter values, per-note modulation and expressions
// in, note ends out.
TEST(ProcessAllocation, ClapBlocksWithPerNoteEventsAllocateNothing)
{
    static const clap_plugin_descriptor_t descriptor{CLAP_VERSION, "a", "a", "", "", "", "", "", "", nullptr};
    static const clap_host_t host{CLAP_VERSION, nullptr, "a", "", "", "1",
                                  [](const clap_host_t*, const char*) -> const void* { return nullptr; },
                                  nullptr, nullptr, nullptr};
    auto* plugin = new ClapPlugin(&host, &descriptor);
    plugin->init();
    plugin->activate(44100.0, 256);
    struct Events {
        clap_event_note_t on, off;
        clap_event_param_value_t value;
        clap_event_param_mod_t mod;
        clap_event_note_expression_t expression;
        const clap_event_header_t* list[5];
    } e{};
    e.list[0] = &e.on.header;
    e.list[1] = &e.value.header;
    e.list[2] = &e.mod.header;
    e.list[3] = &e.expression.header;
    e.list[4] = &e.off.header;
    clap_input_events_t in{&e, [](const clap_input_events_t*) { return uint32_t(5); },
                           [](const clap_input_events_t* l, uint32_t i) { return static_cast<Events*>(l->ctx)->list[i]; }};
    clap_output_events_t out{nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
    std::vector<float> l(256), r(256);
    float* channels[2] = {l.data(), r.data()};
    clap_audio_buffer_t buffer{channels, nullptr, 2, 0, 0};
    clap_process_t process{-1, 256, nullptr, nullptr, &buffer, 0, 1, &in, &out};
    auto block = [&](int n) {
        const int16_t key = int16_t(40 + n % 40);
        e.on = {{sizeof e.on, 0, 0, CLAP_EVENT_NOTE_ON, 0}, n, 0, 0, key, 0.8};
        e.value = {{sizeof e.value, 10, 0, CLAP_EVENT_PARAM_VALUE, 0}, Param::FltCut, nullptr, -1, -1, -1, -1, n % 100 / 100.0};
        e.mod = {{sizeof e.mod, 20, 0, CLAP_EVENT_PARAM_MOD, 0}, Param::FltRes, nullptr, n, -1, -1, -1, 0.2};
        e.expression = {{sizeof e.expression, 30, 0, CLAP_EVENT_NOTE_EXPRESSION, 0}, CLAP_NOTE_EXPRESSION_TUNING, n, -1, -1, -1, 0.5};
        e.off = {{sizeof e.off, 200, 0, CLAP_EVENT_NOTE_OFF, 0}, n - 30, 0, 0, int16_t(40 + (n + 10) % 40), 0.0};
        const long before = allocations.load();
        plugin->process(process);
        return allocations.load() - before;
    };
    EXPECT_EQ(allocationsOnceWarm(block), 0);
    plugin->plugin()->destroy(plugin->plugin());
}

// The LV2 build's run: MIDI, the tempo and a rename in its event port, ports the host moves, and
// the notify port answered.
TEST(ProcessAllocation, Lv2RunWithNotesTempoPortsAndMessagesAllocatesNothing)
{
    static std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{nullptr, [](LV2_URID_Map_Handle, const char* uri) {
                         return ids.emplace(uri, LV2_URID(ids.size() + 1)).first->second;
                     }};
    const LV2_URID midiEvent = map.map(nullptr, LV2_MIDI__MidiEvent);
    auto plugin = std::make_unique<Lv2Plugin>(44100.0, map, nullptr);
    std::vector<float> controls(kNumParams), l(256), r(256);
    for (int i = 0; i < kNumParams; ++i) {
        float port = 0.0f;
        lv2PortFromValue(i, kParamTable[i].defaultValue, port);
        controls[size_t(i)] = port;
        plugin->connectPort(uint32_t(i), &controls[size_t(i)]);
    }
    controls[Param::DlyMix] = controls[Param::RvbMix] = 0.3f;
    std::vector<uint64_t> events(512), notify(512);
    plugin->connectPort(lv2port::kEvents, events.data());
    plugin->connectPort(lv2port::kNotify, notify.data());
    plugin->connectPort(lv2port::kLeft, l.data());
    plugin->connectPort(lv2port::kRight, r.data());
    plugin->activate();
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &map);
    const Lv2Urids uris(map);

    auto block = [&](int n) {
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(events.data()), events.size() * 8);
        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        const uint8_t notes[][3] = {{0x90, uint8_t(40 + n % 40), 100}, {0xE0, 0, uint8_t(n % 128)},
                                    {0x80, uint8_t(40 + (n + 30) % 40), 0}};
        for (int e = 0; e < 3; ++e) {
            lv2_atom_forge_frame_time(&forge, e * 100);
            lv2_atom_forge_atom(&forge, 3, midiEvent);
            lv2_atom_forge_write(&forge, notes[e], 3);
        }
        lv2_atom_forge_frame_time(&forge, 200);
        forgeProgramName(forge, uris, n % 2 ? "Odd" : "Even");
        lv2_atom_forge_pop(&forge, &sequence);
        reinterpret_cast<LV2_Atom*>(notify.data())->size = uint32_t(notify.size() * 8 - sizeof(LV2_Atom));
        controls[Param::FltCut] = float(n % 100) / 100.0f;
        controls[Param::Osc2Wave] = float(n % 12);
        const long before = allocations.load();
        plugin->run(256);
        return allocations.load() - before;
    };
    EXPECT_EQ(allocationsOnceWarm(block), 0);
}

// The program's audio callback: JACK MIDI at frames, messages from the MIDI input thread and
// the computer keyboard, a parameter moved in the window, and the xrun count.
TEST(ProcessAllocation, StandaloneAudioCallbackWithMidiFromEveryThreadAllocatesNothing)
{
    auto instrument = std::make_unique<StandaloneInstrument>();
    std::string error;
    instrument->startSession({}, error);
    instrument->prepare(48000.0f, 256);
    std::vector<float> l(256), r(256);
    auto block = [&](int n) {
        const long before = allocations.load();
        const uint8_t on[] = {0x90, uint8_t(40 + n % 40), 100}, off[] = {0x80, uint8_t(40 + (n + 30) % 40), 0};
        const uint8_t bend[] = {0xE0, 0, uint8_t(n % 128)};
        instrument->queueMidi(10, on, 3);
        instrument->queueMidi(200, off, 3);
        instrument->postMidi(bend, 3);
        instrument->editorKey("zsxdcv"[n % 6], 0, 0, n % 2 == 0);
        instrument->instrument().setParameter(Param::FltCut, float(n % 100) / 100.0f);
        instrument->countXrun();
        instrument->render(l.data(), r.data(), 256);
        return allocations.load() - before;
    };
    EXPECT_EQ(allocationsOnceWarm(block), 0);
}

} // namespace
