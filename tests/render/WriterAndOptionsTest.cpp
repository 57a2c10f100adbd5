// WAV output read back through libsndfile, and the command line.
#include "RenderOptions.h"
#include "WavWriter.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class WavFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("render-test-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

std::vector<float> readBack(const fs::path& path, SF_INFO& info)
{
    info = {};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr);
    if (!f)
        return {};
    std::vector<float> data(size_t(info.frames * info.channels));
    sf_readf_float(f, data.data(), info.frames);
    sf_close(f);
    return data;
}

} // namespace

TEST_F(WavFiles, WritesInterleavedFramesInEachFormat)
{
    const float left[] = {0.0f, 0.5f, -0.5f, 2.0f};
    const float right[] = {0.25f, -0.25f, 1.0f, -3.0f};
    const float* channels[] = {left, right};
    for (auto [format, sfFormat, tolerance] : {std::tuple{SampleFormat::Pcm16, SF_FORMAT_PCM_16, 1e-4f},
                                               std::tuple{SampleFormat::Pcm24, SF_FORMAT_PCM_24, 1e-6f},
                                               std::tuple{SampleFormat::Float32, SF_FORMAT_FLOAT, 0.0f}}) {
        fs::path path = folder / "out.wav";
        WavWriter w(path.string(), 48000, 2, format);
        w.write(channels, 2);
        w.write(channels, 4);
        w.finish();
        SF_INFO info;
        std::vector<float> data = readBack(path, info);
        ASSERT_EQ(info.frames, 6);
        EXPECT_EQ(info.samplerate, 48000);
        EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, sfFormat);
        EXPECT_NEAR(data[2], 0.5f, tolerance);
        EXPECT_NEAR(data[3], -0.25f, tolerance);
        if (format == SampleFormat::Float32) {
            EXPECT_EQ(data[10], 2.0f); // float keeps overs
        } else {
            EXPECT_NEAR(data[10], 1.0f, 1e-4f); // integer formats clip instead of wrapping
            EXPECT_NEAR(data[11], -1.0f, 1e-4f);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "temporary file left";
    }
}

TEST_F(WavFiles, AnUnfinishedRenderLeavesTheOldFileAlone)
{
    fs::path path = folder / "keep.wav";
    std::ofstream(path) << "old contents";
    {
        WavWriter w(path.string(), 44100, 1, SampleFormat::Pcm16);
        const float one[] = {0.1f};
        const float* channels[] = {one};
        w.write(channels, 1);
    } // destroyed without finish(), as when a render fails
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(WavFiles, UnwritablePlacesFailAtOnce)
{
    EXPECT_THROW(WavWriter((folder / "missing" / "x.wav").string(), 44100, 2, SampleFormat::Pcm24), WavError);
    EXPECT_THROW(WavWriter(folder.string(), 44100, 2, SampleFormat::Pcm24), WavError);
}

TEST(RenderOptionsTest, ReadsEveryOption)
{
    RenderOptions o =
        parseOptions({"--plugin", "x.so",  "--program", "7",     "--set",    "FltCut=0.25", "--set",  "Vol=1",
                      "--rate",   "48000", "--block",   "64",    "--tempo",  "96.5",        "--tail", "0",
                      "--out",    "o.wav", "--format",  "float", "--double", "song.mid"});
    EXPECT_EQ(o.pluginPath, "x.so");
    EXPECT_EQ(o.program, 7);
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].first, "FltCut");
    EXPECT_FLOAT_EQ(o.settings[0].second, 0.25f);
    EXPECT_EQ(o.sampleRate, 48000);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_DOUBLE_EQ(o.tempo, 96.5);
    EXPECT_DOUBLE_EQ(o.tailSeconds, 0);
    EXPECT_EQ(o.outPath, "o.wav");
    EXPECT_EQ(o.format, SampleFormat::Float32);
    EXPECT_TRUE(o.useDouble);
    EXPECT_EQ(o.midiPath, "song.mid");
    EXPECT_FALSE(o.bench);
}

TEST(RenderOptionsTest, RejectsWildValuesWithAMessage)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--rate", "0"},    {"--rate", "44100.5"}, {"--block", "0"},   {"--block", "100000"},
        {"--tempo", "nan"}, {"--tail", "-1"},      {"--set", "=1"},    {"--set", "Cut"},
        {"--set", "Cut=2"}, {"--set", "Cut=x"},    {"--format", "8"},  {"--program", "-1"},
        {"--rate"},         {"--frobnicate"},      {"a.mid", "b.mid"}, {"--tempo", "1e999"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(parseOptions(args), UsageError) << args[0];
}

TEST(RenderOptionsTest, OutputIsNamedAfterTheSong)
{
    EXPECT_EQ(defaultOutputPath(""), "demo.wav");
    EXPECT_EQ(defaultOutputPath("/music/songs/Intro.mid"), "Intro.wav");
    EXPECT_EQ(defaultOutputPath("take2.midi"), "take2.wav");
}
