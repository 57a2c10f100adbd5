// Hosts one LV2 plug-in through lilv, the way a Linux host does: the bundle's data, the
// instance with the URID map and block-length options, control ports, MIDI and the tempo as
// atoms, presets and state. The path names a bundle folder (ending in ".lv2"); its first plug-in
// is played.
#pragma once

#include "HostedPlugin.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class Lv2Host final : public HostedPlugin {
public:
    explicit Lv2Host(const std::string& bundlePath);
    ~Lv2Host() override;
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    int numOutputs() const override { return int(audioPorts.size()); }
    int numPrograms() const override { return int(presetNodes.size()); }
    double sampleRate() const override { return rate; }
    int blockSize() const override { return maxBlock; }
    bool usesDouble() const override { return false; }

    // Instantiates the plug-in at this rate.
    void configure(double sampleRate, int blockSize, bool doublePrecision) override;
    std::string effectName() override;
    // The control inputs, named by their symbols; values are the ports' own.
    std::vector<PluginParameter> parameters() override;
    int findParameter(const std::string& name) override;
    void setParameter(int index, float value) override;
    // Applies the program-th preset, in the order of their URIs: the port values and the state.
    void setProgram(int program) override;
    std::vector<std::string> programNames() override;

    void start() override;
    void stop() override;
    void processBlock(const std::vector<BlockEvent>& events, int frames) override;
    float* output(int channel) override { return audio[size_t(channel)].data(); }
    double processCpuSeconds() const override { return cpuSeconds; }

    // The separate-process UI model is not hosted here.
    bool hasEditor() override { return false; }
    bool editorSize(int&, int&) override { return false; }
    bool openEditor(void*) override { return false; }
    void idleEditor() override {}
    void closeEditor() override {}

    // For tests: a control input by index, the state as Turtle and back, a patch:Set of a
    // string or int property sent with the next block, and the last such value the plug-in sent.
    float control(int index) const { return controls[size_t(index)].value; }
    std::string saveState();
    bool restoreState(const std::string& turtle);
    void sendProperty(const std::string& property, const std::string& text);
    void sendProperty(const std::string& property, int number);
    std::string receivedText(const std::string& property) const;
    int receivedNumber(const std::string& property) const;
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid) const;

private:
    struct ControlPort {
        uint32_t index;
        std::string symbol;
        float value;
    };
    void findPorts();
    void instantiate();
    void connectPorts();
    void writeEvents(const std::vector<BlockEvent>& events);
    void readNotifications();
    void readObjectNumbers(const LV2_Atom_Object* object);
    void restore(const LilvState* state);
    static void setPortValue(const char* symbol, void* data, const void* value, uint32_t size, uint32_t type);
    static const void* portValue(const char* symbol, void* data, uint32_t* size, uint32_t* type);

    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    std::vector<LilvNode*> presetNodes;
    std::vector<std::string> uris;
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map mapFeature{};
    LV2_URID_Unmap unmapFeature{};
    std::vector<ControlPort> controls;
    std::vector<uint32_t> audioPorts;
    uint32_t eventPort = UINT32_MAX;
    uint32_t notifyPort = UINT32_MAX;
    uint32_t portCount = 0;
    std::vector<std::vector<float>> audio;
    std::vector<uint64_t> eventBuffer;
    std::vector<uint64_t> notifyBuffer;
    // Patch messages for the next block, as whole atoms.
    std::vector<std::vector<uint8_t>> pendingAtoms;
    std::map<std::string, std::string> texts;
    std::map<std::string, int> numbers;
    double rate = 44100;
    int maxBlock = 512;
    int32_t optionBlock = 512;
    float lastTempo = -1.0f;
    bool active = false;
    double cpuSeconds = 0;
};
