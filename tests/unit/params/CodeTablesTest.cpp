#include "params/CodeTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace {

constexpr CodeKind kAllKinds[] = {CodeKind::OscWave, CodeKind::FilterType, CodeKind::LfoWave,
                                  CodeKind::SubAlt,  CodeKind::ModSource,  CodeKind::ModTarget};

} // namespace

TEST(CodeTables, OscillatorWavesDecodeFromTheirStoredNumbers)
{
    EXPECT_EQ(decodeOscWaveform(0.0f), OscWaveform::Off);
    EXPECT_EQ(decodeOscWaveform(0.02f), OscWaveform::Sawtooth);
    EXPECT_EQ(decodeOscWaveform(0.09f), OscWaveform::Sine);
    EXPECT_EQ(decodeOscWaveform(0.06f), OscWaveform::White);
    EXPECT_EQ(decodeOscWaveform(0.07f), OscWaveform::Pink);
    EXPECT_EQ(decodeOscWaveform(0.10f), OscWaveform::Chime);
    EXPECT_EQ(decodeOscWaveform(0.11f), OscWaveform::Organ);
    // Separator numbers decode to the separator positions.
    EXPECT_EQ(int(decodeOscWaveform(0.01f)), 1);
    EXPECT_EQ(int(decodeOscWaveform(0.05f)), 6);
    EXPECT_EQ(int(decodeOscWaveform(0.08f)), 9);
}

TEST(CodeTables, ModulationCodesAreMenuPositionsNotStoredNumbers)
{
    EXPECT_EQ(decodeModSource(0.09f), ModSource::Velocity);
    EXPECT_EQ(decodeModSource(0.05f), ModSource::Env1);
    EXPECT_EQ(decodeModSource(0.17f), ModSource::Env4);
    EXPECT_EQ(decodeModTarget(0.37f), ModTarget::Osc1Sub);
    EXPECT_EQ(decodeModTarget(0.42f), ModTarget::Osc1Pan);
    EXPECT_EQ(decodeModTarget(0.44f), ModTarget::Lfo1Rate);
    EXPECT_EQ(int(decodeModTarget(0.47f)), 23);
    EXPECT_EQ(decodeModTarget(0.13f), ModTarget::Mod1Amt);
    EXPECT_EQ(int(decodeModTarget(0.36f)), 47);
}

TEST(CodeTables, ValuesBetweenOrOutsideCodesDecodeAsZero)
{
    const float wild[] = {0.035f,
                          0.015f,
                          -0.02f,
                          0.485f,
                          1.0f,
                          1.7f,
                          -5.0f,
                          1e30f,
                          std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
    for (float v : wild) {
        EXPECT_EQ(decodeOscWaveform(v), OscWaveform::Off) << v;
        EXPECT_EQ(decodeFilterType(v), FilterType::Off) << v;
        EXPECT_EQ(decodeLfoWaveform(v), LfoWaveform::Off) << v;
        EXPECT_EQ(decodeSubAltMode(v), SubAltMode::Off) << v;
        EXPECT_EQ(decodeModSource(v), ModSource::None) << v;
        EXPECT_EQ(decodeModTarget(v), ModTarget::None) << v;
    }
    // Sub alternative has no code 1, in either sign.
    EXPECT_EQ(decodeSubAltMode(0.01f), SubAltMode::Off);
    EXPECT_EQ(decodeSubAltMode(-0.01f), SubAltMode::Off);
    EXPECT_EQ(decodeSubAltMode(0.05f), SubAltMode::ChimeOrgan);
}

TEST(CodeTables, ToleranceIsOneHundredThousandth)
{
    EXPECT_EQ(decodeFilterType(0.02f + 0.000009f), FilterType::Lowpass24);
    EXPECT_EQ(decodeFilterType(0.02f - 0.000009f), FilterType::Lowpass24);
    EXPECT_EQ(decodeFilterType(0.02f + 0.000011f), FilterType::Off);
    EXPECT_EQ(decodeFilterType(0.02f - 0.000011f), FilterType::Off);
}

TEST(CodeTables, DecodingAgreesWithComparingEveryEntry)
{
    // The decoder jumps to the nearest stored number; it must give what matching each entry
    // within the tolerance gives, also right at the edges of the tolerance.
    auto byScan = [](CodeKind kind, float v) {
        for (int code = 0; code < codeCount(kind); ++code) {
            const int k = codeStoredNumber(kind, code);
            if (k >= 0 && std::fabs(v - float(k) / 100.0f) < kCodeTolerance)
                return code;
        }
        return 0;
    };
    for (CodeKind kind : kAllKinds) {
        for (int i = -20000; i <= 600000; i += 7) {
            const float v = float(i) * 1e-6f;
            ASSERT_EQ(decodeCode(kind, v), byScan(kind, v)) << v;
        }
        for (int k = 0; k <= 48; ++k) {
            for (float edge : {float(k) / 100.0f - kCodeTolerance, float(k) / 100.0f + kCodeTolerance}) {
                float v = edge;
                for (int n = 0; n < 4; ++n, v = std::nextafter(v, 0.0f))
                    ASSERT_EQ(decodeCode(kind, v), byScan(kind, v)) << v;
                v = edge;
                for (int n = 0; n < 4; ++n, v = std::nextafter(v, 1.0f))
                    ASSERT_EQ(decodeCode(kind, v), byScan(kind, v)) << v;
            }
        }
    }
}

TEST(CodeTables, EveryChoosableCodeRoundTripsThroughItsStoredValue)
{
    for (CodeKind kind : kAllKinds) {
        std::set<int> stored;
        for (int code = 0; code < codeCount(kind); ++code) {
            const int k = codeStoredNumber(kind, code);
            if (k < 0)
                continue;
            EXPECT_TRUE(stored.insert(k).second) << "stored number used twice: " << k;
            EXPECT_EQ(decodeCode(kind, codeStoredValue(kind, code)), code);
            float written = -1.0f;
            if (codeIsSeparator(kind, code)) {
                EXPECT_FALSE(valueForMenuEntry(kind, code, written));
                EXPECT_EQ(codeMenuText(kind, code), nullptr);
                EXPECT_EQ(codeDisplayText(kind, code), nullptr);
            } else {
                ASSERT_TRUE(valueForMenuEntry(kind, code, written));
                EXPECT_EQ(decodeCode(kind, written), code);
                EXPECT_NE(codeMenuText(kind, code), nullptr);
                ASSERT_NE(codeDisplayText(kind, code), nullptr);
                EXPECT_LE(std::strlen(codeDisplayText(kind, code)), 8u);
            }
        }
    }
}

TEST(CodeTables, MenuEntriesSkipSeparatorsAndRejectImpossibleChoices)
{
    EXPECT_EQ(menuEntryForValue(CodeKind::OscWave, 0.01f), 2);
    EXPECT_EQ(menuEntryForValue(CodeKind::OscWave, 0.05f), 7);
    EXPECT_EQ(menuEntryForValue(CodeKind::OscWave, 0.09f), 5);
    EXPECT_EQ(menuEntryForValue(CodeKind::LfoWave, 0.06f), 7);
    EXPECT_EQ(menuEntryForValue(CodeKind::ModTarget, 0.36f), 47);
    EXPECT_EQ(menuEntryForValue(CodeKind::ModTarget, 0.5f), 0);

    float value = 0.5f;
    EXPECT_TRUE(valueForMenuEntry(CodeKind::OscWave, 5, value));
    EXPECT_FLOAT_EQ(value, 0.09f);
    value = 0.5f;
    EXPECT_FALSE(valueForMenuEntry(CodeKind::OscWave, 12, value));
    EXPECT_FALSE(valueForMenuEntry(CodeKind::OscWave, -1, value));
    EXPECT_FALSE(valueForMenuEntry(CodeKind::SubAlt, 1, value));
    EXPECT_FLOAT_EQ(value, 0.5f);
    EXPECT_TRUE(valueForMenuEntry(CodeKind::ModSource, 5, value));
    EXPECT_FLOAT_EQ(value, 0.09f);
}
