// A plug-in as our hosts drive it, whatever its format: set-up, parameters and programs, and
// block processing with MIDI events and time information. PluginHost speaks VST 2.4, ClapHost
// speaks CLAP.
#pragma once

#include "vst/vstabi.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// More audio channels than any real plug-in has: a number above it is taken for garbage.
constexpr int kMaxPluginChannels = 256;

struct PluginParameter {
    int index;
    std::string name;
    std::string display;
    std::string label;
};

struct BlockEvent {
    int deltaFrame;
    uint8_t bytes[3];
};

class HostedPlugin {
public:
    virtual ~HostedPlugin() = default;

    virtual int numOutputs() const = 0;
    virtual int numPrograms() const = 0;
    virtual double sampleRate() const = 0;
    virtual int blockSize() const = 0;
    virtual bool usesDouble() const = 0;

    // Must come before start().
    virtual void configure(double sampleRate, int blockSize, bool doublePrecision) = 0;
    virtual std::string effectName() = 0;
    virtual std::vector<PluginParameter> parameters() = 0;
    virtual int findParameter(const std::string& name) = 0; // -1 when no parameter has this name
    virtual void setParameter(int index, float value) = 0;
    virtual void setProgram(int program) = 0;
    virtual std::vector<std::string> programNames() = 0;

    virtual void start() = 0;
    virtual void stop() = 0;
    // Renders frames with the block's events (delta frames inside the block); the output
    // channels then read from output(ch).
    virtual void processBlock(const std::vector<BlockEvent>& events, int frames) = 0;
    virtual float* output(int channel) = 0;
    // CPU seconds spent inside the plug-in's event and process calls so far.
    virtual double processCpuSeconds() const = 0;

    // The editor, for screenshots: its size (known before opening for most plug-ins), opening
    // it in a parent window of the system, letting it handle its events, closing it.
    virtual bool hasEditor() = 0;
    virtual bool editorSize(int& width, int& height) = 0;
    virtual bool openEditor(void* parentWindow) = 0;
    virtual void idleEditor() = 0;
    virtual void closeEditor() = 0;

    // The time information the plug-in gets during the next block.
    VstTimeInfo timeInfo{};
};

// Finds a parameter by name, exactly or else caselessly when only one matches; -1 otherwise.
int findParameterByName(const std::vector<std::string>& names, const std::string& name);
