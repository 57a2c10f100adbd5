// Four lanes in one SSE register (SSE2 is all the plug-in asks of a processor): four voices,
// four unison copies, four smoothers or four LFOs side by side. Every lane loop of the engine
// speaks this vocabulary; lane arithmetic is the same IEEE single-precision arithmetic as the
// scalar code, lane by lane, so code written with these types matches its scalar form bit for bit.
#pragma once

#include <cstdint>
#include <emmintrin.h>

#include "DspMath.h"

using FourFloats = float __attribute__((vector_size(16)));
using FourMasks = int32_t __attribute__((vector_size(16))); // all bits set where true

inline FourFloats splat(float x)
{
    return FourFloats{x, x, x, x};
}

inline FourMasks splatMask(int32_t x)
{
    return FourMasks{x, x, x, x};
}

inline FourFloats loadFour(const float* p)
{
    return FourFloats(_mm_loadu_ps(p));
}

inline void storeFour(float* p, FourFloats v)
{
    _mm_storeu_ps(p, __m128(v));
}

inline FourFloats select(FourMasks where, FourFloats yes, FourFloats no)
{
    return where ? yes : no;
}

inline bool allLanes(FourMasks where)
{
    return _mm_movemask_ps(__m128(where)) == 0xf;
}

inline bool anyLane(FourMasks where)
{
    return _mm_movemask_ps(__m128(where)) != 0;
}

// Rows become columns: lane j of row i trades places with lane i of row j.
inline void transposeFour(FourFloats* rows)
{
    __m128 r0 = __m128(rows[0]), r1 = __m128(rows[1]), r2 = __m128(rows[2]), r3 = __m128(rows[3]);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    rows[0] = FourFloats(r0), rows[1] = FourFloats(r1), rows[2] = FourFloats(r2), rows[3] = FourFloats(r3);
}

// Four linear interpolations in tables of a power-of-two length: lane i reads tables[i] at x[i]
// (an index and its fraction; the index wrapped by mask[i]), as interpolateTable does. Each read
// takes a sample and its successor in one load, since every table ends with a copy of its first
// sample.
[[gnu::always_inline]] inline FourFloats interpolatePairs(const float* const* tables, FourFloats x, FourMasks mask)
{
    const FourMasks index = __builtin_convertvector(x, FourMasks);
    const FourFloats f = x - __builtin_convertvector(index, FourFloats);
    const FourMasks at = index & mask;
    auto pair = [&](int lane) { return reinterpret_cast<const __m64*>(tables[lane] + at[lane]); };
    const __m128 pair01 = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(0)), pair(1));
    const __m128 pair23 = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(2)), pair(3));
    const FourFloats a = FourFloats(_mm_shuffle_ps(pair01, pair23, _MM_SHUFFLE(2, 0, 2, 0)));
    const FourFloats b = FourFloats(_mm_shuffle_ps(pair01, pair23, _MM_SHUFFLE(3, 1, 3, 1)));
    return a + (b - a) * f;
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
