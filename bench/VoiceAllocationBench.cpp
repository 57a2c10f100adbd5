// Cost of note handling and of the per-frame MIDI dispatch with a full engine.
#include "engine/VoiceManager.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct NullWriter : ParameterWriter {
    void writeParameter(int, float) override {}
};

struct Rig {
    Rig()
    {
        engine.bind(writer, programs, midiMap, ignoreVelocity, tempo);
        programs.current().set(Param::Poly, 1.0f);
        engine.setEngineSampleRate(44100.0f);
    }
    ProgramStore programs;
    MidiMap midiMap;
    std::atomic<bool> ignoreVelocity{false};
    TempoInfo tempo;
    NullWriter writer;
    VoiceManager engine;
};

// A note-on that has to steal among 32 held voices, then its note-off.
void BM_NoteOnOffWithAllVoicesBusy(benchmark::State& state)
{
    auto rig = std::make_unique<Rig>();
    MidiMessage on{MidiNoteOn, 0, 0, 0, 100};
    for (int n = 0; n < 32; ++n) {
        on.data1 = n;
        rig->engine.processNote(on);
    }
    int note = 32;
    for (auto _ : state) {
        on.kind = MidiNoteOn;
        on.data1 = note;
        on.data2 = 100;
        rig->engine.processNote(on);
        on.kind = MidiNoteOff;
        on.data2 = 0;
        rig->engine.processNote(on);
        note = note == 127 ? 32 : note + 1;
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_NoteOnOffWithAllVoicesBusy);

// A 64-frame block carrying the given number of events, rendered frame by frame.
void BM_BlockDispatch(benchmark::State& state)
{
    auto rig = std::make_unique<Rig>();
    std::vector<MidiInputEvent> events;
    for (int i = 0; i < state.range(0); ++i)
        events.push_back({int32_t(i * 64 / state.range(0)), uint8_t(i % 2 ? 0x80 : 0x90), uint8_t(40 + i % 40), 100});
    for (auto _ : state) {
        rig->engine.queueEvents(events);
        float left = 0.0f, right = 0.0f;
        for (int f = 0; f < 64; ++f)
            rig->engine.renderFrames(&left, &right, 64, f, 1);
        rig->engine.clearEventQueue();
        benchmark::DoNotOptimize(left);
    }
    state.SetItemsProcessed(state.iterations() * 64);
}
BENCHMARK(BM_BlockDispatch)->Arg(0)->Arg(16)->Arg(256);

} // namespace
