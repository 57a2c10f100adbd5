#include "Fft.h"

#include "DspMath.h"

#include <cmath>
#include <utility>

void fftForward(float* re, float* im, int n)
{
    // Bit-reversal permutation.
    for (int i = 1, j = 0; i < n; ++i) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }

    for (int half = 1; half < n; half <<= 1) {
        // Twiddles e^(-i*pi*j/half), advanced by one complex multiplication per step.
        const float stepRe = std::cos(kPi / static_cast<float>(half));
        const float stepIm = -std::sin(kPi / static_cast<float>(half));
        float wRe = 1.0f;
        float wIm = 0.0f;
        for (int j = 0; j < half; ++j) {
            for (int p = j; p < n; p += 2 * half) {
                const int q = p + half;
                const float tRe = re[q] * wRe - im[q] * wIm;
                const float tIm = re[q] * wIm + im[q] * wRe;
                re[q] = re[p] - tRe;
                im[q] = im[p] - tIm;
                re[p] += tRe;
                im[p] += tIm;
            }
            const float nextRe = wRe * stepRe - wIm * stepIm;
            wIm = wRe * stepIm + wIm * stepRe;
            wRe = nextRe;
        }
    }
}
