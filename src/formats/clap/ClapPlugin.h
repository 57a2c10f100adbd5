// The CLAP face of the instrument: one object per instance, behind the clap_plugin_t the host
// holds, translating the host's calls and events into the format-free core.
#pragma once

#include "clapabi.h"
#include "ClapEditQueue.h"
#include "ClapVoiceTracker.h"
#include "instrument/InstrumentCore.h"

#include <array>
#include <memory>
#include <vector>

class Editor;

class ClapPlugin final : public InstrumentFormat {
public:
    ClapPlugin(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor);
    ~ClapPlugin();

    const clap_plugin_t* plugin() const { return &clapPlugin; }
    static ClapPlugin& of(const clap_plugin_t* plugin) { return *static_cast<ClapPlugin*>(plugin->plugin_data); }

    bool init();
    bool activate(double sampleRate, uint32_t maxFrames);
    void deactivate();
    void reset() { core.reset(); }
    clap_process_status process(const clap_process_t& process);
    const void* extension(const char* id) const;
    bool onMainThread() const;

    // Host parameter events outside processing (params.flush), and the editor's edits to tell.
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);

    InstrumentCore& instrument() { return core; }
    const clap_host_t* clapHost() const { return host; }
    template <typename Extension>
    const Extension* hostExtension(const char* id) const
    {
        return host && host->get_extension ? static_cast<const Extension*>(host->get_extension(host, id)) : nullptr;
    }

    // The editor, created by the host's gui calls, and the host timer that idles it.
    std::unique_ptr<Editor> editorWindow;
    clap_id guiTimer = CLAP_INVALID_ID;

    // InstrumentFormat
    Editor* formatEditor() const override { return editorWindow.get(); }
    void reportUserEdit(int index, float value) override;
    void reportGesture(int index, bool begins) override;
    void reportAllValuesChanged() override;

private:
    void readEvents(const clap_input_events_t* in);
    void readEvent(const clap_event_header_t& event);
    void readNote(const clap_event_note_t& note, bool on);
    void readModulation(const clap_event_param_mod_t& modulation);
    // The host's modulation of all notes holds for a note from its start.
    void modulateNewNote(uint32_t time, int channel, int key);
    void readExpression(const clap_event_note_expression_t& expression);
    // The channel and key a per-note event addresses (-1: any); false when its note id names no
    // playing note.
    bool noteAddressed(int32_t noteId, int16_t channel, int16_t key, int& toChannel, int& toKey) const;
    void readTransport(const clap_event_transport_t& transport);
    void sendEdits(const clap_output_events_t* out);

    clap_plugin_t clapPlugin{};
    const clap_host_t* host;
    InstrumentCore core{*this};
    bool initialized = false;
    // The block's parameter changes, in frame order; room taken at activation.
    std::vector<TimedParameter> blockParameters;
    // The editor's edits on their way to the host, which hears of them from process or flush.
    ClapEditQueue edits;
    // The host's notes the voices play.
    ClapVoiceTracker voiceNotes;
    // The host's modulation of all notes, which every note started later takes on too.
    std::array<float, kNumParams> modulation{};
};
