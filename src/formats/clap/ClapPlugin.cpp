#include "ClapPlugin.h"

#include "ClapExtensions.h"
#include "editor/Editor.h"
#include "instrument/FloatModeGuard.h"

#include <algorithm>
#include <cmath>

namespace {

bool CLAP_ABI pluginInit(const clap_plugin_t* plugin)
{
    return ClapPlugin::of(plugin).init();
}
void CLAP_ABI pluginDestroy(const clap_plugin_t* plugin)
{
    delete &ClapPlugin::of(plugin);
}
bool CLAP_ABI pluginActivate(const clap_plugin_t* plugin, double rate, uint32_t, uint32_t maxFrames)
{
    return ClapPlugin::of(plugin).activate(rate, maxFrames);
}
void CLAP_ABI pluginDeactivate(const clap_plugin_t* plugin)
{
    ClapPlugin::of(plugin).deactivate();
}
bool CLAP_ABI pluginStartProcessing(const clap_plugin_t*)
{
    return true;
}
void CLAP_ABI pluginStopProcessing(const clap_plugin_t*) {}
void CLAP_ABI pluginReset(const clap_plugin_t* plugin)
{
    ClapPlugin::of(plugin).reset();
}
clap_process_status CLAP_ABI pluginProcess(const clap_plugin_t* plugin, const clap_process_t* process)
{
    return process ? ClapPlugin::of(plugin).process(*process) : CLAP_PROCESS_ERROR;
}
const void* CLAP_ABI pluginExtension(const clap_plugin_t* plugin, const char* id)
{
    return id ? ClapPlugin::of(plugin).extension(id) : nullptr;
}
// The plug-in never asks for a callback on the main thread.
void CLAP_ABI pluginOnMainThread(const clap_plugin_t*) {}

uint8_t midiByte(double fraction)
{
    return uint8_t(std::clamp(std::lround(fraction * 127.0), 0L, 127L));
}

} // namespace

ClapPlugin::ClapPlugin(const clap_host_t* clapHost, const clap_plugin_descriptor_t* descriptor) : host(clapHost)
{
    clapPlugin.desc = descriptor;
    clapPlugin.plugin_data = this;
    clapPlugin.init = pluginInit;
    clapPlugin.destroy = pluginDestroy;
    clapPlugin.activate = pluginActivate;
    clapPlugin.deactivate = pluginDeactivate;
    clapPlugin.start_processing = pluginStartProcessing;
    clapPlugin.stop_processing = pluginStopProcessing;
    clapPlugin.reset = pluginReset;
    clapPlugin.process = pluginProcess;
    clapPlugin.get_extension = pluginExtension;
    clapPlugin.on_main_thread = pluginOnMainThread;
}

ClapPlugin::~ClapPlugin()
{
    // A window the host left open is closed while the settings it saves still exist.
    if (editorWindow)
        editorWindow->close();
}

bool ClapPlugin::init()
{
    // The bank a new instance starts with; ends with program 0 selected. The host reads the
    // values once init returns: nothing to tell it yet.
    core.loadDefaultBank();
    initialized = true;
    return true;
}

// Host calls that belong to the main thread are made only there; a host without thread-check
// is taken at its word that it calls us rightly.
bool ClapPlugin::onMainThread() const
{
    const auto* threads = hostExtension<clap_host_thread_check_t>(CLAP_EXT_THREAD_CHECK);
    return !threads || !threads->is_main_thread || threads->is_main_thread(host);
}

bool ClapPlugin::activate(double sampleRate, uint32_t maxFrames)
{
    if (!(sampleRate >= 1000.0 && sampleRate <= 768000.0))
        return false;
    core.setSampleRate(float(sampleRate));
    core.activate();
    blockParameters.clear();
    blockParameters.reserve(std::clamp<uint32_t>(maxFrames, 256, 8192));
    // Hosts send their modulation anew after activation.
    modulation.fill(0.0f);
    voiceNotes.clear();
    return true;
}

// The engine keeps its tables for the next activation, which usually comes at the same rate.
void ClapPlugin::deactivate() {}

clap_process_status ClapPlugin::process(const clap_process_t& block)
{
    const FloatModeGuard floatMode;
    const int frames = int(std::min<uint32_t>(block.frames_count, INT32_MAX));
    if (block.transport)
        readTransport(*block.transport);
    blockParameters.clear();
    readEvents(block.in_events);
    float* left = nullptr;
    float* right = nullptr;
    if (block.audio_outputs_count > 0 && block.audio_outputs && block.audio_outputs[0].channel_count >= 2 &&
        block.audio_outputs[0].data32) {
        left = block.audio_outputs[0].data32[0];
        right = block.audio_outputs[0].data32[1];
    }
    core.process(left && right ? left : nullptr, left && right ? right : nullptr, frames, blockParameters);
    if (left && right)
        block.audio_outputs[0].constant_mask = 0;
    sendEdits(block.out_events);
    voiceNotes.endBlock(core.engine(), block.out_events, block.frames_count > 0 ? block.frames_count - 1 : 0);
    return CLAP_PROCESS_CONTINUE;
}

void ClapPlugin::readEvents(const clap_input_events_t* in)
{
    if (!in || !in->size || !in->get)
        return;
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count; ++i)
        if (const clap_event_header_t* event = in->get(in, i); event && event->space_id == CLAP_CORE_EVENT_SPACE_ID)
            readEvent(*event);
}

void ClapPlugin::readEvent(const clap_event_header_t& event)
{
    switch (event.type) {
    case CLAP_EVENT_NOTE_ON:
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE:
        if (event.size >= sizeof(clap_event_note_t))
            readNote(reinterpret_cast<const clap_event_note_t&>(event), event.type == CLAP_EVENT_NOTE_ON);
        return;
    case CLAP_EVENT_PARAM_VALUE: {
        if (event.size < sizeof(clap_event_param_value_t))
            return;
        const auto& change = reinterpret_cast<const clap_event_param_value_t&>(event);
        // Values for one note or key are not ours to keep: the program holds one value. A value
        // that is not a finite number is refused; one past the range the host was given is held
        // to it.
        if (change.note_id != -1 || change.key != -1 || change.param_id >= uint32_t(kNumParams) ||
            !std::isfinite(change.value))
            return;
        const TimedParameter timed{int(event.time), int(change.param_id), float(std::clamp(change.value, 0.0, 1.0))};
        if (blockParameters.size() < blockParameters.capacity())
            blockParameters.push_back(timed);
        else
            core.setParameter(timed.index, timed.value);
        return;
    }
    case CLAP_EVENT_PARAM_MOD:
        if (event.size >= sizeof(clap_event_param_mod_t))
            readModulation(reinterpret_cast<const clap_event_param_mod_t&>(event));
        return;
    case CLAP_EVENT_NOTE_EXPRESSION:
        if (event.size >= sizeof(clap_event_note_expression_t))
            readExpression(reinterpret_cast<const clap_event_note_expression_t&>(event));
        return;
    case CLAP_EVENT_TRANSPORT:
        if (event.size >= sizeof(clap_event_transport_t))
            readTransport(reinterpret_cast<const clap_event_transport_t&>(event));
        return;
    case CLAP_EVENT_MIDI: {
        if (event.size < sizeof(clap_event_midi_t))
            return;
        const auto& midi = reinterpret_cast<const clap_event_midi_t&>(event);
        core.queueMidi({int32_t(event.time), midi.data[0], midi.data[1], midi.data[2]});
        if ((midi.data[0] & 0xF0) == 0x90 && (midi.data[2] & 0x7F) > 0) {
            modulateNewNote(event.time, midi.data[0] & 0x0F, midi.data[1] & 0x7F);
        }
        return;
    }
    default:
        return;
    }
}

void ClapPlugin::readNote(const clap_event_note_t& note, bool on)
{
    if (note.key > 127 || note.channel > 15)
        return;
    if (on) {
        // A note-on names its key and channel; velocity 0 is still a note-on, unlike MIDI's.
        if (note.key < 0 || note.channel < 0)
            return;
        voiceNotes.noteStarted(note.note_id, note.channel, note.key);
        const uint8_t status = uint8_t(0x90 | note.channel);
        core.queueMidi({int32_t(note.header.time), status, uint8_t(note.key), std::max<uint8_t>(midiByte(note.velocity), 1)});
        modulateNewNote(note.header.time, note.channel, note.key);
        return;
    }
    // Any key: the keys held on the channel (or on all) go, as with MIDI's All Notes Off.
    if (note.key < 0) {
        core.queueMidi({int32_t(note.header.time), uint8_t(0xB0 | std::max<int16_t>(note.channel, 0)), 123, 0});
        return;
    }
    const int firstChannel = note.channel < 0 ? 0 : note.channel;
    const int lastChannel = note.channel < 0 ? 15 : note.channel;
    for (int channel = firstChannel; channel <= lastChannel; ++channel)
        core.queueMidi({int32_t(note.header.time), uint8_t(0x80 | channel), uint8_t(note.key), midiByte(note.velocity)});
}

void ClapPlugin::readTransport(const clap_event_transport_t& transport)
{
    const float tempo = transport.flags & CLAP_TRANSPORT_HAS_TEMPO ? float(transport.tempo) : 0.0f;
    const int denominator = transport.flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE ? transport.tsig_denom : 0;
    core.setTempo(tempo, denominator);
}

void ClapPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out)
{
    blockParameters.clear();
    readEvents(in);
    for (const TimedParameter& change : blockParameters)
        core.setParameter(change.index, change.value);
    blockParameters.clear();
    sendEdits(out);
}

void ClapPlugin::sendEdits(const clap_output_events_t* out)
{
    ClapEdit edit;
    while (edits.pop(edit)) {
        if (!out || !out->try_push)
            continue;
        if (edit.kind == ClapEdit::Value) {
            clap_event_param_value_t event{};
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
            event.param_id = clap_id(edit.index);
            event.note_id = -1;
            event.port_index = event.channel = event.key = -1;
            event.value = edit.value;
            out->try_push(out, &event.header);
        } else {
            clap_event_param_gesture_t event{};
            const uint16_t type = edit.kind == ClapEdit::GestureBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                                                       : CLAP_EVENT_PARAM_GESTURE_END;
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
            event.param_id = clap_id(edit.index);
            out->try_push(out, &event.header);
        }
    }
}

void ClapPlugin::reportUserEdit(int index, float value)
{
    edits.push({ClapEdit::Value, index, value});
    // While the host is not processing, the edit reaches it through a flush it is asked for.
    const auto* params = hostExtension<clap_host_params_t>(CLAP_EXT_PARAMS);
    if (params && params->request_flush && onMainThread())
        params->request_flush(host);
}

void ClapPlugin::reportGesture(int index, bool begins)
{
    edits.push({begins ? ClapEdit::GestureBegin : ClapEdit::GestureEnd, index, 0.0f});
}

void ClapPlugin::reportAllValuesChanged()
{
    const auto* params = hostExtension<clap_host_params_t>(CLAP_EXT_PARAMS);
    if (initialized && params && params->rescan && onMainThread())
        params->rescan(host, CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT);
}

const void* ClapPlugin::extension(const char* id) const
{
    return clapExtension(id);
}
