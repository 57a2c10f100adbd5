// Two-pole Butterworth highpass or lowpass (bilinear transform) on one wet output of the delay.
// The coefficients follow the cutoff only every 128 calls: the cutoff is smoothed, so the
// step between refreshes is inaudible and the tangent stays off the per-sample path.
#pragma once

#include <cmath>
#include <cstdint>

#include "DspMath.h"

struct DelayToneFilter {
    static constexpr int32_t kRefreshPeriod = 128;

    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    int32_t calls = 0;

    // k = tan(pi * cutoff / sampleRate), with the cutoff below Nyquist.
    void setHighpass(float k)
    {
        const float d = 1.41421356f;
        b0 = 1.0f / (1.0f + d * k + k * k);
        b1 = -2.0f * b0;
        b2 = b0;
        a1 = 2.0f * (k * k - 1.0f) * b0;
        a2 = (1.0f - d * k + k * k) * b0;
    }

    void setLowpass(float k)
    {
        const float d = 1.41421356f;
        const float c = 1.0f / k;
        b0 = 1.0f / (1.0f + d * c + c * c);
        b1 = 2.0f * b0;
        b2 = b0;
        a1 = 2.0f * (1.0f - c * c) * b0;
        a2 = (1.0f - d * c + c * c) * b0;
    }

    // Returns true on the calls that must refresh the coefficients before filtering.
    bool due()
    {
        const bool refresh = calls == 0;
        if (++calls >= kRefreshPeriod)
            calls = 0;
        return refresh;
    }

    float run(float x)
    {
        const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        x1 = flushTiny(x1);
        x2 = flushTiny(x2);
        y1 = flushTiny(y1);
        y2 = flushTiny(y2);
        return y;
    }

    // The refresh phase after `frames` calls of due(); true when one of them was due.
    bool skip(int32_t frames)
    {
        const bool refresh = calls == 0 || frames > kRefreshPeriod - calls;
        calls = static_cast<int32_t>((static_cast<int64_t>(calls) + frames) % kRefreshPeriod);
        return refresh;
    }

    bool holdsLessThan(float floor) const
    {
        return std::fabs(x1) < floor && std::fabs(x2) < floor && std::fabs(y1) < floor && std::fabs(y2) < floor;
    }

    // Forgets the signal (the coefficients and refresh phase stay).
    void clearState() { x1 = x2 = y1 = y2 = 0.0f; }
};
