// Starting instances the way a host does (create, set the rate, switch on) while another
// instance runs at the same rate, and the resident memory each one adds.
#include "formats/vst2/Plugin.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

AEffect* startInstance(float rate)
{
    AEffect* fx = createEffectInstance(host);
    fx->dispatcher(fx, effOpen, 0, 0, nullptr, 0.0f);
    fx->dispatcher(fx, effSetSampleRate, 0, 0, nullptr, rate);
    fx->dispatcher(fx, effMainsChanged, 0, 1, nullptr, 0.0f);
    return fx;
}

void closeInstance(AEffect* fx)
{
    fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
}

double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * 4096.0 / 1e6;
}

void BM_SecondInstanceStart(benchmark::State& state)
{
    AEffect* first = startInstance(48000.0f);
    for (auto _ : state) {
        AEffect* fx = startInstance(48000.0f);
        state.PauseTiming();
        closeInstance(fx);
        state.ResumeTiming();
    }
    closeInstance(first);
}
BENCHMARK(BM_SecondInstanceStart)->Unit(benchmark::kMillisecond);

void BM_MemoryPerInstance(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<AEffect*> running{startInstance(48000.0f)};
        const double before = residentMegabytes();
        for (int i = 0; i < 8; ++i)
            running.push_back(startInstance(48000.0f));
        state.counters["MB_per_instance"] = (residentMegabytes() - before) / 8.0;
        for (AEffect* fx : running)
            closeInstance(fx);
    }
}
BENCHMARK(BM_MemoryPerInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
