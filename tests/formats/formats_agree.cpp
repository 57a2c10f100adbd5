// Plays the same notes, controllers (an MPE controller's too) and program changes through the
// VST 2.4 build and another build of the instrument (a .clap file or, on Linux, an .lv2 bundle), in blocks of changing
// size, and requires bit-identical output.
// usage: formats_agree VST_LIBRARY OTHER_BUILD PROGRAM...
// Exit code 0 when every program sounded the same through both.
#include "OpenPlugin.h"
#include "PluginHost.h"
#include "support/SignalMeasure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kLongestBlock = 512;
constexpr int kSongFrames = 96000;
// Block sizes that hosts really use, and odd ones that split the engine's runs elsewhere.
constexpr int kBlockSizes[] = {512, 1, 64, 333, 128, 7, 480};

struct SongEvent {
    int frame;
    uint8_t bytes[3];
};

// A chord, a bend and the wheel while it holds, a release, then a note struck over the tail.
// Then an MPE controller: a lower zone, one key on two member channels with their own bends,
// pressure, key pressure and slide, and the manager's bend over both.
const SongEvent kSong[] = {
    {0, {0x90, 60, 100}},     {10, {0x90, 64, 90}},        {20, {0x90, 67, 80}},        {9000, {0xE0, 0x00, 0x50}},
    {15000, {0xB0, 1, 90}},   {30000, {0x80, 60, 0}},      {30001, {0x80, 64, 0}},      {31000, {0x90, 67, 0}},
    {40000, {0x90, 72, 127}}, {40000, {0xD0, 64, 0}},      {60000, {0x80, 72, 64}},     {60000, {0xE0, 0x00, 0x40}},
    {61000, {0xB0, 101, 0}},  {61000, {0xB0, 100, 6}},     {61000, {0xB0, 6, 15}},      {62000, {0xE1, 0x00, 0x44}},
    {62000, {0x91, 62, 100}}, {62010, {0xE2, 0x00, 0x3C}}, {62010, {0x92, 62, 90}},     {70000, {0xD1, 100, 0}},
    {72000, {0xA2, 62, 80}},  {74000, {0xB1, 74, 90}},     {76000, {0xE1, 0x20, 0x48}}, {80000, {0xE0, 0x00, 0x30}},
    {85000, {0x81, 62, 0}},   {88000, {0x82, 62, 0}},
};

std::vector<float> render(HostedPlugin& host, int program)
{
    host.configure(kRate, kLongestBlock, false);
    if (program >= 0)
        host.setProgram(program);
    host.start();
    // Noise and random LFOs are seeded from the C library's generator at every note: both
    // builds play from the same place of it.
    std::srand(20261210);
    std::vector<float> out;
    size_t next = 0;
    for (int pos = 0, turn = 0; pos < kSongFrames; ++turn) {
        const int frames = std::min(kBlockSizes[turn % std::size(kBlockSizes)], kSongFrames - pos);
        std::vector<BlockEvent> events;
        for (; next < std::size(kSong) && kSong[next].frame < pos + frames; ++next)
            events.push_back({kSong[next].frame - pos, {kSong[next].bytes[0], kSong[next].bytes[1], kSong[next].bytes[2]}});
        host.timeInfo.tempo = 120.0;
        host.timeInfo.timeSigNumerator = 4;
        host.timeInfo.timeSigDenominator = 4;
        host.timeInfo.flags = kVstTempoValid | kVstTimeSigValid;
        host.processBlock(events, frames);
        for (int i = 0; i < frames; ++i) {
            out.push_back(host.output(0)[i]);
            out.push_back(host.output(1)[i]);
        }
        pos += frames;
    }
    host.stop();
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: formats_agree VST_LIBRARY OTHER_BUILD PROGRAM...\n");
        return 2;
    }
    int failures = 0;
    try {
        for (int arg = 3; arg < argc; ++arg) {
            const int program = std::atoi(argv[arg]);
            PluginHost vst(argv[1]);
            const std::unique_ptr<HostedPlugin> other = openPlugin(argv[2]);
            const std::vector<float> a = render(vst, program);
            const std::vector<float> b = render(*other, program);
            const bool same = a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
            const bool sounds = measure::peak(a) > 1e-3f;
            std::printf("%s: program %d, peak %.3f, %s\n", same && sounds ? "ok" : "FAILED", program, measure::peak(a),
                        !sounds ? "silent" : same ? "bit-identical" : "the outputs differ");
            failures += !(same && sounds);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "formats_agree: %s\n", e.what());
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
