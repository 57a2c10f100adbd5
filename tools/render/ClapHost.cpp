#include "ClapHost.h"

#include "CpuClock.h"
#include "PluginLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The host services that need the instance: the log, the threads, the timers.
struct ClapHostServices {
    static void CLAP_ABI log(const clap_host_t* host, clap_log_severity, const char* message)
    {
        if (message)
            ClapHost::of(host).messages.push_back(message);
    }
    static bool CLAP_ABI isMainThread(const clap_host_t* host)
    {
        return std::this_thread::get_id() == ClapHost::of(host).mainThread && !ClapHost::of(host).inProcess;
    }
    static bool CLAP_ABI isAudioThread(const clap_host_t* host)
    {
        return ClapHost::of(host).inProcess;
    }
    static bool CLAP_ABI registerTimer(const clap_host_t* host, uint32_t, clap_id* id)
    {
        std::vector<clap_id>& timers = ClapHost::of(host).timers;
        if (!id)
            return false;
        *id = clap_id(timers.size() + 1);
        timers.push_back(*id);
        return true;
    }
    static bool CLAP_ABI unregisterTimer(const clap_host_t* host, clap_id id)
    {
        std::vector<clap_id>& timers = ClapHost::of(host).timers;
        const auto found = std::find(timers.begin(), timers.end(), id);
        if (found == timers.end())
            return false;
        timers.erase(found);
        return true;
    }
    static void CLAP_ABI presetError(const clap_host_t* host, uint32_t, const char*, const char*, int32_t,
                                     const char* message)
    {
        log(host, CLAP_LOG_ERROR, message);
    }
};

namespace {


template <typename Record>
std::vector<uint8_t> bytesOf(const Record& record)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(bytes, bytes + sizeof record);
}

const clap_event_header_t& headerOf(const std::vector<uint8_t>& bytes)
{
    return *reinterpret_cast<const clap_event_header_t*>(bytes.data());
}

// ---- the services a plug-in may ask of this host ----

void CLAP_ABI hostParamsRescan(const clap_host_t*, clap_param_rescan_flags) {}
void CLAP_ABI hostParamsClear(const clap_host_t*, clap_id, clap_param_clear_flags) {}
void CLAP_ABI hostRequestFlush(const clap_host_t*) {}
void CLAP_ABI hostMarkDirty(const clap_host_t*) {}
void CLAP_ABI hostChanged(const clap_host_t*) {}
void CLAP_ABI hostResizeHintsChanged(const clap_host_t*) {}
bool CLAP_ABI hostRequestResize(const clap_host_t*, uint32_t, uint32_t)
{
    return false;
}
bool CLAP_ABI hostRequestShowHide(const clap_host_t*)
{
    return false;
}
void CLAP_ABI hostGuiClosed(const clap_host_t*, bool) {}
uint32_t CLAP_ABI hostNoteDialects(const clap_host_t*)
{
    return CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
}
void CLAP_ABI hostNotePortsRescan(const clap_host_t*, uint32_t) {}
void CLAP_ABI hostPresetLoaded(const clap_host_t*, uint32_t, const char*, const char*) {}

const clap_host_log_t kLog{ClapHostServices::log};
const clap_host_thread_check_t kThreadCheck{ClapHostServices::isMainThread, ClapHostServices::isAudioThread};
const clap_host_params_t kParams{hostParamsRescan, hostParamsClear, hostRequestFlush};
const clap_host_state_t kState{hostMarkDirty};
const clap_host_latency_t kLatency{hostChanged};
const clap_host_tail_t kTail{hostChanged};
const clap_host_voice_info_t kVoiceInfo{hostChanged};
const clap_host_timer_support_t kTimers{ClapHostServices::registerTimer, ClapHostServices::unregisterTimer};
const clap_host_gui_t kGui{hostResizeHintsChanged, hostRequestResize, hostRequestShowHide, hostRequestShowHide,
                           hostGuiClosed};
const clap_host_note_ports_t kNotePorts{hostNoteDialects, hostNotePortsRescan};
const clap_host_preset_load_t kPresetLoad{ClapHostServices::presetError, hostPresetLoaded};

// The input event list of one call: the records in time order.
struct EventList {
    std::vector<const clap_event_header_t*> events;
    clap_input_events_t list{this, size, get};

    static uint32_t CLAP_ABI size(const clap_input_events_t* list)
    {
        return uint32_t(static_cast<const EventList*>(list->ctx)->events.size());
    }
    static const clap_event_header_t* CLAP_ABI get(const clap_input_events_t* list, uint32_t index)
    {
        const auto& events = static_cast<const EventList*>(list->ctx)->events;
        return index < events.size() ? events[index] : nullptr;
    }
};

// The output event list of one call: copies of what the plug-in pushed.
struct EventSink {
    std::vector<std::vector<uint8_t>>* into;
    clap_output_events_t list{this, push};

    static bool CLAP_ABI push(const clap_output_events_t* list, const clap_event_header_t* event)
    {
        if (!event || event->size < sizeof(clap_event_header_t))
            return false;
        const auto* bytes = reinterpret_cast<const uint8_t*>(event);
        static_cast<EventSink*>(list->ctx)->into->emplace_back(bytes, bytes + event->size);
        return true;
    }
};

EventList listOf(const std::vector<std::vector<uint8_t>>& records)
{
    EventList list;
    for (const auto& record : records)
        list.events.push_back(&headerOf(record));
    std::stable_sort(list.events.begin(), list.events.end(),
                     [](const clap_event_header_t* a, const clap_event_header_t* b) { return a->time < b->time; });
    return list;
}

} // namespace

ClapHost::ClapHost(const std::string& libraryPath)
{
    host.clap_version = CLAP_VERSION;
    host.host_data = this;
    host.name = "morvelline-render";
    host.vendor = "Hollowfen Software";
    host.url = "";
    host.version = "1.0";
    host.get_extension = hostExtension;
    host.request_restart = [](const clap_host_t*) {};
    host.request_process = [](const clap_host_t*) {};
    host.request_callback = [](const clap_host_t*) {};
    library = openLibrary(libraryPath);
    if (!library)
        throw HostError("cannot load plug-in '" + libraryPath + "': " + libraryError());
    try {
        loadEntry(libraryPath);
        createPlugin(libraryPath);
        readPorts();
    } catch (...) {
        if (plugin)
            plugin->destroy(plugin);
        if (entry)
            entry->deinit();
        closeLibrary(library);
        throw;
    }
}

void ClapHost::loadEntry(const std::string& path)
{
    entry = static_cast<const clap_plugin_entry_t*>(findSymbol(library, "clap_entry"));
    if (!entry)
        throw HostError("'" + path + "' is not a CLAP plug-in: it exports no clap_entry");
    if (!clap_version_is_compatible(entry->clap_version) || !entry->init || !entry->deinit || !entry->get_factory) {
        entry = nullptr;
        throw HostError("'" + path + "' has a CLAP entry this host cannot use");
    }
    if (!entry->init(path.c_str())) {
        entry = nullptr;
        throw HostError("'" + path + "' refused to initialise");
    }
}

void ClapHost::createPlugin(const std::string& path)
{
    const auto* factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!factory || !factory->get_plugin_count || !factory->get_plugin_descriptor || !factory->create_plugin ||
        factory->get_plugin_count(factory) == 0)
        throw HostError("'" + path + "' offers no plug-ins");
    pluginFactory = factory;
    const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, 0);
    if (!descriptor || !descriptor->id)
        throw HostError("'" + path + "' describes no plug-in");
    plugin = factory->create_plugin(factory, &host, descriptor->id);
    if (!plugin)
        throw HostError("'" + path + "' refused to create its plug-in");
    if (!plugin->init(plugin)) {
        plugin->destroy(plugin);
        plugin = nullptr;
        throw HostError("'" + path + "' failed to initialise its plug-in");
    }
    presetLoad = extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    gui = extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
}

void ClapHost::readPorts()
{
    const auto* ports = extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    clap_audio_port_info_t info{};
    if (!ports || ports->count(plugin, false) == 0 || !ports->get(plugin, 0, false, &info))
        throw HostError("the plug-in has no audio outputs");
    if (info.channel_count == 0 || info.channel_count > kMaxPluginChannels)
        throw HostError("the plug-in reports an implausible number of audio channels");
    outputs = int(info.channel_count);
}

ClapHost::~ClapHost()
{
    closeEditor();
    stop();
    plugin->destroy(plugin);
    entry->deinit();
    closeLibrary(library);
}

void ClapHost::configure(double sampleRate, int blockSize, bool doublePrecision)
{
    if (active)
        throw HostError("the plug-in cannot be reconfigured while it runs");
    if (doublePrecision)
        throw HostError("the plug-in cannot process in double precision");
    rate = sampleRate;
    maxBlock = blockSize;
    timeInfo.sampleRate = rate;
    floatOut.assign(size_t(outputs), std::vector<float>(size_t(maxBlock), 0.0f));
    floatOutPtrs.clear();
    for (auto& channel : floatOut)
        floatOutPtrs.push_back(channel.data());
}

std::vector<PluginParameter> ClapHost::parameters()
{
    std::vector<PluginParameter> list;
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    for (uint32_t i = 0; params && i < params->count(plugin); ++i) {
        clap_param_info_t info{};
        double value = 0;
        char text[256] = "";
        if (!params->get_info(plugin, i, &info))
            continue;
        if (params->get_value(plugin, info.id, &value))
            params->value_to_text(plugin, info.id, value, text, sizeof text);
        list.push_back({int(info.id), info.name, text, ""});
    }
    return list;
}

int ClapHost::findParameter(const std::string& name)
{
    std::vector<std::string> names;
    for (const PluginParameter& parameter : parameters()) {
        names.resize(std::max<size_t>(names.size(), size_t(parameter.index) + 1));
        names[size_t(parameter.index)] = parameter.name;
    }
    return findParameterByName(names, name);
}

void ClapHost::setParameter(int index, float value)
{
    clap_event_param_value_t event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = clap_id(index);
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    addEvent(event.header);
    if (!processing)
        flushParameters();
}

void ClapHost::flushParameters()
{
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (!params || !params->flush)
        return;
    EventList in = listOf(pending);
    received.clear();
    EventSink out{&received};
    params->flush(plugin, &in.list, &out.list);
    pending.clear();
}

void ClapHost::setProgram(int program)
{
    if (presetLoad)
        presetLoad->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, "", std::to_string(program).c_str());
}

bool ClapHost::loadPreset(const std::string& path)
{
    return presetLoad && presetLoad->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, path.c_str(), nullptr);
}

void ClapHost::start()
{
    if (processing)
        return;
    if (floatOut.empty())
        configure(rate, maxBlock, false);
    if (!plugin->activate(plugin, rate, 1, uint32_t(maxBlock)))
        throw HostError("the plug-in refused to activate at " + std::to_string(rate) + " Hz");
    active = true;
    processing = plugin->start_processing(plugin);
    if (!processing)
        throw HostError("the plug-in refused to start processing");
}

void ClapHost::stop()
{
    if (processing)
        plugin->stop_processing(plugin);
    processing = false;
    if (active)
        plugin->deactivate(plugin);
    active = false;
}

void ClapHost::addEvent(const clap_event_header_t& event)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&event);
    pending.emplace_back(bytes, bytes + std::max<uint32_t>(event.size, sizeof event));
}

// Note-ons and note-offs travel as CLAP notes with ids; everything else as MIDI.
void ClapHost::queueMidi(const BlockEvent& event)
{
    const uint8_t kind = event.bytes[0] & 0xF0;
    const bool noteOn = kind == 0x90 && event.bytes[2] > 0;
    const bool noteOff = kind == 0x80 || (kind == 0x90 && event.bytes[2] == 0);
    const uint32_t time = uint32_t(std::max(0, event.deltaFrame));
    if (noteOn || noteOff) {
        clap_event_note_t note{};
        note.header = {sizeof note, time, CLAP_CORE_EVENT_SPACE_ID, noteOn ? CLAP_EVENT_NOTE_ON : CLAP_EVENT_NOTE_OFF, 0};
        note.note_id = noteOn ? noteCounter++ : -1;
        note.port_index = 0;
        note.channel = int16_t(event.bytes[0] & 0x0F);
        note.key = int16_t(event.bytes[1] & 0x7F);
        note.velocity = (event.bytes[2] & 0x7F) / 127.0;
        pending.push_back(bytesOf(note));
        return;
    }
    clap_event_midi_t midi{};
    midi.header = {sizeof midi, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    std::memcpy(midi.data, event.bytes, 3);
    pending.push_back(bytesOf(midi));
}

void ClapHost::queueTransport()
{
    clap_event_transport_t transport{};
    transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    if (timeInfo.flags & kVstTempoValid) {
        transport.flags |= CLAP_TRANSPORT_HAS_TEMPO;
        transport.tempo = timeInfo.tempo;
    }
    if (timeInfo.flags & kVstTimeSigValid) {
        transport.flags |= CLAP_TRANSPORT_HAS_TIME_SIGNATURE;
        transport.tsig_num = uint16_t(timeInfo.timeSigNumerator);
        transport.tsig_denom = uint16_t(timeInfo.timeSigDenominator);
    }
    if (timeInfo.flags & kVstPpqPosValid) {
        transport.flags |= CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
        transport.song_pos_beats = clap_beattime(std::llround(timeInfo.ppqPos * double(CLAP_BEATTIME_FACTOR)));
    }
    if (timeInfo.flags & kVstTransportPlaying)
        transport.flags |= CLAP_TRANSPORT_IS_PLAYING;
    pending.insert(pending.begin(), bytesOf(transport));
}

void ClapHost::processBlock(const std::vector<BlockEvent>& events, int frames)
{
    if (!processing)
        start();
    frames = std::clamp(frames, 0, maxBlock);
    for (const BlockEvent& event : events)
        queueMidi(event);
    queueTransport();
    clap_event_transport_t transport;
    std::memcpy(&transport, pending.front().data(), sizeof transport);
    clap_audio_buffer_t buffer{};
    buffer.data32 = floatOutPtrs.data();
    buffer.channel_count = uint32_t(outputs);
    timeInfo.flags &= ~kVstTransportChanged;
    if (processInto(buffer, uint32_t(frames), &transport) == CLAP_PROCESS_ERROR)
        throw HostError("the plug-in reported an error while processing");
}

clap_process_status ClapHost::processInto(clap_audio_buffer_t& buffer, uint32_t frames,
                                          const clap_event_transport_t* transport)
{
    if (!processing)
        start();
    EventList in = listOf(pending);
    received.clear();
    EventSink out{&received};
    clap_process_t process{};
    process.steady_time = -1;
    process.frames_count = frames;
    process.transport = transport;
    process.audio_outputs = &buffer;
    process.audio_outputs_count = 1;
    process.in_events = &in.list;
    process.out_events = &out.list;

    const double before = threadCpuSeconds();
    inProcess = true;
    const clap_process_status status = plugin->process(plugin, &process);
    inProcess = false;
    cpuSeconds += std::max(0.0, threadCpuSeconds() - before - clockReadSeconds());
    pending.clear();
    return status;
}

std::vector<uint8_t> ClapHost::saveState()
{
    const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    std::vector<uint8_t> bytes;
    clap_ostream_t stream{&bytes, [](const clap_ostream_t* s, const void* data, uint64_t size) -> int64_t {
                              auto* into = static_cast<std::vector<uint8_t>*>(s->ctx);
                              const auto* from = static_cast<const uint8_t*>(data);
                              into->insert(into->end(), from, from + size);
                              return int64_t(size);
                          }};
    if (!state || !state->save(plugin, &stream))
        throw HostError("the plug-in could not save its state");
    return bytes;
}

bool ClapHost::loadState(const std::vector<uint8_t>& bytes)
{
    const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    struct Reader {
        const std::vector<uint8_t>* bytes;
        size_t at = 0;
    } reader{&bytes};
    clap_istream_t stream{&reader, [](const clap_istream_t* s, void* data, uint64_t size) -> int64_t {
                              auto* from = static_cast<Reader*>(s->ctx);
                              const size_t count = std::min<size_t>(size_t(size), from->bytes->size() - from->at);
                              std::memcpy(data, from->bytes->data() + from->at, count);
                              from->at += count;
                              return int64_t(count);
                          }};
    return state && state->load(plugin, &stream);
}

bool ClapHost::hasEditor()
{
#ifdef _WIN32
    const char* api = CLAP_WINDOW_API_WIN32;
#else
    const char* api = CLAP_WINDOW_API_X11;
#endif
    if (!gui || !gui->is_api_supported(plugin, api, false))
        return false;
    if (!guiCreated)
        guiCreated = gui->create(plugin, api, false);
    return guiCreated;
}

bool ClapHost::editorSize(int& width, int& height)
{
    uint32_t w = 0, h = 0;
    if (!hasEditor() || !gui->get_size(plugin, &w, &h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

bool ClapHost::openEditor(void* parentWindow)
{
    if (!hasEditor())
        return false;
    clap_window_t window{};
#ifdef _WIN32
    window.api = CLAP_WINDOW_API_WIN32;
    window.win32 = parentWindow;
#else
    window.api = CLAP_WINDOW_API_X11;
    window.x11 = clap_xwnd(reinterpret_cast<uintptr_t>(parentWindow));
#endif
    return gui->set_parent(plugin, &window) && gui->show(plugin);
}

void ClapHost::idleEditor()
{
    const auto* timerSupport = extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    for (clap_id id : timers)
        if (timerSupport && timerSupport->on_timer)
            timerSupport->on_timer(plugin, id);
}

void ClapHost::closeEditor()
{
    if (guiCreated)
        gui->destroy(plugin);
    guiCreated = false;
}

const void* CLAP_ABI ClapHost::hostExtension(const clap_host_t*, const char* id)
{
    static const struct {
        const char* id;
        const void* extension;
    } table[] = {
        {CLAP_EXT_LOG, &kLog},
        {CLAP_EXT_THREAD_CHECK, &kThreadCheck},
        {CLAP_EXT_PARAMS, &kParams},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_TAIL, &kTail},
        {CLAP_EXT_VOICE_INFO, &kVoiceInfo},
        {CLAP_EXT_TIMER_SUPPORT, &kTimers},
        {CLAP_EXT_GUI, &kGui},
        {CLAP_EXT_NOTE_PORTS, &kNotePorts},
        {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
    };
    for (const auto& entry : table)
        if (id && std::strcmp(id, entry.id) == 0)
            return entry.extension;
    return nullptr;
}
