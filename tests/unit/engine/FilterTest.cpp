#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <vector>

#include "support/SignalMeasure.h"
#include "engine/FilterControl.h"

namespace {

constexpr float kFilterRate = 44100.0f;

using cplx = std::complex<double>;

// The analogue two-pole responses the state-variable filter models, at normalized s.
cplx svfPrototype(int mode, cplx s, double q)
{
    const cplx d = s * s + s / q + 1.0;
    switch (mode) {
    case SvfLowpass:
        return 1.0 / d;
    case SvfHighpass:
        return s * s / d;
    case SvfBandpass:
        return s / d;
    case SvfNotch:
        return (s * s + 1.0) / d;
    default:
        return (1.0 - s * s) / d;
    }
}

std::vector<float> svfImpulseResponse(float fc, float r, int mode, size_t n)
{
    StateVariableFilter svf;
    std::vector<float> h(n);
    for (size_t i = 0; i < n; ++i) {
        svf.setCoefficients(fc, r, mode);
        float l = i == 0 ? 1.0f : 0.0f, rr = 0.0f;
        svf.process(l, rr);
        EXPECT_EQ(rr, 0.0f); // channels are independent
        h[i] = l;
    }
    return h;
}

std::vector<float> ladderImpulseResponse(float fc, float k, float gain, float amplitude, size_t n)
{
    LadderFilter ladder;
    ladder.g = std::tan(float(M_PI) * fc);
    ladder.k = k;
    ladder.outGain = gain;
    std::vector<float> h(n);
    for (size_t i = 0; i < n; ++i) {
        float l = i == 0 ? amplitude : 0.0f, r = 0.0f;
        ladder.process(l, r);
        h[i] = l / amplitude;
    }
    return h;
}

// Drives a unit through its control law for n samples of a given input.
struct Rig {
    FilterUnit unit;
    FilterControl control;
    Rig(FilterType type)
    {
        unit.setType(type);
        control.setSampleRate(kFilterRate);
    }
    float run(float in, float cutoff, float res, float key = 0.0f, float semis = 0.0f)
    {
        float l = in, r = in;
        control.process(unit, l, r, cutoff, 0.0f, res, 0.0f, key, semis, kFilterRate);
        return l;
    }
};

} // namespace

TEST(StateVariableFilter, EveryResponseMatchesItsAnaloguePrototype)
{
    const double fc = 1000.0 / kFilterRate;
    const double freqs[] = {100.0, 500.0, 900.0, 1000.0, 1100.0, 2000.0, 5000.0};
    for (int mode = 0; mode <= 4; ++mode)
        for (float r : {0.0f, 0.5f, 1.0f}) {
            const double q = 9.5 * r * r + 0.5;
            const auto h = svfImpulseResponse(float(fc), r, mode, 16384);
            for (double f : freqs) {
                const double measured = measure::magnitudeAt(h, f / kFilterRate);
                // The trapezoidal integrators map the analogue filter through the bilinear
                // transform, pre-warped at the cutoff.
                const double warped = std::tan(M_PI * f / kFilterRate) / std::tan(M_PI * fc);
                const double exact = std::abs(svfPrototype(mode, cplx(0.0, warped), q));
                const double plain = std::abs(svfPrototype(mode, cplx(0.0, f / 1000.0), q));
                if (exact > 0.01) {
                    EXPECT_NEAR(measure::dB(measured), measure::dB(exact), 0.05)
                        << "mode " << mode << " r " << r << " at " << f << " Hz";
                    EXPECT_NEAR(measure::dB(measured), measure::dB(plain), 1.0)
                        << "mode " << mode << " r " << r << " at " << f << " Hz";
                } else {
                    EXPECT_LT(measured, 0.01) << "mode " << mode << " at " << f << " Hz";
                }
            }
        }
}

TEST(StateVariableFilter, ResonanceRunsFromQHalfToQTen)
{
    const float fc = 2000.0f / kFilterRate;
    EXPECT_NEAR(measure::magnitudeAt(svfImpulseResponse(fc, 0.0f, SvfBandpass, 8192), fc), 0.5, 0.005);
    EXPECT_NEAR(measure::magnitudeAt(svfImpulseResponse(fc, 1.0f, SvfBandpass, 16384), fc), 10.0, 0.05);
}

// The filters' tan replacement: within 4e-7 of the exact value relative to it, from the lowest
// cutoff up to the highest the filters use, and rising all the way (a cutoff sweep never jumps back).
TEST(TanPi, RelativeErrorBelowFourTenMillionthsAndMonotonic)
{
    double worst = 0.0;
    float previous = 0.0f;
    for (int i = 1; i <= 499900; ++i) {
        const float x = float(i) * 1e-6f;
        const float t = tanPi(x);
        worst = std::max(worst, std::fabs(double(t) / std::tan(M_PI * double(x)) - 1.0));
        ASSERT_GE(t, previous) << "at " << x;
        previous = t;
    }
    EXPECT_LT(worst, 4e-7);
    EXPECT_EQ(tanPi(0.0f), 0.0f);
}

TEST(LadderFilter, WithoutFeedbackItIsAFourPoleLowpassWithItsMakeUpGain)
{
    const double fc = 200.0 / kFilterRate;
    const auto h = ladderImpulseResponse(float(fc), 0.0f, 1.122018f, 1e-3f, 32768);
    for (double f : {10.0, 200.0, 1000.0, 2000.0, 4000.0}) {
        const double w = std::tan(M_PI * f / kFilterRate) / std::tan(M_PI * fc);
        const double exact = 1.122018 / std::pow(std::abs(cplx(1.0, w)), 4);
        EXPECT_NEAR(measure::dB(measure::magnitudeAt(h, f / kFilterRate)), measure::dB(exact), 0.05) << f << " Hz";
    }
    // About 24 dB per octave well above the cutoff.
    const double slope = measure::dB(measure::magnitudeAt(h, 1000.0 / kFilterRate) / measure::magnitudeAt(h, 2000.0 / kFilterRate));
    EXPECT_NEAR(slope, 24.0, 1.0);
    EXPECT_NEAR(measure::magnitudeAt(h, 0.0), 1.122018, 1e-3);
}

TEST(LadderFilter, SelfOscillatesNearCutoffAtFullResonanceWithoutBlowingUp)
{
    Rig rig(FilterType::Lowpass24);
    const float cutoff = std::pow((1000.0f - 20.0f) / 20980.0f, 0.2f); // 1 kHz knob position
    rig.run(0.1f, cutoff, 1.0f);
    std::vector<float> tail;
    for (int i = 0; i < int(kFilterRate) * 3; ++i) {
        const float y = rig.run(0.0f, cutoff, 1.0f);
        ASSERT_TRUE(std::isfinite(y));
        ASSERT_LT(std::fabs(y), 20.0f);
        if (i >= int(kFilterRate) * 2)
            tail.push_back(y);
    }
    double energy = 0.0;
    int crossings = 0;
    for (size_t i = 1; i < tail.size(); ++i) {
        energy += double(tail[i]) * tail[i];
        crossings += (tail[i - 1] < 0.0f) != (tail[i] < 0.0f);
    }
    EXPECT_GT(std::sqrt(energy / double(tail.size())), 0.05) << "oscillation died out";
    const double hz = crossings / 2.0; // one second of tail
    EXPECT_GT(hz, 700.0);
    EXPECT_LT(hz, 1300.0);
}

TEST(FilterUnitControl, NoNaNOrInfinityAnywhereInTheControlRange)
{
    const float values[] = {0.0f, 0.3f, 0.7f, 0.95f, 1.0f};
    for (FilterType type : {FilterType::Lowpass24, FilterType::Lowpass12, FilterType::Highpass, FilterType::Bandpass,
                            FilterType::Bandstop, FilterType::Peaking})
        for (float cut : values)
            for (float res : values)
                for (float key : {0.0f, 0.5f, 1.0f})
                    for (float semis : {-69.0f, 0.0f, 58.0f}) {
                        Rig rig(type);
                        for (int i = 0; i < 1500; ++i) {
                            const float in = (i / 50) % 2 ? 1.0f : -1.0f;
                            const float y = rig.run(in, cut, res, key, semis);
                            ASSERT_TRUE(std::isfinite(y)) << int(type) << " cut " << cut << " res " << res << " key "
                                                          << key << " semis " << semis;
                        }
                    }
}

TEST(FilterUnitControl, HugeAndWildValuesStayFinite)
{
    for (FilterType type : {FilterType::Lowpass24, FilterType::Lowpass12, FilterType::Peaking})
        for (float amplitude : {1e6f, 1e20f}) {
            Rig rig(type);
            for (int i = 0; i < 20000; ++i) {
                const float in = (i / 7) % 2 ? amplitude : -amplitude;
                const float y = rig.run(in, 1.0f, 1.0f, 1.0f, 58.0f);
                ASSERT_TRUE(std::isfinite(y)) << int(type) << " " << amplitude;
            }
        }
    // Knob and modulation values from a damaged program or a runaway modulation.
    for (float wild : {-1e30f, 1e30f, std::nanf(""), INFINITY}) {
        Rig rig(FilterType::Lowpass24);
        Rig svf(FilterType::Bandpass);
        for (int i = 0; i < 2000; ++i) {
            ASSERT_TRUE(std::isfinite(rig.run(0.5f, wild, wild, wild, 0.0f))) << wild;
            ASSERT_TRUE(std::isfinite(svf.run(0.5f, wild, wild, wild, 0.0f))) << wild;
        }
    }
}

TEST(FilterUnitControl, CutoffCurveEndsAndKeyTracking)
{
    EXPECT_NEAR(filterCutoff(0.0f, 0.0f, 0.0f, kFilterRate) * kFilterRate, 20.0f, 1e-3f);
    EXPECT_NEAR(filterCutoff(1.0f, 0.0f, 0.0f, kFilterRate) * kFilterRate, 21000.0f, 0.05f);
    EXPECT_EQ(filterCutoff(1.0f, 0.0f, 0.0f, 32000.0f), 0.5f);
    EXPECT_EQ(filterCutoff(1.0f, 1.0f, 58.0f, kFilterRate), 0.5f);
    // Tracking pivots on note 57: there it changes nothing, an octave up it doubles.
    const float pivot = filterCutoff(0.4f, 1.0f, -12.0f, kFilterRate);
    EXPECT_NEAR(pivot, filterCutoff(0.4f, 0.0f, 0.0f, kFilterRate), 1e-7f);
    EXPECT_NEAR(filterCutoff(0.4f, 1.0f, 0.0f, kFilterRate) / pivot, 2.0f, 1e-5f);
    EXPECT_NEAR(filterCutoff(0.4f, 0.5f, 0.0f, kFilterRate) / pivot, std::sqrt(2.0f), 1e-5f);
    EXPECT_EQ(filterCutoff(0.4f, 0.0f, 30.0f, kFilterRate), filterCutoff(0.4f, 0.0f, -30.0f, kFilterRate));
    // Modulation adds to the knob before the curve and is clamped with it.
    EXPECT_EQ(filterCutoff(0.7f + 0.6f, 0.0f, 0.0f, kFilterRate), filterCutoff(1.0f, 0.0f, 0.0f, kFilterRate));
}

TEST(FilterUnitControl, ControlsGlideOver40MsExceptAfterANoteStart)
{
    Rig rig(FilterType::Lowpass12);
    rig.run(0.0f, 0.2f, 0.1f, 0.3f);
    const float low = filterCutoff(0.2f, 0.3f, 0.0f, kFilterRate);
    EXPECT_NEAR(rig.control.cutoff.value, low, 1e-7f);
    const float high = filterCutoff(0.8f, 0.3f, 0.0f, kFilterRate);
    rig.run(0.0f, 0.8f, 0.9f, 0.3f);
    EXPECT_LT(rig.control.cutoff.value, low + 0.01f * (high - low));
    for (int i = 1; i < 1764; ++i) // 40 ms
        rig.run(0.0f, 0.8f, 0.9f, 0.3f);
    // One time constant of 40 ms / 2 pi: e^-2pi of the step is left.
    EXPECT_NEAR((high - rig.control.cutoff.value) / (high - low), std::exp(-2.0 * M_PI), 2e-4);
    EXPECT_NEAR(rig.control.resonance.value, 0.9f, 0.01f);

    rig.control.jumpToTargets();
    rig.run(0.0f, 0.2f, 0.1f, 0.3f);
    EXPECT_NEAR(rig.control.cutoff.value, low, 1e-7f);
    EXPECT_EQ(rig.control.resonance.value, 0.1f);
}

TEST(FilterUnitTypes, OffPassesTheSignalAndStepsNothing)
{
    Rig rig(FilterType::Off);
    for (float x : {0.3f, -0.7f, 1e10f}) {
        float l = x, r = -x;
        rig.control.process(rig.unit, l, r, 0.1f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, kFilterRate);
        EXPECT_EQ(l, x);
        EXPECT_EQ(r, -x);
    }
    EXPECT_TRUE(rig.control.cutoff.jump);
}

TEST(FilterUnitTypes, SeparatorCodesKeepTheLastResponse)
{
    FilterUnit fresh;
    fresh.setType(static_cast<FilterType>(1));
    EXPECT_EQ(fresh.svfMode, SvfLowpass);
    EXPECT_FALSE(fresh.usesLadder());
    FilterUnit unit;
    unit.setType(FilterType::Bandstop);
    unit.setType(static_cast<FilterType>(4));
    EXPECT_EQ(unit.svfMode, SvfNotch);
    unit.setType(FilterType::Lowpass24);
    EXPECT_EQ(unit.svfMode, SvfNotch);
    unit.setType(FilterType::Highpass);
    EXPECT_EQ(unit.svfMode, SvfHighpass);
}

TEST(FilterUnitTypes, StatesSurviveTypeChanges)
{
    Rig rig(FilterType::Lowpass24);
    for (int i = 0; i < 500; ++i)
        rig.run(1.0f, 0.3f, 0.2f);
    const LadderFilter ladderBefore = rig.unit.ladder;
    rig.unit.setType(FilterType::Bandpass);
    for (int i = 0; i < 500; ++i)
        rig.run(-1.0f, 0.3f, 0.2f);
    // The ladder did not run and kept its last state; the SVF's state is its own.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.unit.ladder.ladderL[i], ladderBefore.ladderL[i]);
    EXPECT_NE(rig.unit.svf.ic1L, 0.0f);
    const StateVariableFilter svfBefore = rig.unit.svf;
    rig.unit.setType(FilterType::Lowpass24);
    rig.run(1.0f, 0.3f, 0.2f);
    EXPECT_EQ(rig.unit.svf.ic1L, svfBefore.ic1L);
}

TEST(FilterDenormals, SilenceDecaysToExactZero)
{
    for (FilterType type : {FilterType::Lowpass24, FilterType::Lowpass12, FilterType::Highpass}) {
        Rig rig(type);
        for (int i = 0; i < 5000; ++i)
            rig.run(std::sin(0.05f * float(i)), 0.6f, 0.8f);
        for (int i = 0; i < int(kFilterRate) * 4; ++i)
            rig.run(0.0f, 0.6f, 0.8f);
        const LadderFilter& l = rig.unit.ladder;
        const StateVariableFilter& s = rig.unit.svf;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(l.ladderL[i], 0.0f) << int(type);
            EXPECT_EQ(l.ladderR[i], 0.0f) << int(type);
        }
        for (float v : {s.ic1L, s.ic2L, s.ic1R, s.ic2R, s.bandL, s.lowL, s.bandR, s.lowR})
            EXPECT_EQ(v, 0.0f) << int(type);
    }
}

TEST(FilterDenormals, PerSampleCostStaysFlatWhenTheInputFallsSilent)
{
    auto timeRun = [](Rig& rig, bool silent) {
        const auto t0 = std::chrono::steady_clock::now();
        float sink = 0.0f;
        for (int i = 0; i < 200000; ++i)
            sink += rig.run(silent ? 0.0f : std::sin(0.01f * float(i)), 0.1f, 0.5f);
        const auto t1 = std::chrono::steady_clock::now();
        EXPECT_TRUE(std::isfinite(sink));
        return std::chrono::duration<double>(t1 - t0).count();
    };
    for (FilterType type : {FilterType::Lowpass24, FilterType::Lowpass12}) {
        double loud = 1e9, quiet = 1e9;
        for (int attempt = 0; attempt < 3; ++attempt) {
            Rig rig(type);
            loud = std::fmin(loud, timeRun(rig, false));
            quiet = std::fmin(quiet, timeRun(rig, true)); // the tail decays through tiny values
        }
        EXPECT_LT(quiet, 3.0 * loud) << int(type);
    }
}
