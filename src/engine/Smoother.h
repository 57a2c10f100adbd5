// One-pole control smoother: glides a value toward its target with a time constant, and can be
// told to take the next target at once (after a sample-rate change or a reset).
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "DspMath.h"

struct Smoother {
    float timeMs = 40.0f;
    float a = 0.0f;
    float b = 1.0f;
    float value = 0.0f;
    bool jump = true;

    void setSampleRate(float sampleRate)
    {
        a = std::exp(-kTwoPi / (sampleRate * timeMs * 0.001f));
        b = 1.0f - a;
        jump = true;
    }

    float step(float target)
    {
        // Once a step leaves the value bit-for-bit unchanged, every further step toward the
        // same target would too; skipping them saves the multiply-add on settled controls.
        const uint32_t targetBits = std::bit_cast<uint32_t>(target);
        if (targetBits == settledTarget && !jump)
            return value;
        const float before = value;
        const bool jumped = jump;
        if (jump) {
            value = target;
            jump = false;
        } else {
            value = a * value + b * target;
        }
        value = flushTiny(value);
        const bool settled = !jumped && std::bit_cast<uint32_t>(value) == std::bit_cast<uint32_t>(before);
        settledTarget = settled ? uint64_t(targetBits) : kUnsettled;
        return value;
    }

    // count steps toward one target, their values into out; once settled the rest is a fill.
    void stepRun(float target, float* out, int count)
    {
        int i = 0;
        while (i < count && !settledOn(target))
            out[i++] = step(target);
        std::fill(out + i, out + (count > i ? count : i), value);
    }

    // True when a step toward this target would return the value unchanged (and so would every
    // further one).
    bool settledOn(float target) const { return !jump && std::bit_cast<uint32_t>(target) == settledTarget; }

    // For steps toward target taken outside step (side by side with other smoothers): whether
    // the last of them left the value unchanged, which step would have found out itself.
    void noteLastStep(float target, bool leftUnchanged)
    {
        settledTarget = leftUnchanged ? uint64_t(std::bit_cast<uint32_t>(target)) : kUnsettled;
    }

private:
    // The target (as bits) the value has settled on, or a key no target can match.
    static constexpr uint64_t kUnsettled = uint64_t(1) << 32;
    uint64_t settledTarget = kUnsettled;
};
