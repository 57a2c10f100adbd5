// Hosts one VST 2.4 plug-in through the binary interface only: loading, the host callback,
// set-up and tear-down in the order hosts use, parameters and programs, and block processing with
// MIDI events and time information.
#pragma once

#include "HostedPlugin.h"

class PluginHost final : public HostedPlugin {
public:
    // Loads a plug-in library and creates one effect; throws HostError when it is not a usable
    // VST 2.4 plug-in.
    explicit PluginHost(const std::string& libraryPath);
    // Creates the effect from an entry point in this process (tests use fake plug-ins).
    explicit PluginHost(VstPluginMainProc entry, const std::string& name = "built-in plug-in");
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    AEffect* effect() const { return fx; }
    int numOutputs() const override { return outputs; }
    int numPrograms() const override { return fx->numPrograms; }
    int numParams() const { return fx->numParams; }
    bool canDouble() const { return (fx->flags & effFlagsCanDoubleReplacing) && fx->processDoubleReplacing; }
    double sampleRate() const override { return rate; }
    int blockSize() const override { return maxBlock; }

    // Must come before start(). Double precision is announced to the plug-in here.
    void configure(double sampleRate, int blockSize, bool doublePrecision) override;
    std::string effectName() override;
    std::vector<PluginParameter> parameters() override;
    int findParameter(const std::string& name) override;
    void setParameter(int index, float value) override;
    void setProgram(int program) override;
    // The names of all programs, asked without changing the current program where the plug-in
    // answers effGetProgramNameIndexed.
    std::vector<std::string> programNames() override;

    void start() override;
    void stop() override;

    // Sends the block's events (delta frames inside the block) and renders frames into the
    // plug-in's outputs, which then read from output(ch) / outputDouble(ch).
    void processBlock(const std::vector<BlockEvent>& events, int frames) override;
    float* output(int channel) override { return floatOut[size_t(channel)].data(); }
    const double* outputDouble(int channel) const { return doubleOut[size_t(channel)].data(); }
    bool usesDouble() const override { return useDouble; }
    // CPU seconds spent inside the plug-in's event and process calls so far.
    double processCpuSeconds() const override { return cpuSeconds; }

    bool hasEditor() override { return fx->flags & effFlagsHasEditor; }
    bool editorSize(int& width, int& height) override;
    bool openEditor(void* parentWindow) override { return editorCall(effEditOpen, parentWindow) != 0; }
    void idleEditor() override { editorCall(effEditIdle); }
    void closeEditor() override { editorCall(effEditClose); }
    // The editor opcodes (effEditGetRect, effEditOpen, effEditIdle, effEditClose), for screenshots.
    VstIntPtr editorCall(VstInt32 opcode, void* ptr = nullptr) { return dispatch(opcode, 0, 0, ptr); }

    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt);

private:
    void create(VstPluginMainProc entry, const std::string& name);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0);
    std::string stringOf(VstInt32 opcode, VstInt32 index = 0);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    void shutDown();

    void* library = nullptr;
    AEffect* fx = nullptr;
    bool opened = false;
    bool running = false;
    bool inProcess = false;
    bool useDouble = false;
    int outputs = 0;
    int inputs = 0;
    double rate = 44100;
    int maxBlock = 512;
    double cpuSeconds = 0;

    std::vector<std::vector<float>> floatOut, floatIn;
    std::vector<std::vector<double>> doubleOut, doubleIn;
    std::vector<float*> floatOutPtrs, floatInPtrs;
    std::vector<double*> doubleOutPtrs, doubleInPtrs;
    std::vector<VstMidiEvent> midiEvents;
    std::vector<VstIntPtr> eventList; // VstEvents header followed by its pointer array
};
