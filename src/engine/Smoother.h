// One-pole control smoother: glides a value toward its target with a time constant, and can be
// told to take the next target at once (after a sample-rate change or a reset).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

struct Smoother {
    float timeMs = 40.0f;
    float a = 0.0f;
    float b = 1.0f;
    float value = 0.0f;
    bool jump = true;

    void setSampleRate(float sampleRate)
    {
        a = std::exp(-2.0f * 3.14159265358979f / (sampleRate * timeMs * 0.001f));
        b = 1.0f - a;
        jump = true;
    }

    float step(float target)
    {
        // Once a step leaves the value bit-for-bit unchanged, every further step toward the
        // same target would too; skipping them saves the multiply-add on settled controls.
        const uint32_t targetBits = std::bit_cast<uint32_t>(target);
        if (settled && !jump && targetBits == settledTarget)
            return value;
        const float before = value;
        const bool jumped = jump;
        if (jump) {
            value = target;
            jump = false;
        } else {
            value = a * value + b * target;
        }
        if (std::fabs(value) < 1e-20f)
            value = 0.0f;
        settled = !jumped && std::bit_cast<uint32_t>(value) == std::bit_cast<uint32_t>(before);
        settledTarget = targetBits;
        return value;
    }

private:
    uint32_t settledTarget = 0;
    bool settled = false;
};
