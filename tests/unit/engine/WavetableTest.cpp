#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "support/SignalMeasure.h"
#include "engine/Wavetable.h"

namespace {

struct RowLayout {
    float rate;
    int tables;
    int length;
    int firstHarmonics;
};

// Expected amplitude of harmonic k of a shape, relative to the largest listed one, before
// normalization.
double shapeAmplitude(TableShape shape, int k)
{
    static const double chime[23] = {0, 1.0,  0, 0, 0.6, 0, 0, 0.3,  0, 0, 0.35, 0.25,
                                     0, 0.85, 0, 0, 0.1, 0, 0, 0.15, 0, 0, 0.1};
    static const double organ[17] = {0, 1.0, 0, 0.375, 0, 0, 0, 0, 0, 0, 0.375, 0, 0.875, 0, 0, 0, 1.0};
    switch (shape) {
    case TableShape::Saw:
        return 1.0 / k;
    case TableShape::Square:
        return k % 2 ? 1.0 / k : 0.0;
    case TableShape::Triangle:
        return k % 2 ? 1.0 / (double(k) * k) : 0.0;
    case TableShape::Sine:
        return k == 1 ? 1.0 : 0.0;
    case TableShape::Chime:
        return k < 23 ? chime[k] : 0.0;
    case TableShape::Organ:
        return k < 17 ? organ[k] : 0.0;
    }
    return 0.0;
}

// Checks every table of a row: exactly the harmonics its band allows, with the shape's
// amplitudes, and nothing else.
void expectRowSpectra(const WtCollection& wt, int row, TableShape shape, int firstHarmonics)
{
    int harmonics = firstHarmonics;
    for (int i = 0; i < wt.tableCount(row); ++i, harmonics >>= 1) {
        const Wavetable& t = wt.table(row, i);
        const auto amp = measure::harmonicAmplitudes(t.samples.data(), size_t(t.length));
        // The fundamental carries the scale (every shape has a harmonic 1 of weight 1).
        const double scale = amp[1];
        ASSERT_GT(scale, 0.1) << "row " << row << " table " << i;
        double worstPresent = 0.0;
        double worstAbsent = 0.0;
        int worstAbsentBin = -1;
        for (size_t k = 0; k < amp.size(); ++k) {
            const bool inBand = k >= 1 && int(k) <= harmonics;
            const double expected = inBand ? shapeAmplitude(shape, int(k)) : 0.0;
            const double err = std::fabs(amp[k] / scale - expected);
            if (expected > 0.0)
                worstPresent = std::fmax(worstPresent, err);
            else if (err > worstAbsent) {
                worstAbsent = err;
                worstAbsentBin = int(k);
            }
        }
        EXPECT_LT(worstPresent, 2e-4) << "row " << row << " table " << i;
        EXPECT_LT(worstAbsent, 2e-4) << "row " << row << " table " << i << " stray harmonic " << worstAbsentBin;
    }
}

} // namespace

TEST(WavetableRows, TableCountLengthAndBandLimitsFollowTheSampleRate)
{
    const RowLayout layouts[] = {
        {44100.0f, 10, 4096, 735}, {48000.0f, 10, 4096, 800}, {96000.0f, 11, 8192, 1600}, {192000.0f, 12, 16384, 3200}};
    for (const RowLayout& l : layouts) {
        WtCollection wt;
        wt.buildRow(0, TableShape::Saw, l.rate);
        ASSERT_EQ(wt.tableCount(0), l.tables) << l.rate;
        float limit = 40.0f / l.rate;
        for (int i = 0; i < l.tables; ++i) {
            EXPECT_EQ(wt.table(0, i).length, l.length);
            ASSERT_EQ(wt.table(0, i).samples.size(), size_t(l.length) + 1);
            EXPECT_EQ(wt.table(0, i).samples.back(), wt.table(0, i).samples.front());
            EXPECT_FLOAT_EQ(wt.table(0, i).maxIncrement, limit);
            limit *= 2.0f;
        }
        // Peaks end just above 1 after normalization.
        float peak = 0.0f;
        for (float s : wt.table(0, 0).samples)
            peak = std::fmax(peak, std::fabs(s));
        EXPECT_NEAR(peak, 1.0f / 0.999f, 1e-5f);
    }
}

TEST(WavetableRows, RebuildReplacesTheOldTables)
{
    WtCollection wt;
    wt.buildAll(96000.0f);
    wt.buildAll(44100.0f);
    for (int row = 0; row < kWtRows; ++row) {
        ASSERT_EQ(wt.tableCount(row), 10);
        EXPECT_EQ(wt.table(row, 9).length, 4096);
    }
}

TEST(WavetableRows, UnusableSampleRatesLeaveRowsEmptyOrBounded)
{
    WtCollection wt;
    wt.buildRow(0, TableShape::Saw, 0.0f);
    EXPECT_EQ(wt.tableCount(0), 0);
    EXPECT_EQ(wt.findTable(0, 0.01f), nullptr);
    wt.buildRow(0, TableShape::Saw, std::nanf(""));
    EXPECT_EQ(wt.tableCount(0), 0);
    wt.buildRow(0, TableShape::Saw, -44100.0f);
    EXPECT_EQ(wt.tableCount(0), 0);
    wt.buildRow(0, TableShape::Saw, 1e9f);
    ASSERT_GT(wt.tableCount(0), 0);
    EXPECT_LE(wt.table(0, 0).length, 65536);
}

TEST(WavetableRows, FindTablePicksTheBandOfTheIncrement)
{
    WtCollection wt;
    wt.buildRow(0, TableShape::Saw, 44100.0f);
    const Wavetable* first = &wt.table(0, 0);
    EXPECT_EQ(wt.findTable(0, 30.0f / 44100.0f), first);
    EXPECT_EQ(wt.findTable(0, 0.0f), first);
    // The limit itself belongs to the next band.
    EXPECT_EQ(wt.findTable(0, 40.0f / 44100.0f), &wt.table(0, 1));
    EXPECT_EQ(wt.findTable(0, 1000.0f / 44100.0f), &wt.table(0, 5));
    EXPECT_EQ(wt.findTable(0, 15000.0f / 44100.0f), &wt.table(0, 9));
    EXPECT_EQ(wt.findTable(0, 1.0f), &wt.table(0, 9));
    // The quick check an oscillator makes when its increment moves agrees with the search, at
    // every band edge and between them.
    std::vector<float> increments = {0.0f, 0.3f, 1.0f, std::nanf("")};
    for (int e = 0; e < wt.tableCount(0); ++e)
        for (float scale : {0.5f, 0.999999f, 1.0f, 1.000001f})
            increments.push_back(wt.table(0, e).maxIncrement * scale);
    for (int t = 0; t < wt.tableCount(0); ++t)
        for (float increment : increments)
            EXPECT_EQ(wt.isTableFor(&wt.table(0, t), 0, increment), wt.findTable(0, increment) == &wt.table(0, t))
                << "table " << t << ", increment " << increment;
}

TEST(WavetableSpectra, EveryTableHoldsExactlyItsHarmonicsAt44k)
{
    WtCollection wt;
    wt.buildAll(44100.0f);
    expectRowSpectra(wt, WtRowSaw, TableShape::Saw, 735);
    expectRowSpectra(wt, WtRowTriangle, TableShape::Triangle, 735);
    expectRowSpectra(wt, WtRowSine, TableShape::Sine, 735);
    expectRowSpectra(wt, WtRowChime, TableShape::Chime, 735);
    expectRowSpectra(wt, WtRowOrgan, TableShape::Organ, 735);
}

TEST(WavetableSpectra, EveryTableHoldsExactlyItsHarmonicsAt96k)
{
    WtCollection wt;
    wt.buildAll(96000.0f);
    expectRowSpectra(wt, WtRowSaw, TableShape::Saw, 1600);
    expectRowSpectra(wt, WtRowTriangle, TableShape::Triangle, 1600);
    expectRowSpectra(wt, WtRowChime, TableShape::Chime, 1600);
}

TEST(WavetableSpectra, SquareShapeHasOnlyOddHarmonics)
{
    WtCollection wt(1);
    wt.buildRow(0, TableShape::Square, 44100.0f);
    expectRowSpectra(wt, 0, TableShape::Square, 735);
}

TEST(WavetableShapes, SawRampsUpAndTriangleAndSinePeakAtAQuarter)
{
    WtCollection wt;
    wt.buildAll(44100.0f);
    const Wavetable& saw = wt.table(WtRowSaw, 3);
    const int n = saw.length;
    // Rising across the cycle, jumping down at the wrap.
    EXPECT_LT(saw.samples[size_t(n / 8)], saw.samples[size_t(n / 2)]);
    EXPECT_LT(saw.samples[size_t(n / 2)], saw.samples[size_t(7 * n / 8)]);
    EXPECT_LT(saw.samples[size_t(n / 8)], -0.5f);
    EXPECT_GT(saw.samples[size_t(7 * n / 8)], 0.5f);

    for (int row : {int(WtRowTriangle), int(WtRowSine)}) {
        const Wavetable& t = wt.table(row, 0);
        EXPECT_NEAR(t.samples[0], 0.0f, 1e-4f);
        size_t peakAt = 0;
        for (size_t i = 0; i < t.samples.size(); ++i)
            if (t.samples[i] > t.samples[peakAt])
                peakAt = i;
        EXPECT_NEAR(double(peakAt), t.length / 4.0, 1.0) << "row " << row;
        EXPECT_NEAR(t.samples[size_t(3 * t.length / 4)], -1.0f / 0.999f, 1e-3f) << "row " << row;
    }
}

// Instances at one rate read one set of tables; another rate, or a row built by hand, gets a
// set of its own and leaves the shared one as it was.
TEST(Wavetable, StandardSetsAreSharedPerRateAndNeverChangedUnderAReader)
{
    WtCollection a, b, other;
    a.buildAll(48000.0f);
    b.buildAll(48000.0f);
    other.buildAll(96000.0f);
    EXPECT_TRUE(a.sharesTablesWith(b));
    EXPECT_FALSE(a.sharesTablesWith(other));

    const float before = b.table(WtRowSaw, 0).samples[7];
    a.buildRow(WtRowSaw, TableShape::Square, 48000.0f);
    EXPECT_FALSE(a.sharesTablesWith(b));
    EXPECT_EQ(b.table(WtRowSaw, 0).samples[7], before);
    EXPECT_NE(a.table(WtRowSaw, 0).samples[7], before);

    // Two instances starting at once on different threads still end up with one set.
    WtCollection c, d;
    std::thread starting([&c] { c.buildAll(22050.0f); });
    d.buildAll(22050.0f);
    starting.join();
    EXPECT_TRUE(c.sharesTablesWith(d));
}
