// Scala scales and keyboard mappings: what each kind of line means, which files are refused and
// where, and the key pitches both give.
#include "settings/ScalaFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

std::vector<double> centsOf(const std::string& text)
{
    ScalaScale scale;
    TuningProblem problem;
    EXPECT_TRUE(parseScalaScale(text, scale, problem)) << problem.line << ": " << problem.reason;
    return scale.cents;
}

float semitonesAbove69(const float (&pitches)[128], int key)
{
    return pitches[key] - 69.0f;
}

struct Refusal {
    std::string text;
    int line;
    std::string reason; // a part of the message
};

template <typename Parse>
void expectRefusals(const std::vector<Refusal>& refusals, Parse parse)
{
    for (const Refusal& r : refusals) {
        TuningProblem problem;
        EXPECT_FALSE(parse(r.text, problem)) << r.text;
        EXPECT_EQ(problem.line, r.line) << r.text;
        EXPECT_NE(problem.reason.find(r.reason), std::string::npos) << r.text << " gave: " << problem.reason;
    }
}

} // namespace

TEST(ScalaFiles, ScaleLinesTakeRatiosCentsAndRemarksAndTheLastClosesThePeriod)
{
    ScalaScale scale;
    TuningProblem problem;
    ASSERT_TRUE(parseScalaScale("! meantone.scl\r\n!\r\nQuarter-comma meantone\r\n 5\r\n!\r\n 76.049\r\n"
                                "5/4   a pure third\r\n\t3/2\r\n-50.\r\n 2\r\n",
                                scale, problem));
    EXPECT_EQ(scale.description, "Quarter-comma meantone");
    ASSERT_EQ(scale.cents.size(), 5u);
    const double expected[] = {76.049, 1200.0 * std::log2(1.25), 1200.0 * std::log2(1.5), -50.0, 1200.0};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(scale.cents[i], expected[i], 1e-9) << i;
    // An empty description, cents without a whole part, and a scale of 1/1 alone.
    EXPECT_EQ(centsOf("\n2\n.5\n+1200.0 cents\n"), (std::vector<double>{0.5, 1200.0}));
    EXPECT_TRUE(centsOf("Just 1/1\n0\n").empty());
    // Numerators past 2^31 are read, however far from 1/1 they lie.
    EXPECT_NEAR(centsOf("big\n1\n99999999999999999999/1\n")[0], 1200.0 * std::log2(1e20), 1e-6);
}

TEST(ScalaFiles, MalformedScalesAreRefusedNamingTheLine)
{
    expectRefusals({{"", 1, "ends before the description"},
                    {"name\n", 2, "ends before the number of notes"},
                    {"name\ntwelve\n", 2, "\"twelve\" is not the number of notes"},
                    {"name\n5000\n", 2, "more than the 4096"},
                    {"name\n3\n100.0\n! remark\n3/2\n", 6, "ends after 2 of the 3 pitches"},
                    {"name\n1\n-3/2\n", 3, "is negative"},
                    {"name\n1\n3/0\n", 3, "divides by zero"},
                    {"name\n1\n3/\n", 3, "has no denominator"},
                    {"name\n1\nfifth\n", 3, "\"fifth\" is no pitch"},
                    {"name\n1\n" + std::string(400, '7') + ".0\n", 3, "lies too far from 1/1"}},
                   [](const std::string& text, TuningProblem& problem) {
                       ScalaScale scale;
                       return parseScalaScale(text, scale, problem);
                   });
}

TEST(ScalaFiles, MappingsLeaveKeysSilentAndTuneAnyReferenceKey)
{
    // A seven-key pattern on the white keys, C4 (key 60) at 256 Hz, of the standard scale.
    KeyboardMapping mapping;
    TuningProblem problem;
    ASSERT_TRUE(parseKeyboardMapping(
        "! white keys\n12\n0\n100\n60\n60\n256.0\n12\n! map\n0\nx\n2\nX\n4\n5\nx\n7\nx\n9\n", mapping, problem))
        << problem.line << ": " << problem.reason;
    float pitches[128];
    tunedKeyPitches(ScalaScale::standard(), mapping, pitches);
    const float c4 = float(12.0 * std::log2(256.0 / 440.0));
    EXPECT_NEAR(semitonesAbove69(pitches, 60), c4, 1e-4);
    EXPECT_NEAR(semitonesAbove69(pitches, 62), c4 + 2.0f, 1e-4);
    EXPECT_NEAR(semitonesAbove69(pitches, 69), c4 + 9.0f, 1e-4);
    EXPECT_NEAR(semitonesAbove69(pitches, 45), c4 - 15.0f, 1e-4); // degree 9 an octave down
    for (int silent : {61, 63, 66, 68, 70, 71, 73})
        EXPECT_TRUE(std::isnan(pitches[silent])) << silent;
    // Past the last key to retune the keys keep their equal-tempered pitch.
    EXPECT_EQ(pitches[101], 101.0f);
}

TEST(ScalaFiles, MalformedMappingsAreRefusedNamingTheLine)
{
    const std::string head = "12\n0\n127\n60\n69\n440.0\n12\n";
    expectRefusals({{"", 1, "ends before the size of the map"},
                    {"12\n0\n127\n", 4, "ends before the middle key"},
                    {"-1\n", 1, "is not the size of the map"},
                    {"99999\n", 1, "larger than the 2048"},
                    {"12\n0\n200\n", 3, "is not the last key to retune (a key from 0 to 127)"},
                    {"12\n90\n10\n", 3, "lies below the first"},
                    {"12\n0\n127\n60\n69\n-440\n", 6, "is not a reference frequency"},
                    {"12\n0\n127\n60\n69\n440\n", 7, "ends before the degree of the formal octave"},
                    {head + "0\n1\ny\n", 10, "neither a scale degree nor x"},
                    {head + "0\n1\n2\n3\n4\n5\n6\n7\n8\nx\n", 5, "the reference key 69 is not mapped"}},
                   [](const std::string& text, TuningProblem& problem) {
                       KeyboardMapping mapping;
                       return parseKeyboardMapping(text, mapping, problem);
                   });
    ScalaScale scale;
    TuningProblem problem;
    EXPECT_FALSE(readScalaScale("/nonexistent/tuning.scl", scale, problem));
    EXPECT_EQ(problem.line, 0);
    EXPECT_FALSE(problem.reason.empty());
}

// The example tunings shipped in the data folder read whole, each as the tuning it says it is.
TEST(ScalaFiles, ExampleTuningsRead)
{
    const std::filesystem::path folder = MORVELLINE_EXAMPLE_TUNINGS;
    ScalaScale scale;
    KeyboardMapping mapping;
    TuningProblem problem;
    float pitches[128];
    const struct {
        const char* file;
        size_t notes;
        int key;      // a key, and its distance in semitones from A4 at 440 Hz
        double above; // with the standard mapping
    } scales[] = {
        {"19 Equal.scl", 19, 70, 12.0 / 19.0},
        {"Just Intonation 5-limit.scl", 12, 67, 12.0 * std::log2(1.5 / (5.0 / 3.0))},         // G: 3/2 of C, A 5/3
        {"Quarter-Comma Meantone.scl", 12, 64, 12.0 * std::log2(std::pow(5.0, 0.25) / 2.0)}}; // E: a fifth under A
    for (const auto& s : scales) {
        ASSERT_TRUE(readScalaScale(folder / s.file, scale, problem)) << s.file << ": " << problem.reason;
        EXPECT_EQ(scale.cents.size(), s.notes) << s.file;
        tunedKeyPitches(scale, KeyboardMapping::standard(), pitches);
        EXPECT_NEAR(pitches[69], 69.0, 1e-4) << s.file;
        EXPECT_NEAR(pitches[s.key] - 69.0, s.above, 1e-4) << s.file;
    }
    ASSERT_TRUE(readKeyboardMapping(folder / "A4 at 432 Hz.kbm", mapping, problem)) << problem.reason;
    tunedKeyPitches(ScalaScale::standard(), mapping, pitches);
    EXPECT_NEAR(pitches[69], 69.0 + 12.0 * std::log2(432.0 / 440.0), 1e-4);
}
