// The command line of morvelline-render.
#pragma once

#include "WavWriter.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct RenderOptions {
    std::string pluginPath; // empty: Morvelline.so beside the program
    std::string midiPath;   // empty: the built-in demo
    std::string outPath;    // empty: derived from the MIDI file name, or "demo.wav"
    int program = -1;
    std::vector<std::pair<std::string, float>> settings; // --set NAME=VALUE in order
    std::string bankPath;
    std::string presetPath;
    int sampleRate = 44100;
    int blockSize = 512;
    double tempo = 120;
    double tailSeconds = 4;
    long seed = -1; // --seed: the C library's generator is seeded before playing
    SampleFormat format = SampleFormat::Pcm24;
    bool useDouble = false;
    bool listParams = false;
    bool listPrograms = false;
    bool bench = false;
    bool help = false;
    std::string screenshotPath; // --screenshot: capture the editor instead of rendering
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

RenderOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();
// "song.mid" -> "song.wav"; no file -> "demo.wav".
std::string defaultOutputPath(const std::string& midiPath);
