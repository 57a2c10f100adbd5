// A state-variable filter's coefficients, states and per-sample step, written once for one voice
// (float) and for four voices in vector lanes (FourFloats), so both run the same operations in
// the same order.
#pragma once

#include "DspMath.h"
#include "FourLanes.h"

template <typename T>
struct SvfCore {
    T a1{}, a2{}, a3{}, m0{}, m1{}, m2{};
    T bandL{}, lowL{}, bandR{}, lowR{};
    T ic1L{}, ic2L{}, ic1R{}, ic2R{};
    bool fresh = true; // coefficients set since the last sample

    // One sample of both channels in place.
    void process(T& left, T& right)
    {
        const T xL = left;
        const T xR = right;
        integrate(xL, ic1L, ic2L, bandL, lowL);
        integrate(xR, ic1R, ic2R, bandR, lowR);
        // Silence decays into the denormal range; zero it instead of paying for it. Coefficients
        // only change when set, so flushing them once is enough (and flushing them again leaves
        // them as they are).
        if (fresh) {
            a1 = flushTiny(a1), a2 = flushTiny(a2), a3 = flushTiny(a3);
            m0 = flushTiny(m0), m1 = flushTiny(m1), m2 = flushTiny(m2);
            fresh = false;
        }
        bandL = flushTiny(bandL), lowL = flushTiny(lowL), bandR = flushTiny(bandR), lowR = flushTiny(lowR);
        ic1L = flushTiny(ic1L), ic2L = flushTiny(ic2L), ic1R = flushTiny(ic1R), ic2R = flushTiny(ic2R);
        left = m0 * xL + m1 * bandL + m2 * lowL;
        right = m0 * xR + m1 * bandR + m2 * lowR;
    }

private:
    void integrate(T x, T& ic1, T& ic2, T& band, T& low) const
    {
        const T diff = x - ic2;
        band = a1 * ic1 + a2 * diff;
        low = ic2 + a2 * ic1 + a3 * diff;
        ic1 = 2.0f * band - ic1;
        ic2 = 2.0f * low - ic2;
    }
};
