// Measuring tools for the engine tests: an independent double-precision FFT, single-frequency
// responses, and pitches by zero crossings and by spectral peaks.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
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
                const auto w = std::polar(1.0, -2.0 * std::numbers::pi * double(j) / double(len));
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
        sum += double(h[n]) * std::polar(1.0, -2.0 * std::numbers::pi * f * double(n));
    return std::abs(sum);
}

inline double dB(double ratio)
{
    return 20.0 * std::log10(ratio);
}

// The largest magnitude among the samples.
inline float peak(const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::max(p, std::fabs(v));
    return p;
}

// Frequency from rising zero crossings, interpolated between samples.
inline double zeroCrossingHz(const std::vector<float>& x, double rate)
{
    double first = -1.0, last = -1.0;
    int count = 0;
    for (size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double t = double(i - 1) + double(-x[i - 1]) / double(x[i] - x[i - 1]);
            if (first < 0.0)
                first = t;
            else
                ++count;
            last = t;
        }
    }
    return count > 0 ? rate * count / (last - first) : 0.0;
}

// The frequencies of the count loudest spectral peaks of the last power of two of samples under
// a Hann window, lowest first; each is placed between its bins by a parabola through the log
// magnitudes.
inline std::vector<double> spectralPeaks(const std::vector<float>& x, double rate, size_t count)
{
    size_t n = 1;
    while (n * 2 <= x.size())
        n *= 2;
    std::vector<std::complex<double>> bins(n);
    for (size_t i = 0; i < n; ++i)
        bins[i] = double(x[x.size() - n + i]) * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(n)));
    fft(bins);
    std::vector<std::pair<double, double>> peaks; // level, frequency
    for (size_t k = 2; k + 1 < n / 2; ++k) {
        const double a = std::abs(bins[k - 1]) + 1e-30, b = std::abs(bins[k]) + 1e-30,
                     c = std::abs(bins[k + 1]) + 1e-30;
        if (b > a && b >= c)
            peaks.emplace_back(b,
                               (double(k) + 0.5 * std::log(a / c) / (std::log(a) - 2.0 * std::log(b) + std::log(c))) *
                                   rate / double(n));
    }
    std::sort(peaks.rbegin(), peaks.rend());
    std::vector<double> found;
    for (size_t i = 0; i < peaks.size() && i < count; ++i)
        found.push_back(peaks[i].second);
    std::sort(found.begin(), found.end());
    return found;
}

// The frequency of a note number at A4 = 440 Hz.
inline double noteHz(double note)
{
    return 440.0 * std::exp2((note - 69.0) / 12.0);
}

} // namespace measure
