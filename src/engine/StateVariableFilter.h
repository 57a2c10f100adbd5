// Two-pole trapezoidal state-variable filter with five responses mixed from its outputs.
#pragma once

#include <cmath>

#include "TanPi.h"

enum SvfMode : int {
    SvfLowpass = 0,
    SvfHighpass = 1,
    SvfBandpass = 2,
    SvfNotch = 3,
    SvfPeak = 4,
};

struct StateVariableFilter {
    float a1 = 0.0f;
    float a2 = 0.0f;
    float a3 = 0.0f;
    float m0 = 0.0f;
    float m1 = 0.0f;
    float m2 = 0.0f;
    float bandL = 0.0f;
    float lowL = 0.0f;
    float bandR = 0.0f;
    float lowR = 0.0f;
    float ic1L = 0.0f;
    float ic2L = 0.0f;
    float ic1R = 0.0f;
    float ic2R = 0.0f;

    // cutoff in cycles per sample (below 0.5), resonance 0..1 (Q 0.5..10).
    void setCoefficients(float cutoff, float resonance, int mode)
    {
        setCoefficientsFromTan(tanPi(cutoff), resonance, mode);
    }

    // The same with g = tan(pi * cutoff) already taken.
    void setCoefficientsFromTan(float g, float resonance, int mode)
    {
        const float q = 9.5f * resonance * resonance + 0.5f;
        const float k = 1.0f / q;
        a1 = 1.0f / (g * (g + k) + 1.0f);
        a2 = g * a1;
        a3 = g * a2;
        fresh = true;
        switch (mode) {
        case SvfLowpass:
            m0 = 0.0f, m1 = 0.0f, m2 = 1.0f;
            break;
        case SvfHighpass:
            m0 = 1.0f, m1 = -k, m2 = -1.0f;
            break;
        case SvfBandpass:
            m0 = 0.0f, m1 = 1.0f, m2 = 0.0f;
            break;
        case SvfNotch:
            m0 = 1.0f, m1 = -k, m2 = 0.0f;
            break;
        default: // peak: lowpass minus highpass
            m0 = 1.0f, m1 = -k, m2 = -2.0f;
            break;
        }
    }

    // One sample of both channels in place.
    void process(float& inOutL, float& inOutR)
    {
        const float xL = inOutL;
        const float xR = inOutR;
        integrate(xL, ic1L, ic2L, bandL, lowL);
        integrate(xR, ic1R, ic2R, bandR, lowR);
        // Silence decays into the denormal range; zero it instead of paying for it.
        if (fresh) {
            // Coefficients only change in setCoefficients; flushing them once is enough.
            flush(a1), flush(a2), flush(a3), flush(m0), flush(m1), flush(m2);
            fresh = false;
        }
        flush(bandL), flush(lowL), flush(bandR), flush(lowR);
        flush(ic1L), flush(ic2L), flush(ic1R), flush(ic2R);
        inOutL = m0 * xL + m1 * bandL + m2 * lowL;
        inOutR = m0 * xR + m1 * bandR + m2 * lowR;
    }

private:
    friend struct SvfLanes; // runs four units at once and keeps these as process would
    bool fresh = true; // coefficients set since the last sample

    static void flush(float& v)
    {
        if (std::fabs(v) < 1e-20f)
            v = 0.0f;
    }

    void integrate(float x, float& ic1, float& ic2, float& band, float& low) const
    {
        const float diff = x - ic2;
        band = a1 * ic1 + a2 * diff;
        low = ic2 + a2 * ic1 + a3 * diff;
        ic1 = 2.0f * band - ic1;
        ic2 = 2.0f * low - ic2;
    }
};
