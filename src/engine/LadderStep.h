// One sample of one ladder channel, written once for a single voice (float) and for four voices
// in vector lanes (FourFloats), so both run the same operations in the same order.
#pragma once

#include "FourLanes.h"

// The saturation's input is held within +-1e4: past that its Pade form has long reached its
// limit 1/15, and stopping there keeps u^4 from overflowing on wild input.
inline float limitSaturationInput(float u)
{
    return u > 1e4f ? 1e4f : (u < -1e4f ? -1e4f : u);
}

inline FourFloats limitSaturationInput(FourFloats u)
{
    return u > splat(1e4f) ? splat(1e4f) : (u < splat(-1e4f) ? splat(-1e4f) : u);
}

// The coefficients a channel step reads: g = tan(pi * cutoff), the feedback k, the make-up gain,
// and R = 1 / (1 + g), G = g * R, G2 = G^2, G4 = G^4.
template <typename T>
struct LadderGains {
    T g, k, outGain, R, G, G2, G4;
};

// Each sample depends on the last through the states, so the work is arranged for a short chain
// from one sample to the next: one division for the output instead of the saturation's and the
// feedback's in a row, the stage outputs as their input v times a power of G plus a part from the
// states computed alongside, and the last state (which the next saturation waits for) straight
// from the output. The saturation is tanh(u)/u by its Pade form num/den.
template <typename T>
T ladderStep(T x, T& prev, T* s, const LadderGains<T>& c)
{
    const T u = limitSaturationInput(0.5f * (x + prev) - c.k * s[3]);
    const T u2 = u * u;
    const T u4 = u2 * u2;
    const T num = u4 + 105.0f * u2 + 945.0f;
    const T den = 15.0f * u4 + 420.0f * u2 + 945.0f;
    prev = x;
    const T G = c.G, G2 = c.G2, R = c.R, k = c.k;
    const T G3 = G2 * G;
    const T fromStates = R * (s[3] + G * s[2] + G2 * s[1] + G3 * s[0]);
    const T c1 = R * s[0];
    const T c2 = G * c1 + R * s[1];
    const T c3 = G * c2 + R * s[2];
    const T G4num = c.G4 * num;
    const T y4 = (G4num * x + fromStates * den) / (den + k * G4num);
    const T sigma = num / den;
    const T g2 = 2.0f * c.g;
    const T G3sigma = G3 * sigma;
    const T s3Base = g2 * (G3sigma * x + c3) + s[3];
    const T s3Slope = g2 * (1.0f + k * G3sigma);
    const T v = sigma * (x - k * y4);
    const T y1 = G * v + c1;
    const T y2 = G2 * v + c2;
    const T y3 = G3 * v + c3;
    s[0] = g2 * (v - y1) + s[0];
    s[1] = g2 * (y1 - y2) + s[1];
    s[2] = g2 * (y2 - y3) + s[2];
    s[3] = s3Base - s3Slope * y4;
    return y4 * c.outGain;
}
