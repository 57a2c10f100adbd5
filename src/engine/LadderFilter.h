// Four-pole ladder lowpass with a saturating input, solved without a unit delay in the loop.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

struct LadderFilter {
    float g = 0.0f;       // integrator gain, tan(pi * cutoff)
    float k = 0.0f;       // feedback, 0..4.44
    float outGain = 0.0f; // makes up for the level the feedback takes away
    float prevInL = 0.0f;
    float prevInR = 0.0f;
    float ladderL[4] = {};
    float ladderR[4] = {};

    // One sample of both channels in place, with g, k and outGain already set.
    void process(float& inOutL, float& inOutR)
    {
        // The gains derived from g cost a divide; they only change when the cutoff does.
        if (g != derivedFor) {
            derivedFor = g;
            cachedR = 1.0f / (1.0f + g);
            cachedG = g * cachedR;
            cachedG2 = cachedG * cachedG;
            cachedG4 = cachedG2 * cachedG2;
        }
        // A centred mono source feeds both channels the same samples; while their states are
        // equal too, the right channel's result is the left one's, bit for bit.
        const bool sameInput = std::bit_cast<uint32_t>(inOutL) == std::bit_cast<uint32_t>(inOutR);
        if (sameInput && (linked || statesEqual())) {
            inOutL = channel(inOutL, prevInL, ladderL, cachedG, cachedG2, cachedG4, cachedR);
            for (int i = 0; i < 4; ++i) {
                flush(ladderL[i]);
                ladderR[i] = ladderL[i];
            }
            prevInR = prevInL;
            inOutR = inOutL;
            linked = true;
            return;
        }
        linked = false;
        inOutL = channel(inOutL, prevInL, ladderL, cachedG, cachedG2, cachedG4, cachedR);
        inOutR = channel(inOutR, prevInR, ladderR, cachedG, cachedG2, cachedG4, cachedR);
        for (int i = 0; i < 4; ++i) {
            flush(ladderL[i]);
            flush(ladderR[i]);
        }
    }

private:
    friend struct LadderLanes; // runs four units at once and keeps these as process would
    bool linked = false;      // both channels' states known to be bit-identical
    float derivedFor = -1.0f; // the g the gains below were derived from
    float cachedR = 1.0f, cachedG = 0.0f, cachedG2 = 0.0f, cachedG4 = 0.0f;

    bool statesEqual() const
    {
        if (std::bit_cast<uint32_t>(prevInL) != std::bit_cast<uint32_t>(prevInR))
            return false;
        for (int i = 0; i < 4; ++i)
            if (std::bit_cast<uint32_t>(ladderL[i]) != std::bit_cast<uint32_t>(ladderR[i]))
                return false;
        return true;
    }

    static void flush(float& v)
    {
        if (std::fabs(v) < 1e-20f)
            v = 0.0f;
    }

    // The saturation is tanh(u)/u by its Pade form num/den; past |u| = 1e4 the form has long
    // reached its limit 1/15, and stopping there keeps u^4 from overflowing on wild input.
    static void saturation(float u, float& num, float& den)
    {
        if (u > 1e4f)
            u = 1e4f;
        else if (u < -1e4f)
            u = -1e4f;
        const float u2 = u * u;
        const float u4 = u2 * u2;
        num = u4 + 105.0f * u2 + 945.0f;
        den = 15.0f * u4 + 420.0f * u2 + 945.0f;
    }

    // One sample of one channel. Each sample depends on the last through the states, so the
    // work is arranged for a short chain from one sample to the next: one division for the
    // output instead of the saturation's and the feedback's in a row, the stage outputs as
    // their input v times a power of G plus a part from the states computed alongside, and
    // the last state (which the next saturation waits for) straight from the output.
    float channel(float x, float& prev, float* s, float G, float G2, float G4, float R) const
    {
        float num, den;
        saturation(0.5f * (x + prev) - k * s[3], num, den);
        prev = x;
        const float G3 = G2 * G;
        const float fromStates = R * (s[3] + G * s[2] + G2 * s[1] + G3 * s[0]);
        const float c1 = R * s[0];
        const float c2 = G * c1 + R * s[1];
        const float c3 = G * c2 + R * s[2];
        const float G4num = G4 * num;
        const float y4 = (G4num * x + fromStates * den) / (den + k * G4num);
        const float sigma = num / den;
        const float g2 = 2.0f * g;
        const float G3sigma = G3 * sigma;
        const float s3Base = g2 * (G3sigma * x + c3) + s[3];
        const float s3Slope = g2 * (1.0f + k * G3sigma);
        const float v = sigma * (x - k * y4);
        const float y1 = G * v + c1;
        const float y2 = G2 * v + c2;
        const float y3 = G3 * v + c3;
        s[0] = g2 * (v - y1) + s[0];
        s[1] = g2 * (y1 - y2) + s[1];
        s[2] = g2 * (y2 - y3) + s[2];
        s[3] = s3Base - s3Slope * y4;
        return y4 * outGain;
    }
};
