// The ladder's per-sample step is arranged for speed (one division on the path from one sample
// to the next). It must stay within -100 dB of full scale of the straightforward form below,
// across cutoffs, resonances up to self-oscillation, hot input and a cutoff that moves every
// sample. (At the top cutoff with full resonance single precision itself is lost, in either
// form: both stray about -25 dB from the exact answer there, so no form is a reference.)
#include "engine/LadderFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// One channel, solved directly: the saturation as its own quotient, the output as a second.
struct PlainLadder {
    float g = 0.0f, k = 0.0f, outGain = 0.0f, prev = 0.0f;
    float s[4] = {};

    float process(float x)
    {
        const float R = 1.0f / (1.0f + g), G = g * R, G2 = G * G, G4 = G2 * G2;
        float u = std::clamp(0.5f * (x + prev) - k * s[3], -1e4f, 1e4f);
        const float u2 = u * u, u4 = u2 * u2;
        const float sigma = (u4 + 105.0f * u2 + 945.0f) / (15.0f * u4 + 420.0f * u2 + 945.0f);
        prev = x;
        const float G4s = G4 * sigma;
        const float y4 = (G4s * x + R * (s[3] + G * s[2] + G2 * s[1] + G2 * G * s[0])) / (1.0f + k * G4s);
        const float v = sigma * (x - k * y4);
        const float y1 = (g * v + s[0]) * R;
        const float y2 = (g * y1 + s[1]) * R;
        const float y3 = (g * y2 + s[2]) * R;
        s[0] = 2.0f * g * (v - y1) + s[0];
        s[1] = 2.0f * g * (y1 - y2) + s[1];
        s[2] = 2.0f * g * (y2 - y3) + s[2];
        s[3] = 2.0f * g * (y3 - y4) + s[3];
        for (float& state : s)
            if (std::fabs(state) < 1e-20f)
                state = 0.0f;
        return y4 * outGain;
    }
};

struct Scenario {
    const char* name;
    float cutoff;    // cycles per sample; the sweep ends an octave above
    float resonance; // 0..1
    float drive;     // input amplitude
    bool sweep;
};

TEST(LadderReference, StaysWithinMinus100DbOfThePlainFormEverywhere)
{
    const Scenario scenarios[] = {
        {"open, clean", 0.4f, 0.0f, 1.0f, false},      {"dark, resonant", 0.01f, 0.7f, 1.0f, false},
        {"mid, hot input", 0.05f, 0.5f, 8.0f, false},  {"self-oscillating", 0.03f, 1.0f, 1.0f, false},
        {"swept, resonant", 0.005f, 0.9f, 2.0f, true}, {"high, full", 0.4f, 1.0f, 1.0f, false},
    };
    for (const Scenario& sc : scenarios) {
        LadderFilter fast;
        PlainLadder plain;
        fast.k = plain.k = 4.4444447f * sc.resonance;
        fast.outGain = plain.outGain = 1.122018f + 2.5f * sc.resonance;
        uint32_t seed = 99;
        double worst = 0.0;
        for (int i = 0; i < 48000; ++i) {
            const float fc = sc.sweep ? sc.cutoff * std::exp2(float(i % 12000) / 12000.0f) : sc.cutoff;
            fast.g = plain.g = std::tan(3.14159265f * std::min(fc, 0.4999f));
            // A saw with some noise on the left; the right channel differs so both run alone.
            seed = seed * 1664525u + 1013904223u;
            const float noise = float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 23);
            const float x = sc.drive * (2.0f * std::fmod(float(i) * 0.0037f, 1.0f) - 1.0f + 0.2f * noise);
            float left = x, right = -0.5f * x;
            fast.process(left, right);
            worst = std::max(worst, std::fabs(double(left) - double(plain.process(x))));
        }
        EXPECT_LT(20.0 * std::log10(worst + 1e-30), -100.0) << sc.name;
    }
}

} // namespace
