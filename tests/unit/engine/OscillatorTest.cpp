#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <vector>

#include "support/SignalMeasure.h"
#include "engine/Oscillator.h"

namespace {

const WtCollection& tables44k()
{
    static const WtCollection wt = [] {
        WtCollection c;
        c.buildAll(44100.0f);
        return c;
    }();
    return wt;
}

Oscillator makeOsc(OscWaveform wave, float increment)
{
    Oscillator osc;
    osc.tables = &tables44k();
    osc.waveform = wave;
    osc.increment = increment;
    return osc;
}

std::vector<float> render(Oscillator& osc, size_t n, float width = 0.5f)
{
    std::vector<float> out(n);
    for (float& s : out)
        s = osc.nextSample(width);
    return out;
}

} // namespace

TEST(OscillatorPitch, SawAt440HzCompletes440CyclesPerSecond)
{
    Oscillator osc = makeOsc(OscWaveform::Sawtooth, 440.0f / 44100.0f);
    const auto out = render(osc, 44100 * 2);
    // The ramp crosses zero upward once per cycle, half way up.
    std::vector<double> crossings;
    for (size_t i = 1; i < out.size(); ++i)
        if (out[i - 1] < 0.0f && out[i] >= 0.0f && out[i] - out[i - 1] < 0.5f)
            crossings.push_back(double(i - 1) + out[i - 1] / (out[i - 1] - out[i]));
    ASSERT_EQ(crossings.size(), 880u);
    const double period = (crossings.back() - crossings.front()) / double(crossings.size() - 1);
    EXPECT_NEAR(44100.0 / period, 440.0, 0.05);
}

TEST(OscillatorPitch, EveryTableWaveformIsBandLimitedAtAHighNote)
{
    // An increment of 279/4096 makes the output repeat exactly every 4096 samples, so each
    // partial lands on one FFT bin; aliases would land on others.
    const int n = 4096;
    const int bin = 279; // about 3 kHz
    for (OscWaveform wave :
         {OscWaveform::Sawtooth, OscWaveform::Square, OscWaveform::Triangle, OscWaveform::Sine, OscWaveform::Organ}) {
        Oscillator osc = makeOsc(wave, float(bin) / float(n));
        const auto out = render(osc, n, 0.3f);
        const auto amp = measure::harmonicAmplitudes(out.data(), out.size());
        const double fundamental = amp[bin];
        ASSERT_GT(fundamental, 0.1) << int(wave);
        double worst = 0.0;
        for (size_t k = 1; k < amp.size(); ++k)
            if (k % bin != 0)
                worst = std::fmax(worst, amp[k]);
        EXPECT_LT(measure::dB(worst / fundamental), -60.0) << int(wave);
        // Nothing above Nyquist was folded back either: the partials stop below it.
        for (size_t k = 1; k * bin < amp.size(); ++k) {
            if (k * bin > size_t(n) * 20000 / 44100) {
                EXPECT_LT(amp[k * bin] / fundamental, 1e-3) << int(wave) << " partial " << k;
            }
        }
    }
}

TEST(OscillatorPulse, WidthSetsTheLevelsAndTheEndsAreSilent)
{
    // The saw's straight part spans -a..+a; a is a little below 1 because the band-limited
    // ramp overshoots at its jump and the table is normalized to its peak.
    const Wavetable& saw = tables44k().table(WtRowSaw, 2);
    const float a = 2.0f * saw.samples[size_t(3 * saw.length / 4)];
    ASSERT_GT(a, 0.8f);
    struct Case {
        float width, low, high;
    };
    // Low level -2aw for the first 1 - w of the cycle, 2a(1 - w) for the last w.
    for (Case c : {Case{0.5f, -a, a}, Case{0.25f, -0.5f * a, 1.5f * a}}) {
        Oscillator osc = makeOsc(OscWaveform::Square, 100.0f / 44100.0f);
        const auto out = render(osc, 44100, c.width);
        size_t nearLow = 0, nearHigh = 0;
        for (float s : out) {
            nearLow += std::fabs(s - c.low) < 0.12f;
            nearHigh += std::fabs(s - c.high) < 0.12f;
        }
        // Away from the edges' ripple the wave sits on its two levels in the width's ratio.
        EXPECT_NEAR(double(nearHigh) / double(out.size()), c.width, 0.05) << c.width;
        EXPECT_GT(double(nearLow + nearHigh) / double(out.size()), 0.9) << c.width;
        EXPECT_FLOAT_EQ(osc.pulseWidth, c.width);
    }
    for (float width : {0.0f, 1.0f}) {
        Oscillator osc = makeOsc(OscWaveform::Square, 440.0f / 44100.0f);
        for (float s : render(osc, 44100, width))
            ASSERT_LT(std::fabs(s), 1e-3f) << width;
    }
}

TEST(OscillatorPhase, PhaseStaysInsideTheCycleAtExtremeIncrements)
{
    for (float inc : {0.0f, 1e-9f, 0.49999f, 0.999999f, 1.0f}) {
        Oscillator osc = makeOsc(OscWaveform::Sawtooth, inc);
        osc.setStartPhase(0.99999994f);
        for (int i = 0; i < 10000; ++i) {
            const float s = osc.nextSample(0.5f);
            ASSERT_TRUE(std::isfinite(s) && std::fabs(s) < 1.01f) << inc;
            ASSERT_TRUE(osc.phase >= 0.0f && osc.phase < 1.0f) << inc;
        }
    }
}

TEST(OscillatorPhase, NoiseAndSilentCodesLeaveThePhaseAlone)
{
    for (int code : {0, 1, 6, 7, 8, 9, 12, -3}) {
        Oscillator osc = makeOsc(static_cast<OscWaveform>(code), 0.01f);
        osc.setStartPhase(0.3f);
        const auto out = render(osc, 1000);
        EXPECT_FLOAT_EQ(osc.phase, 0.3f) << code;
        if (code != 7 && code != 8) {
            for (float s : out)
                ASSERT_EQ(s, 0.0f) << code;
        }
    }
}

TEST(OscillatorPhase, UnbuiltTablesGiveSilenceNotACrash)
{
    WtCollection empty;
    Oscillator osc;
    osc.tables = &empty;
    osc.waveform = OscWaveform::Sawtooth;
    osc.increment = 0.01f;
    EXPECT_EQ(osc.nextSample(0.5f), 0.0f);
    osc.tables = nullptr;
    osc.waveform = OscWaveform::Square;
    EXPECT_EQ(osc.nextSample(0.5f), 0.0f);
}

TEST(OscillatorStart, SidePhasesFollowThePhaseParameterAndSubMode)
{
    Oscillator main, sub, copies[6];
    assignUnisonStartPhases(1, copies);
    for (Oscillator& c : copies)
        c.phase = 0.123f; // as if they had been playing
    startSidePhases(0.5f, SubAltMode::TriangleSine, main, sub, copies);
    EXPECT_FLOAT_EQ(main.phase, 0.5f);
    EXPECT_FLOAT_EQ(main.startPhase, 0.5f);
    EXPECT_FLOAT_EQ(sub.phase, 0.0f);
    for (int j = 0; j < 6; ++j)
        EXPECT_FLOAT_EQ(copies[j].phase, kUnisonStartPhase[1][j]);
    EXPECT_FLOAT_EQ(copies[5].phase, 0.24387f);

    startSidePhases(0.25f, SubAltMode::Off, main, sub, copies);
    EXPECT_FLOAT_EQ(sub.phase, 0.25f);
    EXPECT_FLOAT_EQ(sub.startPhase, 0.25f);
}

TEST(OscillatorStart, RandomPhaseDiffersPerNoteAndStaysInRange)
{
    std::srand(1234);
    Oscillator main, sub, copies[6];
    std::vector<float> phases;
    for (int note = 0; note < 200; ++note) {
        startSidePhases(1.0f, SubAltMode::Off, main, sub, copies);
        ASSERT_TRUE(main.phase >= 0.0f && main.phase < 1.0f);
        EXPECT_EQ(sub.phase, main.phase);
        phases.push_back(main.phase);
    }
    size_t changes = 0;
    for (size_t i = 1; i < phases.size(); ++i)
        changes += phases[i] != phases[i - 1];
    EXPECT_GT(changes, 190u);
}

TEST(OscillatorStart, OutOfRangePhaseValuesFoldIntoOneCycle)
{
    Oscillator osc;
    osc.setStartPhase(1.75f);
    EXPECT_NEAR(osc.phase, 0.75f, 1e-6f);
    osc.setStartPhase(-0.25f);
    EXPECT_NEAR(osc.phase, 0.75f, 1e-6f);
    osc.setStartPhase(std::nanf(""));
    EXPECT_EQ(osc.phase, 0.0f);
    osc.setStartPhase(INFINITY);
    EXPECT_EQ(osc.phase, 0.0f);
}

TEST(OscillatorNoise, WhiteStaysInRangeAndCoversIt)
{
    Oscillator osc = makeOsc(OscWaveform::White, 0.0f);
    float lo = 1.0f, hi = -1.0f;
    double sum = 0.0;
    for (int i = 0; i < 200000; ++i) {
        const float s = osc.nextSample(0.5f);
        ASSERT_GE(s, -0.99998f);
        ASSERT_LE(s, 1.0001f);
        lo = std::fmin(lo, s);
        hi = std::fmax(hi, s);
        sum += s;
    }
    EXPECT_LT(lo, -0.999f);
    EXPECT_GT(hi, 0.999f);
    EXPECT_NEAR(sum / 200000.0, 0.0, 0.01);
}

TEST(OscillatorNoise, PinkFallsAboutThreeDecibelsPerOctave)
{
    Oscillator osc = makeOsc(OscWaveform::Pink, 0.0f);
    const size_t seg = 4096;
    std::vector<double> power(seg / 2, 0.0);
    for (int s = 0; s < 64; ++s) {
        std::vector<std::complex<double>> x(seg);
        for (size_t i = 0; i < seg; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(seg));
            x[i] = w * osc.nextSample(0.5f);
        }
        measure::fft(x);
        for (size_t k = 0; k < seg / 2; ++k)
            power[k] += std::norm(x[k]);
    }
    auto bandDensity = [&](double f0) {
        const size_t k0 = size_t(f0 / 44100.0 * seg), k1 = size_t(2 * f0 / 44100.0 * seg);
        double sum = 0.0;
        for (size_t k = k0; k < k1; ++k)
            sum += power[k];
        return sum / double(k1 - k0);
    };
    for (double f = 50.0; f < 5000.0; f *= 2.0) {
        const double drop = 10.0 * std::log10(bandDensity(f) / bandDensity(2.0 * f));
        EXPECT_NEAR(drop, 3.0, 1.0) << "octave from " << f << " Hz";
    }
}
