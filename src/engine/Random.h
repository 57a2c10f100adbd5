// The engine's random integers, 0..32767. Note starts draw from the C library's generator;
// every noise source and random LFO has a generator of its own, seeded from it when its voice
// starts a note, so a voice's draws never depend on what other voices draw and voices can
// render in blocks.
#pragma once

#include <cstdint>
#include <cstdlib>

inline int randomInt15()
{
    if constexpr (RAND_MAX == 32767)
        return std::rand();
    else
        return (std::rand() >> 16) & 0x7fff; // the high bits are the better ones
}

// A linear congruential generator (the classic C library constants), of which only the high
// bits are used.
struct RandomSource {
    uint32_t state = 1;

    void seed(uint32_t value) { state = value; }
    // Seeds from the C library's generator: thirty bits, so sources seeded one after the other
    // start far apart.
    void seedFromLibrary() { state = uint32_t(randomInt15()) << 15 ^ uint32_t(randomInt15()); }

    int next15()
    {
        state = state * 1103515245u + 12345u;
        return int(state >> 16) & 0x7fff;
    }
};
