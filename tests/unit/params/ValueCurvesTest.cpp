#include "params/ValueCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct Table {
    const char* name;
    int (*row)(float);
    float step;
    int rows;
};

const Table kTables[] = {
    {"lfo", lfoDivisionRow, 0.04f, kNumLfoDivisions},
    {"delay", delayDivisionRow, 1.0f / 17.0f, kNumDelayDivisions},
    {"predelay", predelayDivisionRow, 0.1f, kNumPredelayDivisions},
};

} // namespace

TEST(ValueCurves, RowChangesExactlyAtEachStep)
{
    for (const Table& t : kTables) {
        EXPECT_EQ(t.row(0.0f), 0) << t.name;
        for (int i = 1; i < t.rows; ++i) {
            const float edge = float(i) * t.step;
            EXPECT_EQ(t.row(edge), i) << t.name << " at step " << i;
            EXPECT_EQ(t.row(std::nextafter(edge, 0.0f)), i - 1) << t.name << " below step " << i;
            EXPECT_EQ(t.row(std::nextafter(edge, 2.0f)), i) << t.name << " above step " << i;
        }
        EXPECT_EQ(t.row(1.0f), t.rows - 1) << t.name;
        EXPECT_EQ(t.row(1.7f), t.rows - 1) << t.name;
        EXPECT_EQ(t.row(1e30f), t.rows - 1) << t.name;
        EXPECT_EQ(t.row(std::numeric_limits<float>::infinity()), t.rows - 1) << t.name;
        EXPECT_EQ(t.row(std::numeric_limits<float>::quiet_NaN()), t.rows - 1) << t.name;
        EXPECT_EQ(t.row(-5.0f), 0) << t.name;
        EXPECT_EQ(t.row(-std::numeric_limits<float>::infinity()), 0) << t.name;
    }
}

TEST(ValueCurves, RowIsTheFirstWhoseEndLiesAboveTheValue)
{
    for (const Table& t : kTables) {
        auto byScan = [&t](float v) {
            for (int i = 0; i < t.rows - 1; ++i)
                if (float(i + 1) * t.step > v)
                    return i;
            return t.rows - 1;
        };
        for (int n = -1000; n <= 201000; n += 3) {
            const float v = float(n) * 5e-6f;
            ASSERT_EQ(t.row(v), byScan(v)) << t.name << " at " << v;
        }
    }
}

TEST(ValueCurves, DelayStepIsTheRoundedSeventeenth)
{
    EXPECT_EQ(1.0f / 17.0f, 0.05882353f);
}

TEST(ValueCurves, DivisionTablesHaveTheirRows)
{
    EXPECT_STREQ(lfoDivision(0.0f).text, "8/1");
    EXPECT_STREQ(lfoDivision(0.04f).text, "8/1T");
    EXPECT_STREQ(lfoDivision(0.08f).text, "4/1D");
    EXPECT_STREQ(lfoDivision(0.95f).text, "1/32D");
    EXPECT_STREQ(lfoDivision(1.0f).text, "1/32");
    EXPECT_STREQ(delayDivision(0.0f).text, "1/32T");
    EXPECT_STREQ(delayDivision(0.5f).text, "1/8D");
    EXPECT_STREQ(delayDivision(1.0f).text, "1/1");
    EXPECT_STREQ(predelayDivision(0.0f).text, "1/32T");
    EXPECT_STREQ(predelayDivision(1.0f).text, "1/4T");
    for (const TempoDivision& d : kLfoDivisions)
        EXPECT_LE(std::strlen(d.text), 8u);
    for (const TempoDivision& d : kDelayDivisions)
        EXPECT_LE(std::strlen(d.text), 8u);
}

TEST(ValueCurves, SynchronizedCurvesFollowTempoAndSignature)
{
    const TempoInfo t120{120.0f, 4};
    // Row 15 is "1/4", row 18 "1/8" of the LFO table; row 7 is "1/8" of the delay table.
    EXPECT_FLOAT_EQ(lfoRateHz(15 * 0.04f + 0.01f, true, t120), 2.0f);
    EXPECT_FLOAT_EQ(lfoRateHz(18 * 0.04f + 0.01f, true, t120), 4.0f);
    EXPECT_FLOAT_EQ(lfoRateHz(0.0f, true, t120), 0.0625f);         // 8/1: 32 beats
    EXPECT_FLOAT_EQ(lfoRateHz(0.04f, true, t120), 0.0625f * 1.5f); // triplet is shorter
    EXPECT_FLOAT_EQ(delayTimeMs(7.5f / 17.0f, true, t120), 250.0f);
    EXPECT_FLOAT_EQ(delayTimeMs(1.0f, true, t120), 2000.0f); // 1/1
    EXPECT_FLOAT_EQ(delayTimeMs(0.0f, true, t120), 62.5f * 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(delayTimeMs(0.13f, true, t120), 62.5f * 1.5f); // 1/32D
    EXPECT_FLOAT_EQ(predelayMs(0.95f, true, t120), 500.0f * 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(predelayMs(0.15f, true, t120), 62.5f); // 1/32

    // The beat is the signature's denominator: in 6/8 a "1/8" lasts one beat.
    EXPECT_FLOAT_EQ(delayTimeMs(7.5f / 17.0f, true, TempoInfo{120.0f, 8}), 500.0f);
    EXPECT_FLOAT_EQ(delayTimeMs(7.5f / 17.0f, true, TempoInfo{60.0f, 4}), 500.0f);
    EXPECT_FLOAT_EQ(lfoRateHz(15 * 0.04f + 0.01f, true, TempoInfo{90.0f, 4}), 1.5f);
}

TEST(ValueCurves, FreeCurves)
{
    const TempoInfo t{};
    EXPECT_FLOAT_EQ(lfoRateHz(0.0f, false, t), 0.01f);
    EXPECT_FLOAT_EQ(lfoRateHz(1.0f, false, t), 50.0f);
    EXPECT_FLOAT_EQ(lfoRateHz(0.5f, false, t), 0.125f * 49.99f + 0.01f);
    EXPECT_FLOAT_EQ(delayTimeMs(0.0f, false, t), 10.0f);
    EXPECT_FLOAT_EQ(delayTimeMs(0.2f, false, t), 249.6f);
    EXPECT_FLOAT_EQ(delayTimeMs(1.0f, false, t), 6000.0f);
    EXPECT_FLOAT_EQ(predelayMs(0.25f, false, t), 250.0f);
    EXPECT_FLOAT_EQ(predelayMs(1.0f, false, t), 1000.0f);
}

TEST(ValueCurves, NonsenseTempoFromTheHostIsTimedAsTheDefault)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const TempoInfo bad[] = {
        {-120.0f, 4}, {nan, 4}, {std::numeric_limits<float>::infinity(), 4}, {120.0f, -4}, {0.0f, 0}};
    for (const TempoInfo& t : bad) {
        EXPECT_FLOAT_EQ(delayTimeMs(7.5f / 17.0f, true, t), 250.0f) << t.tempo << " " << t.timeSigDenominator;
        EXPECT_FLOAT_EQ(lfoRateHz(15 * 0.04f + 0.01f, true, t), 2.0f);
        EXPECT_GE(predelayMs(0.0f, true, t), 0.0f);
    }
}
