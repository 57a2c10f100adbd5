// Four voices' state-variable filters run side by side in lanes: loaded from the units at the
// start of a segment, stepped frame by frame, stored back. Each lane does what
// StateVariableFilter::setCoefficientsFromTan and process do for its unit, operation for
// operation, in that unit's response.
#pragma once

#include "FourLanes.h"
#include "StateVariableFilter.h"
#include "SvfStep.h"

struct SvfLanes : SvfCore<FourFloats> {
    // The lanes' response: the mix weights it sets, with m1 = -k where bandMixIsK.
    FourFloats mode0{}, mode1{}, mode2{};
    FourMasks bandMixIsK{};

    // Units past count leave their lanes idle at zero.
    void load(StateVariableFilter* const* units, const int32_t* modes, int count)
    {
        fresh = false; // until a unit has coefficients not yet flushed
        for (int v = 0; v < count; ++v) {
            const StateVariableFilter& u = *units[v];
            a1[v] = u.a1, a2[v] = u.a2, a3[v] = u.a3, m0[v] = u.m0, m1[v] = u.m1, m2[v] = u.m2;
            bandL[v] = u.bandL, lowL[v] = u.lowL, bandR[v] = u.bandR, lowR[v] = u.lowR;
            ic1L[v] = u.ic1L, ic2L[v] = u.ic2L, ic1R[v] = u.ic1R, ic2R[v] = u.ic2R;
            fresh = fresh || u.fresh;
            setMode(v, modes[v]);
        }
    }

    // Call after at least one process.
    void store(StateVariableFilter* const* units, int count) const
    {
        for (int v = 0; v < count; ++v) {
            StateVariableFilter& u = *units[v];
            u.a1 = a1[v], u.a2 = a2[v], u.a3 = a3[v], u.m0 = m0[v], u.m1 = m1[v], u.m2 = m2[v];
            u.bandL = bandL[v], u.lowL = lowL[v], u.bandR = bandR[v], u.lowR = lowR[v];
            u.ic1L = ic1L[v], u.ic2L = ic2L[v], u.ic1R = ic1R[v], u.ic2R = ic2R[v];
            u.fresh = false;
        }
    }

    // New coefficients in the lanes of recompute, from tan(pi * cutoff) and the resonance.
    void setCoefficients(FourMasks recompute, FourFloats g, FourFloats resonance)
    {
        const FourFloats q = 9.5f * resonance * resonance + 0.5f;
        const FourFloats k = 1.0f / q;
        const FourFloats newA1 = 1.0f / (g * (g + k) + 1.0f);
        const FourFloats newA2 = g * newA1;
        a1 = select(recompute, newA1, a1);
        a2 = select(recompute, newA2, a2);
        a3 = select(recompute, g * newA2, a3);
        m0 = select(recompute, mode0, m0);
        m1 = select(recompute, select(bandMixIsK, -k, mode1), m1);
        m2 = select(recompute, mode2, m2);
        fresh = true;
    }

private:
    void setMode(int lane, int32_t mode)
    {
        const bool lowOrBand = mode == SvfLowpass || mode == SvfBandpass;
        bandMixIsK[lane] = lowOrBand ? 0 : -1;
        mode0[lane] = lowOrBand ? 0.0f : 1.0f;
        mode1[lane] = mode == SvfBandpass ? 1.0f : 0.0f;
        switch (mode) {
        case SvfLowpass:
            mode2[lane] = 1.0f;
            break;
        case SvfHighpass:
            mode2[lane] = -1.0f;
            break;
        case SvfBandpass:
        case SvfNotch:
            mode2[lane] = 0.0f;
            break;
        default:
            mode2[lane] = -2.0f;
            break;
        }
    }
};
