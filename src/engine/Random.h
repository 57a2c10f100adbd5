// The engine's random integers: 0..32767 from the C library's generator of the calling thread,
// whatever range the library's own rand() has.
#pragma once

#include <cstdlib>

inline int randomInt15()
{
    if constexpr (RAND_MAX == 32767)
        return std::rand();
    else
        return (std::rand() >> 16) & 0x7fff; // the high bits are the better ones
}
