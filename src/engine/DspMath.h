// The small numeric rules every part of the engine shares: its constants, the flush of values
// too small to matter, and the clamps that also turn a damaged value (NaN) into silence.
#pragma once

#include <cmath>

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

// Below this a filter or smoother state is flushed to zero, so a decaying tail never turns into
// slow denormal arithmetic.
constexpr float kTinyMagnitude = 1e-20f;

inline float flushTiny(float v)
{
    return std::fabs(v) < kTinyMagnitude ? 0.0f : v;
}

// 0..1; NaN reads as 0.
inline float clamp01(float x)
{
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

// -1..1; NaN reads as 0.
inline float clampBipolar(float x)
{
    if (!(x == x))
        return 0.0f;
    return x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x);
}
