// Four voices' ladder filters run side by side in lanes: loaded from the units at the start of
// a segment, stepped frame by frame, stored back. Each lane does what LadderFilter::process
// and FilterControl::applyLadder do for its unit, operation for operation.
#pragma once

#include "FourLanes.h"
#include "LadderFilter.h"
#include "LadderStep.h"

struct LadderLanes {
    FourFloats g{}, k{}, outGain{};
    FourFloats derivedFor{}, R{}, G{}, G2{}, G4{};
    FourFloats prevL{}, prevR{};
    FourFloats sL[4]{}, sR[4]{};

    // Units past count leave their lanes idle at zero.
    void load(LadderFilter* const* units, int count)
    {
        for (int v = 0; v < count; ++v) {
            const LadderFilter& u = *units[v];
            g[v] = u.g, k[v] = u.k, outGain[v] = u.outGain;
            derivedFor[v] = u.derivedFor, R[v] = u.cachedR, G[v] = u.cachedG, G2[v] = u.cachedG2, G4[v] = u.cachedG4;
            prevL[v] = u.prevInL, prevR[v] = u.prevInR;
            for (int i = 0; i < 4; ++i)
                sL[i][v] = u.ladderL[i], sR[i][v] = u.ladderR[i];
        }
        updateDerived();
    }

    void store(LadderFilter* const* units, int count) const
    {
        for (int v = 0; v < count; ++v) {
            LadderFilter& u = *units[v];
            u.g = g[v], u.k = k[v], u.outGain = outGain[v];
            u.derivedFor = derivedFor[v], u.cachedR = R[v], u.cachedG = G[v], u.cachedG2 = G2[v], u.cachedG4 = G4[v];
            u.prevInL = prevL[v], u.prevInR = prevR[v];
            for (int i = 0; i < 4; ++i)
                u.ladderL[i] = sL[i][v], u.ladderR[i] = sR[i][v];
            u.linked = linked;
        }
    }

    // New coefficients in the lanes of recompute, from tan(pi * cutoff) and the resonance.
    void setCoefficients(FourMasks recompute, FourFloats tanOfCutoff, FourFloats r)
    {
        g = select(recompute, tanOfCutoff, g);
        outGain = select(recompute, 1.122018f + 2.5f * r, outGain);
        k = select(recompute, 4.4444447f * r, k);
        updateDerived();
    }

    // A centred mono source feeds both channels the same samples; while every lane's states
    // are equal too, the right channel's result is the left one's, bit for bit.
    void process(FourFloats& left, FourFloats& right)
    {
        if (allLanes(sameBits(left, right)) && (linked || statesEqual())) {
            left = channel(left, prevL, sL);
            for (int i = 0; i < 4; ++i) {
                sL[i] = flushTiny(sL[i]);
                sR[i] = sL[i];
            }
            prevR = prevL;
            right = left;
            linked = true;
            return;
        }
        linked = false;
        left = channel(left, prevL, sL);
        right = channel(right, prevR, sR);
        for (int i = 0; i < 4; ++i) {
            sL[i] = flushTiny(sL[i]);
            sR[i] = flushTiny(sR[i]);
        }
    }

private:
    bool linked = false; // both channels' states bit-identical in every lane

    bool statesEqual() const
    {
        FourMasks same = sameBits(prevL, prevR);
        for (int i = 0; i < 4; ++i)
            same &= sameBits(sL[i], sR[i]);
        return allLanes(same);
    }

    // The divide only in lanes whose g moved away from the one the gains were derived from.
    void updateDerived()
    {
        const FourMasks moved = g != derivedFor;
        const FourFloats newR = 1.0f / (1.0f + g);
        const FourFloats newG = g * newR;
        const FourFloats newG2 = newG * newG;
        derivedFor = select(moved, g, derivedFor);
        R = select(moved, newR, R);
        G = select(moved, newG, G);
        G2 = select(moved, newG2, G2);
        G4 = select(moved, newG2 * newG2, G4);
    }

    FourFloats channel(FourFloats x, FourFloats& prev, FourFloats* s) const
    {
        return ladderStep(x, prev, s, LadderGains<FourFloats>{g, k, outGain, R, G, G2, G4});
    }
};
