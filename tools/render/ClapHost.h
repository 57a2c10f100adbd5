// Hosts one CLAP plug-in through the binary interface only: the entry and factory, the host
// services a plug-in may ask for, parameters as events, the state, presets, the editor, and
// block processing with notes, MIDI and the transport.
#pragma once

#include "HostedPlugin.h"
#include "formats/clap/clapabi.h"

#include <string>
#include <thread>
#include <vector>

class ClapHost final : public HostedPlugin {
public:
    // Loads a .clap library and creates its first plug-in; throws HostError when it is not a
    // usable CLAP plug-in.
    explicit ClapHost(const std::string& libraryPath);
    ~ClapHost() override;
    ClapHost(const ClapHost&) = delete;
    ClapHost& operator=(const ClapHost&) = delete;

    int numOutputs() const override { return outputs; }
    // A plug-in that loads presets by number has the MIDI program range.
    int numPrograms() const override { return presetLoad ? 128 : 0; }
    double sampleRate() const override { return rate; }
    int blockSize() const override { return maxBlock; }
    bool usesDouble() const override { return false; }

    void configure(double sampleRate, int blockSize, bool doublePrecision) override;
    std::string effectName() override { return plugin->desc && plugin->desc->name ? plugin->desc->name : ""; }
    std::vector<PluginParameter> parameters() override;
    int findParameter(const std::string& name) override;
    // Sent as a parameter event with the next block, or by a flush while stopped.
    void setParameter(int index, float value) override;
    void setProgram(int program) override;
    // A preset file through the plug-in's preset-load; false when it cannot load it.
    bool loadPreset(const std::string& path);
    std::vector<std::string> programNames() override { return {}; }

    void start() override;
    void stop() override;
    void processBlock(const std::vector<BlockEvent>& events, int frames) override;
    float* output(int channel) override { return floatOut[size_t(channel)].data(); }
    double processCpuSeconds() const override { return cpuSeconds; }

    bool hasEditor() override;
    bool editorSize(int& width, int& height) override;
    bool openEditor(void* parentWindow) override;
    void idleEditor() override;
    void closeEditor() override;

    // For tests and the validator: the raw plug-in, its extensions and what it said.
    const clap_plugin_t* raw() const { return plugin; }
    template <typename Extension>
    const Extension* extension(const char* id) const
    {
        return plugin->get_extension ? static_cast<const Extension*>(plugin->get_extension(plugin, id)) : nullptr;
    }
    // Events to send with the next block besides the MIDI (note expressions, modulation), with
    // their own times; copied, so any record may be given.
    void addEvent(const clap_event_header_t& event);
    // The plug-in's output events of the last block, as copies.
    const std::vector<std::vector<uint8_t>>& outputEvents() const { return received; }
    std::vector<uint8_t> saveState();
    bool loadState(const std::vector<uint8_t>& bytes);
    const std::vector<std::string>& logMessages() const { return messages; }
    // The note id the next note-on gets.
    int32_t nextNoteId() const { return noteCounter; }
    // For a validator: the library's entry and factory and this host's record, to make more
    // instances and look at every descriptor.
    const clap_plugin_entry_t* pluginEntry() const { return entry; }
    const clap_plugin_factory_t* factory() const { return pluginFactory; }
    const clap_host_t* hostRecord() const { return &host; }
    // One process call into buffers the caller owns, with the events added since the last call
    // and the given transport (null for a free-running host); starts processing when needed.
    clap_process_status processInto(clap_audio_buffer_t& outputs, uint32_t frames,
                                     const clap_event_transport_t* transport);
    // Sends the events added so far through the plug-in's params.flush; only while stopped.
    void flushParameters();

private:
    friend struct ClapHostServices;
    void loadEntry(const std::string& path);
    void createPlugin(const std::string& path);
    void readPorts();
    void queueMidi(const BlockEvent& event);
    void queueTransport();
    static const void* CLAP_ABI hostExtension(const clap_host_t* host, const char* id);
    static ClapHost& of(const clap_host_t* host) { return *static_cast<ClapHost*>(host->host_data); }

    void* library = nullptr;
    const clap_plugin_entry_t* entry = nullptr;
    const clap_plugin_factory_t* pluginFactory = nullptr;
    const clap_plugin_t* plugin = nullptr;
    const clap_plugin_preset_load_t* presetLoad = nullptr;
    const clap_plugin_gui_t* gui = nullptr;
    clap_host_t host{};
    std::thread::id mainThread = std::this_thread::get_id();
    bool active = false;
    bool processing = false;
    bool inProcess = false;
    bool guiCreated = false;
    int outputs = 2;
    double rate = 44100;
    int maxBlock = 512;
    double cpuSeconds = 0;
    int32_t noteCounter = 0;
    std::vector<clap_id> timers;

    std::vector<std::vector<float>> floatOut;
    std::vector<float*> floatOutPtrs;
    // The next block's events as raw records, in time order once sorted.
    std::vector<std::vector<uint8_t>> pending;
    std::vector<std::vector<uint8_t>> received;
    std::vector<std::string> messages;
};
