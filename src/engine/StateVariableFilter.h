// Two-pole trapezoidal state-variable filter with five responses mixed from its outputs.
#pragma once

#include "SvfStep.h"
#include "TanPi.h"

enum SvfMode : int {
    SvfLowpass = 0,
    SvfHighpass = 1,
    SvfBandpass = 2,
    SvfNotch = 3,
    SvfPeak = 4,
};

struct StateVariableFilter : SvfCore<float> {
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
};
