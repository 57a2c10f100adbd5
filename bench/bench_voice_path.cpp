// Cost of the voice signal path per voice-sample: the default program, and a heavy patch (two
// saws with six unison copies each, subs, ladder and state-variable filters in series, all 24
// modulation slots busy, delay and reverb on) on 32 voices; and the cost of an idle engine.
#include "engine/VoiceManager.h"
#include "params/CodeTables.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <memory>

namespace {

struct NullWriter : ParameterWriter {
    void writeParameter(int, float) override {}
};

struct Rig {
    Rig()
    {
        engine.bind(writer, programs, midiMap, ignoreVelocity, tempo);
        engine.setEngineSampleRate(44100.0f);
    }
    void set(int index, float value) { programs.current().set(index, value); }
    ProgramStore programs;
    MidiMap midiMap;
    std::atomic<bool> ignoreVelocity{false};
    TempoInfo tempo;
    NullWriter writer;
    VoiceManager engine;
};

void makeHeavy(Rig& rig)
{
    const float saw = codeStoredValue(CodeKind::OscWave, int(OscWaveform::Sawtooth));
    rig.set(Param::Poly, 1.0f);
    for (int k = 0; k < 2; ++k) {
        rig.set(Param::Osc1Wave + k, saw);
        rig.set(Param::Osc1Vol + k, 0.4f);
        rig.set(Param::Osc1Det + k, 0.4f);
        rig.set(Param::Osc1DtVo + k, 1.0f);
        rig.set(Param::Osc1DtSp + k, 0.8f);
        rig.set(Param::Osc1DtMx + k, 0.6f);
        rig.set(Param::Osc1Sub + k, k == 0 ? 1.0f : 0.0f);
    }
    rig.set(Param::FltType, codeStoredValue(CodeKind::FilterType, int(FilterType::Lowpass24)));
    rig.set(Param::Flt2Type, codeStoredValue(CodeKind::FilterType, int(FilterType::Bandstop)));
    rig.set(Param::FltCut, 0.7f);
    rig.set(Param::FltRes, 0.3f);
    rig.set(Param::Flt2Cut, 0.5f);
    rig.set(Param::FltKey, 0.5f);
    rig.set(Param::DlyMix, 0.3f);
    rig.set(Param::RvbMix, 0.3f);
    for (int n = 0; n < 4; ++n) {
        rig.set(Param::Lfo1Wave + n, codeStoredValue(CodeKind::LfoWave, int(LfoWaveform::Sine)));
        rig.set(Param::Lfo1Rate + n, 0.2f + 0.1f * float(n));
    }
    const ModSource sources[] = {ModSource::Lfo1, ModSource::Lfo2, ModSource::Lfo3,     ModSource::Lfo4,
                                 ModSource::Env3, ModSource::Env4, ModSource::Velocity, ModSource::ModWheel};
    const ModTarget targets[] = {ModTarget::Osc1Tune, ModTarget::Osc2PW,     ModTarget::Filter1Cut,
                                 ModTarget::Osc1Pan,  ModTarget::Filter2Cut, ModTarget::Osc2Vol,
                                 ModTarget::OscXVol,  ModTarget::Filter1Res, ModTarget::Osc1Sub,
                                 ModTarget::Osc2Fine, ModTarget::Osc1PW,     ModTarget::Lfo1Rate};
    for (int slot = 0; slot < kNumModSlots; ++slot) {
        rig.set(Param::modAmount(slot + 1), 0.5f + 0.02f * float(slot % 5 + 1));
        rig.set(Param::modSource(slot + 1), codeStoredValue(CodeKind::ModSource, int(sources[slot % 8])));
        rig.set(Param::modTarget(slot + 1), codeStoredValue(CodeKind::ModTarget, int(targets[slot % 12])));
    }
}

void holdNotes(Rig& rig, int count)
{
    for (int n = 0; n < count; ++n) {
        MidiMessage on{MidiNoteOn, 0, 0, 36 + n * 2, 100};
        rig.engine.processNote(on);
    }
}

// The voices in runs of frames, as the plug-in renders them.
void renderVoices(benchmark::State& state, Rig& rig, int voices)
{
    constexpr int kBlock = 256;
    float sink = 0.0f;
    float left[kBlock], right[kBlock];
    for (auto _ : state) {
        rig.engine.renderBlock(left, right, kBlock);
        for (int i = 0; i < kBlock; ++i)
            sink += left[i] + right[i];
        rig.engine.clearEventQueue();
    }
    benchmark::DoNotOptimize(sink);
    if (int(std::popcount(rig.engine.soundingVoices())) != voices)
        state.SkipWithError("voices stopped sounding");
    state.SetItemsProcessed(state.iterations() * kBlock * voices);
    state.counters["ns_per_voice_sample"] = benchmark::Counter(
        double(state.iterations()) * kBlock * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The default program: one saw through the ladder, held notes.
void BM_DefaultProgram(benchmark::State& state)
{
    auto rig = std::make_unique<Rig>();
    const int voices = int(state.range(0));
    holdNotes(*rig, voices);
    renderVoices(state, *rig, voices);
}
BENCHMARK(BM_DefaultProgram)->Arg(8);

void BM_HeavyPatch(benchmark::State& state)
{
    auto rig = std::make_unique<Rig>();
    makeHeavy(*rig);
    const int voices = int(state.range(0));
    holdNotes(*rig, voices);
    renderVoices(state, *rig, voices);
}
BENCHMARK(BM_HeavyPatch)->Arg(32);

// No note, delay and reverb mixed in and long decayed: what each idle instance in a song costs.
void BM_Idle(benchmark::State& state)
{
    auto rig = std::make_unique<Rig>();
    rig->set(Param::DlyMix, 0.3f);
    rig->set(Param::RvbMix, 0.3f);
    constexpr int kBlock = 256;
    float left[kBlock], right[kBlock];
    for (auto _ : state) {
        rig->engine.renderBlock(left, right, kBlock);
        benchmark::DoNotOptimize(left[0]);
    }
    state.counters["ns_per_frame"] = benchmark::Counter(double(state.iterations()) * kBlock,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Idle);

// The modulation matrix alone: one full evaluation of 24 busy slots.
void BM_ModMatrix(benchmark::State& state)
{
    auto rig = std::make_unique<Rig>();
    makeHeavy(*rig);
    ModSourceValues sources;
    for (int i = 0; i < kNumModSources; ++i)
        sources.value[i] = 0.1f * float(i % 7);
    ModBlock block;
    for (auto _ : state) {
        evaluateModMatrix(rig->programs, sources, block);
        benchmark::DoNotOptimize(block.modSums[1]);
    }
}
BENCHMARK(BM_ModMatrix);

} // namespace
