// Four-pole ladder lowpass with a saturating input, solved without a unit delay in the loop.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "DspMath.h"
#include "LadderStep.h"

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
            inOutL = channel(inOutL, prevInL, ladderL);
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
        inOutL = channel(inOutL, prevInL, ladderL);
        inOutR = channel(inOutR, prevInR, ladderR);
        for (int i = 0; i < 4; ++i) {
            flush(ladderL[i]);
            flush(ladderR[i]);
        }
    }

private:
    friend struct LadderLanes; // runs four units at once and keeps these as process would
    bool linked = false;       // both channels' states known to be bit-identical
    float derivedFor = -1.0f;  // the g the gains below were derived from
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

    static void flush(float& v) { v = flushTiny(v); }

    float channel(float x, float& prev, float* s) const
    {
        return ladderStep(x, prev, s, LadderGains<float>{g, k, outGain, cachedR, cachedG, cachedG2, cachedG4});
    }
};
