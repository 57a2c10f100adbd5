// A plug-in loaded for one test: the render host's loader and host callback, with raw access to
// the effect and process buffers of our own. Buffers are filled with a marker before each call
// so that frames the plug-in left unwritten, or wrote past the end of the block, are caught.
#pragma once

#include "OutputCheck.h"
#include "PluginHost.h"
#include "ValidatorTest.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

struct MidiBytes {
    int delta;
    uint8_t status, data1, data2;
};

class Rig {
public:
    explicit Rig(const TestContext& context);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    AEffect* fx() const { return effect; }
    PluginHost& host() { return *loaded; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0);
    bool canDouble() const { return loaded->canDouble(); }
    bool isSynth() const { return effect->flags & effFlagsIsSynth; }

    // Sample rate, block size and precision while suspended, as hosts do before resuming.
    void prepare(double rate, int maxBlock, bool useDouble = false);
    void resume();
    void suspend();

    // One process call; throws TestFailure when the outputs are not sound audio.
    void process(int frames);
    // The same without looking at the output (for calls whose result does not matter).
    void processUnchecked(int frames);
    float lastPeak() const { return peak; }
    // Renders blocks until the output stays below -80 dBFS for a second; fails after `seconds`.
    void requireSilenceWithin(double seconds, const std::string& after);

    void sendMidi(const std::vector<MidiBytes>& events);
    void sendEvents(const std::vector<VstEvent*>& events);
    // Notes on all channels off, sustain off, through both "all notes off" and per-note offs.
    void releaseEverything();

    // While set, allocations and locks inside the plug-in's event and process calls are counted.
    bool countCalls = false;

    double rate() const { return sampleRate; }
    int blockSize() const { return maxBlock; }

private:
    void call(int frames);
    void checkOutput(int frames);
    std::string where(size_t channel, int frame, int frames) const;
    void forgetConsumedEvents();

    std::unique_ptr<PluginHost> loaded;
    AEffect* effect = nullptr;
    float clip;
    bool useDouble = false;
    bool running = false;
    double sampleRate = 44100;
    int maxBlock = 512;
    float peak = 0;
    std::vector<std::vector<float>> floatOut, floatIn;
    std::vector<std::vector<double>> doubleOut, doubleIn;
    std::vector<float*> floatOutPtrs, floatInPtrs;
    std::vector<double*> doubleOutPtrs, doubleInPtrs;
    // Event records and lists stay alive until the next process call has returned, as plug-ins
    // may keep the pointers until then.
    std::deque<VstMidiEvent> midiStore;
    std::deque<std::vector<VstIntPtr>> eventLists;
    bool eventsConsumed = false;
};
