#include "ClapExtensions.h"

#include "ClapGui.h"
#include "ClapParams.h"
#include "ClapPlugin.h"
#include "instrument/EffectTail.h"
#include "presets/ProgramFiles.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

InstrumentCore& coreOf(const clap_plugin_t* plugin)
{
    return ClapPlugin::of(plugin).instrument();
}

void logToHost(const clap_plugin_t* plugin, clap_log_severity severity, const char* message)
{
    const ClapPlugin& self = ClapPlugin::of(plugin);
    if (const auto* log = self.hostExtension<clap_host_log_t>(CLAP_EXT_LOG); log && log->log)
        log->log(self.clapHost(), severity, message);
}

// ---- state: the current program, as the core encodes it ----

bool CLAP_ABI stateSave(const clap_plugin_t* plugin, const clap_ostream_t* stream)
{
    if (!stream || !stream->write)
        return false;
    const std::vector<uint8_t> bytes = encodeState(coreOf(plugin).captureState());
    for (size_t done = 0; done < bytes.size();) {
        const int64_t written = stream->write(stream, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return true;
}

bool CLAP_ABI stateLoad(const clap_plugin_t* plugin, const clap_istream_t* stream)
{
    if (!stream || !stream->read)
        return false;
    // Ours is under 1 kB; a stream far longer is not a state of ours, and is not read to its end.
    constexpr size_t kLongestState = 64 * 1024;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    for (int64_t got; bytes.size() <= kLongestState && (got = stream->read(stream, chunk, sizeof chunk)) != 0;) {
        if (got < 0)
            return false;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    InstrumentState state;
    const StateReadResult result = decodeState(bytes.data(), bytes.size(), state);
    if (result != StateReadResult::Ok) {
        logToHost(plugin, CLAP_LOG_ERROR, describeStateResult(result));
        return false;
    }
    coreOf(plugin).restoreState(state);
    return true;
}

const clap_plugin_state_t kState{stateSave, stateLoad};

// ---- ports: one note input, one stereo output ----

uint32_t CLAP_ABI notePortCount(const clap_plugin_t*, bool isInput)
{
    return isInput ? 1 : 0;
}

bool CLAP_ABI notePortGet(const clap_plugin_t*, uint32_t index, bool isInput, clap_note_port_info_t* info)
{
    if (!isInput || index != 0 || !info)
        return false;
    *info = {};
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI | CLAP_NOTE_DIALECT_MIDI_MPE;
    info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
    std::strcpy(info->name, "Notes");
    return true;
}

const clap_plugin_note_ports_t kNotePorts{notePortCount, notePortGet};

uint32_t CLAP_ABI audioPortCount(const clap_plugin_t*, bool isInput)
{
    return isInput ? 0 : 1;
}

bool CLAP_ABI audioPortGet(const clap_plugin_t*, uint32_t index, bool isInput, clap_audio_port_info_t* info)
{
    if (isInput || index != 0 || !info)
        return false;
    *info = {};
    info->id = 0;
    std::strcpy(info->name, "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports_t kAudioPorts{audioPortCount, audioPortGet};

// ---- latency, tail, render mode, voices ----

uint32_t CLAP_ABI latencyGet(const clap_plugin_t*)
{
    return 0;
}

const clap_plugin_latency_t kLatency{latencyGet};

uint32_t CLAP_ABI tailGet(const clap_plugin_t* plugin)
{
    InstrumentCore& core = coreOf(plugin);
    return uint32_t(effectTailSeconds(core.programStore().current(), core.blockTempo()) * core.sampleRate());
}

const clap_plugin_tail_t kTail{tailGet};

bool CLAP_ABI renderHasHardRealtimeRequirement(const clap_plugin_t*)
{
    return false;
}

// Offline rendering sounds the same as playing live: both modes are welcome.
bool CLAP_ABI renderSet(const clap_plugin_t*, clap_plugin_render_mode mode)
{
    return mode == CLAP_RENDER_REALTIME || mode == CLAP_RENDER_OFFLINE;
}

const clap_plugin_render_t kRender{renderHasHardRealtimeRequirement, renderSet};

bool CLAP_ABI voiceInfoGet(const clap_plugin_t*, clap_voice_info_t* info)
{
    if (!info)
        return false;
    info->voice_count = kNumVoices;
    info->voice_capacity = kNumVoices;
    info->flags = CLAP_VOICE_INFO_SUPPORTS_OVERLAPPING_NOTES;
    return true;
}

const clap_plugin_voice_info_t kVoiceInfo{voiceInfoGet};

// ---- presets: a preset file, or a program of the bank by its number ----

bool loadPresetLocation(InstrumentCore& core, uint32_t kind, const char* location, const char* key)
{
    if (kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
        char* end = nullptr;
        const long number = key ? std::strtol(key, &end, 10) : -1;
        if (!key || *end || number < 0 || number >= kNumPrograms)
            return false;
        core.selectProgram(int(number));
        return true;
    }
    if (kind != CLAP_PRESET_DISCOVERY_LOCATION_FILE || !location)
        return false;
    // Read into a scratch program, so a broken file leaves the sound as it was.
    auto scratch = std::make_unique<ProgramRecord>();
    scratch->initialize();
    if (loadPresetFile(*scratch, std::filesystem::u8path(location)) != kFileOk)
        return false;
    InstrumentState state;
    state.program = core.currentProgram();
    std::memcpy(state.name, scratch->name, sizeof state.name);
    for (int i = 0; i < kNumParams; ++i)
        state.values[i] = scratch->get(i);
    core.restoreState(state);
    return true;
}

bool CLAP_ABI presetFromLocation(const clap_plugin_t* plugin, uint32_t kind, const char* location, const char* key)
{
    const ClapPlugin& self = ClapPlugin::of(plugin);
    const bool loaded = loadPresetLocation(coreOf(plugin), kind, location, key);
    const auto* host = self.hostExtension<clap_host_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    if (!host)
        host = self.hostExtension<clap_host_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT);
    if (host && loaded && host->loaded)
        host->loaded(self.clapHost(), kind, location, key);
    if (host && !loaded && host->on_error)
        host->on_error(self.clapHost(), kind, location, key, 0, "The preset could not be loaded.");
    return loaded;
}

const clap_plugin_preset_load_t kPresetLoad{presetFromLocation};

} // namespace

const void* clapExtension(const char* id)
{
    static const struct {
        const char* id;
        const void* extension;
    } table[] = {
        {CLAP_EXT_PARAMS, &kClapParams},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_NOTE_PORTS, &kNotePorts},
        {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
        {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_TAIL, &kTail},
        {CLAP_EXT_RENDER, &kRender},
        {CLAP_EXT_VOICE_INFO, &kVoiceInfo},
        {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
        {CLAP_EXT_PRESET_LOAD_COMPAT, &kPresetLoad},
        {CLAP_EXT_GUI, &kClapGui},
        {CLAP_EXT_TIMER_SUPPORT, &kClapTimerSupport},
    };
    for (const auto& entry : table)
        if (std::strcmp(id, entry.id) == 0)
            return entry.extension;
    return nullptr;
}
