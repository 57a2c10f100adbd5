// tan(pi * x) for the filters' bilinear map, without the library call that cost more than the
// filters themselves while a modulated cutoff moves every sample.
#pragma once

// sin(pi * y) for y in [0, 0.5]: its Taylor series to the 11th power, whose first dropped term
// is below 6e-8 there.
inline float sinPiHalfRange(float y)
{
    const float y2 = y * y;
    float p = -0.0073704309f;  // -pi^11 / 11!
    p = p * y2 + 0.082145887f; //  pi^9 / 9!
    p = p * y2 - 0.59926453f;  // -pi^7 / 7!
    p = p * y2 + 2.5501640f;   //  pi^5 / 5!
    p = p * y2 - 5.1677128f;   // -pi^3 / 3!
    p = p * y2 + 3.14159265f;  //  pi
    return p * y;
}

// x in [0, 0.5). The cosine is taken as the sine of 0.5 - x, which is exact in floating point
// for x above 0.25, so the result keeps its relative accuracy up to the pole.
inline float tanPi(float x)
{
    return sinPiHalfRange(x) / sinPiHalfRange(0.5f - x);
}
