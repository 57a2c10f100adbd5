// The process call's contract, whatever the format: every frame of the block written with a
// finite sample within the clip level, and nothing written past the block. Buffers are filled
// with a marker before each call so that both faults show.
#pragma once

#include "ValidatorTest.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

constexpr float kUnwrittenMarker = -1234.5f;
constexpr int kGuardFrames = 16;

// Checks one channel: frames [0, frames) must be sound output, [frames, end) must still hold the
// marker. `where(frame)` names a frame for the message. Answers the channel's peak.
template <typename Sample>
float checkChannel(const Sample* samples, int frames, int end, float clip, const std::function<std::string(int)>& where)
{
    float peak = 0;
    for (int i = 0; i < end; ++i) {
        const double v = double(samples[i]);
        const bool unwritten = v == double(kUnwrittenMarker);
        if (i >= frames) {
            if (!unwritten)
                fail("the plug-in wrote past the end of the block: " + where(i));
            continue;
        }
        if (unwritten)
            fail("the plug-in left an output sample unwritten: " + where(i));
        if (!std::isfinite(v))
            fail(std::string(std::isnan(v) ? "NaN" : "infinite") + " output at " + where(i));
        if (std::fabs(v) > clip)
            fail("output " + std::to_string(v) + " above the clip level " + std::to_string(clip) + " at " + where(i));
        peak = std::max(peak, float(std::fabs(v)));
    }
    return peak;
}

// Renders blocks through `render` (which answers the block's peak) until the output stays below
// -80 dBFS for a second; fails after `seconds`.
inline void requireSilence(const std::function<float(int)>& render, int block, double rate, double seconds,
                           const std::string& after)
{
    const long limit = long(seconds * rate);
    const long quietNeeded = long(rate);
    long quietFor = 0;
    float peak = 0;
    for (long done = 0; done < limit; done += block) {
        peak = render(block);
        quietFor = peak < 1e-4f ? quietFor + block : 0;
        if (quietFor >= quietNeeded)
            return;
    }
    fail("still sounding " + std::to_string(int(seconds)) + " s after " + after + " (peak " + std::to_string(peak) +
         ")");
}
