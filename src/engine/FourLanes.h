// Four voices side by side in one SSE register (SSE2 is all the plug-in asks of a processor).
// Lane arithmetic is the same IEEE single-precision arithmetic as the scalar code, lane by
// lane, so code written with these types matches its scalar form bit for bit.
#pragma once

#include <cstdint>
#include <xmmintrin.h>

#include "DspMath.h"

using FourFloats = float __attribute__((vector_size(16)));
using FourMasks = int32_t __attribute__((vector_size(16))); // all bits set where true

inline FourFloats splat(float x)
{
    return FourFloats{x, x, x, x};
}

inline FourFloats select(FourMasks where, FourFloats yes, FourFloats no)
{
    return where ? yes : no;
}

inline bool allLanes(FourMasks where)
{
    return _mm_movemask_ps(__m128(where)) == 0xf;
}

// Lane by lane whether a and b hold the same bits.
inline FourMasks sameBits(FourFloats a, FourFloats b)
{
    return FourMasks(a) == FourMasks(b);
}

// Values below kTinyMagnitude to zero, as the scalar filters' flush does (NaN stays).
inline FourFloats flushTiny(FourFloats v)
{
    const FourFloats magnitude = (FourFloats)((FourMasks)v & 0x7fffffff);
    return magnitude < splat(kTinyMagnitude) ? splat(0.0f) : v;
}

// One frame of four voices' buffers in lanes and back.
inline FourFloats gatherLanes(const float* const* buffers, int frame)
{
    return FourFloats{buffers[0][frame], buffers[1][frame], buffers[2][frame], buffers[3][frame]};
}

inline void scatterLanes(FourFloats x, float* const* buffers, int frame)
{
    for (int lane = 0; lane < 4; ++lane)
        buffers[lane][frame] = x[lane];
}

inline FourMasks gatherFlags(const bool* const* flags, int frame)
{
    return FourMasks{-int32_t(flags[0][frame]), -int32_t(flags[1][frame]), -int32_t(flags[2][frame]),
                     -int32_t(flags[3][frame])};
}
