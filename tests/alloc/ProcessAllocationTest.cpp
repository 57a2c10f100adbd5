// Process calls allocate nothing once the engine has warmed up. This program replaces the global
// allocation functions, so it runs apart from the other tests.
#include "unit/plugin/PluginEventTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

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
    for (int n = 0; n < 50; ++n)
        block(n);
    long total = 0;
    for (int n = 50; n < 400; ++n)
        total += block(n);
    EXPECT_EQ(total, 0);
}

} // namespace
