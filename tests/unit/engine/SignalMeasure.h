// Measuring tools for the engine tests: an independent double-precision FFT and single-frequency
// responses.
#pragma once

#include <cmath>
#include <complex>
#include <vector>

namespace measure {

inline void fft(std::vector<std::complex<double>>& x)
{
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        for (size_t i = 0; i < n; i += len)
            for (size_t j = 0; j < len / 2; ++j) {
                const auto w = std::polar(1.0, -2.0 * M_PI * double(j) / double(len));
                const auto u = x[i + j];
                const auto v = x[i + j + len / 2] * w;
                x[i + j] = u + v;
                x[i + j + len / 2] = u - v;
            }
    }
}

// Amplitude of each harmonic of one cycle held in samples (sine amplitude, 0 = DC).
inline std::vector<double> harmonicAmplitudes(const float* samples, size_t n)
{
    std::vector<std::complex<double>> x(samples, samples + n);
    fft(x);
    std::vector<double> amp(n / 2);
    for (size_t k = 0; k < n / 2; ++k)
        amp[k] = std::abs(x[k]) * (k == 0 ? 1.0 : 2.0) / double(n);
    return amp;
}

// Magnitude of a response (e.g. an impulse response) at frequency f cycles per sample.
inline double magnitudeAt(const std::vector<float>& h, double f)
{
    std::complex<double> sum = 0.0;
    for (size_t n = 0; n < h.size(); ++n)
        sum += double(h[n]) * std::polar(1.0, -2.0 * M_PI * f * double(n));
    return std::abs(sum);
}

inline double dB(double ratio)
{
    return 20.0 * std::log10(ratio);
}

} // namespace measure
