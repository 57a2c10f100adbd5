// An instrument living in the test program: it logs what the host does to it (dispatcher calls,
// events with their block and delta frame, the time information of each block) and makes a
// simple, predictable sound.
#pragma once

#include "vst/vstabi.h"

#include <string>
#include <vector>

struct FakeLog {
    enum class Sound { Silent, HeldNotes, Constant, NotANumber };
    // How the next fake behaves.
    Sound sound = Sound::Silent;
    float decayPerSample = 0.999f;
    int numOutputs = 2;
    bool canDouble = true;

    struct Received {
        int block;
        int delta;
        uint8_t bytes[3];
    };
    std::vector<VstInt32> opcodes;
    std::vector<Received> events;
    std::vector<VstTimeInfo> times;
    std::vector<int> blockFrames;
    std::vector<std::pair<int, int>> programs; // program, index of the block that follows
    std::vector<int> processLevels;
    std::vector<VstIntPtr> hostAnswersAtCreation; // version, sample rate, block size
    int blocks = 0;
    bool usedDouble = false;
    bool stringBuffersWereZeroed = true;
    float lastParamValue = -1;
    int lastParamIndex = -1;
};

// The log the fake instruments write to; tests reset it.
FakeLog& fakeLog();
AEffect* VSTCALLBACK fakeSynthMain(audioMasterCallback host);
