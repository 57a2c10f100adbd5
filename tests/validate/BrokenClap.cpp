// A small sine synthesizer as a CLAP plug-in that passes every CLAP check of morvelline-validate,
// and, built with one of these definitions, carries one typical fault for the validator to catch:
//   BROKEN_CLAP_PAST_BLOCK  renders in 16-frame chunks and writes the last chunk whole, past the
//                           end of a block whose size is not a multiple of 16
//   BROKEN_CLAP_STATE       forgets its second parameter when it loads a state
#include "formats/clap/clapabi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kVoices = 8;
constexpr uint32_t kParams = 2;
constexpr const char* kId = "com.hollowfen.validator-test-synth";
constexpr const char* kParamNames[kParams] = {"Volume", "Tone"};
constexpr char kMagic[4] = {'T', 'S', 'Y', 'N'};
constexpr uint32_t kStateSize = 4 + 2 * sizeof(double);

struct Voice {
    int32_t id = -1;
    int16_t key = -1, channel = -1;
    bool sounding = false, held = false;
    float level = 0, velocity = 0;
    double phase = 0;
};

struct Synth {
    clap_plugin_t plugin{};
    const clap_host_t* host = nullptr;
    double rate = 44100;
    uint32_t maxFrames = 0;
    double params[kParams] = {0.5, 0.5};
    Voice voices[kVoices];
};

Synth& synthOf(const clap_plugin_t* p)
{
    return *static_cast<Synth*>(p->plugin_data);
}

// ---- notes ----

void endNote(Voice& v, const clap_output_events_t* out)
{
    clap_event_note_t end{};
    end.header = {sizeof end, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_END, 0};
    end.note_id = v.id;
    end.port_index = 0;
    end.channel = v.channel;
    end.key = v.key;
    if (out && out->try_push)
        out->try_push(out, &end.header);
    v = Voice{};
}

bool matches(const Voice& v, const clap_event_note_t& n)
{
    return v.sounding && (n.key < 0 || n.key == v.key) && (n.channel < 0 || n.channel == v.channel) &&
           (n.note_id < 0 || n.note_id == v.id);
}

void handleNote(Synth& s, const clap_event_note_t& n, const clap_output_events_t* out)
{
    if (n.header.type != CLAP_EVENT_NOTE_ON) {
        for (Voice& v : s.voices)
            if (matches(v, n)) {
                v.held = false;
                if (n.header.type == CLAP_EVENT_NOTE_CHOKE)
                    endNote(v, out);
            }
        return;
    }
    if (n.key < 0 || n.key > 127 || n.channel < 0 || n.channel > 15)
        return;
    Voice* voice = &s.voices[0];
    for (Voice& v : s.voices)
        if (!v.sounding || (voice->sounding && v.level < voice->level))
            voice = &v;
    if (voice->sounding)
        endNote(*voice, out); // stolen: the host hears that its note ended
    voice->id = n.note_id;
    voice->key = n.key;
    voice->channel = n.channel;
    voice->sounding = voice->held = true;
    voice->velocity = std::isfinite(n.velocity) ? float(std::clamp(n.velocity, 0.0, 1.0)) : 0.0f;
}

void handleEvent(Synth& s, const clap_event_header_t& e, const clap_output_events_t* out)
{
    if (e.space_id != CLAP_CORE_EVENT_SPACE_ID)
        return;
    if ((e.type == CLAP_EVENT_NOTE_ON || e.type == CLAP_EVENT_NOTE_OFF || e.type == CLAP_EVENT_NOTE_CHOKE) &&
        e.size >= sizeof(clap_event_note_t))
        handleNote(s, reinterpret_cast<const clap_event_note_t&>(e), out);
    if (e.type == CLAP_EVENT_PARAM_VALUE && e.size >= sizeof(clap_event_param_value_t)) {
        const auto& p = reinterpret_cast<const clap_event_param_value_t&>(e);
        if (p.param_id < kParams && std::isfinite(p.value))
            s.params[p.param_id] = std::clamp(p.value, 0.0, 1.0);
    }
}

void render(Synth& s, float* left, float* right, uint32_t from, uint32_t to, const clap_output_events_t* out)
{
    const double step = 2 * kPi * 440.0 / s.rate;
    for (uint32_t i = from; i < to; ++i) {
        float sum = 0;
        for (Voice& v : s.voices) {
            if (!v.sounding)
                continue;
            v.level = v.held ? v.level + (v.velocity - v.level) * 0.01f : v.level * 0.999f;
            v.phase = std::fmod(v.phase + step * std::exp2((v.key - 69) / 12.0), 2 * kPi);
            sum += v.level * float(std::sin(v.phase) + s.params[1] * std::sin(2 * v.phase));
            if (!v.held && v.level < 1e-4f)
                endNote(v, out);
        }
        left[i] = right[i] = 0.1f * float(s.params[0]) * sum;
    }
}

clap_process_status CLAP_ABI process(const clap_plugin_t* p, const clap_process_t* pr)
{
    Synth& s = synthOf(p);
    if (!pr || pr->audio_outputs_count < 1 || pr->audio_outputs[0].channel_count < 2 || !pr->audio_outputs[0].data32)
        return CLAP_PROCESS_ERROR;
    float* left = pr->audio_outputs[0].data32[0];
    float* right = pr->audio_outputs[0].data32[1];
    const uint32_t frames = std::min(pr->frames_count, s.maxFrames);
    const uint32_t count = pr->in_events ? pr->in_events->size(pr->in_events) : 0;
    uint32_t done = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* e = pr->in_events->get(pr->in_events, i);
        if (!e)
            continue;
        const uint32_t at = std::min(e->time, frames);
        render(s, left, right, done, std::max(done, at), pr->out_events);
        done = std::max(done, at);
        handleEvent(s, *e, pr->out_events);
    }
#ifdef BROKEN_CLAP_PAST_BLOCK
    render(s, left, right, done, std::min((frames + 15) / 16 * 16, s.maxFrames), pr->out_events);
#else
    render(s, left, right, done, frames, pr->out_events);
#endif
    pr->audio_outputs[0].constant_mask = 0;
    return CLAP_PROCESS_CONTINUE;
}

// ---- parameters ----

uint32_t CLAP_ABI paramCount(const clap_plugin_t*)
{
    return kParams;
}

bool CLAP_ABI paramInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info)
{
    if (index >= kParams || !info)
        return false;
    *info = {};
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    std::snprintf(info->name, sizeof info->name, "%s", kParamNames[index]);
    info->max_value = 1;
    info->default_value = 0.5;
    return true;
}

bool CLAP_ABI paramValue(const clap_plugin_t* p, clap_id id, double* value)
{
    if (id >= kParams || !value)
        return false;
    *value = synthOf(p).params[id];
    return true;
}

// Shown as a percentage with one decimal.
bool CLAP_ABI valueToText(const clap_plugin_t*, clap_id id, double value, char* out, uint32_t capacity)
{
    if (id >= kParams || !out || capacity == 0 || !std::isfinite(value))
        return false;
    std::snprintf(out, capacity, "%.1f %%", value * 100);
    return true;
}

bool CLAP_ABI textToValue(const clap_plugin_t*, clap_id id, const char* text, double* value)
{
    if (id >= kParams || !text || !value)
        return false;
    char* end = nullptr;
    const double percent = std::strtod(text, &end);
    while (end != text && (*end == ' ' || *end == '%'))
        ++end;
    if (end == text || *end || !(percent >= 0 && percent <= 100))
        return false;
    *value = percent / 100;
    return true;
}

void CLAP_ABI paramFlush(const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out)
{
    for (uint32_t i = 0; in && i < in->size(in); ++i)
        if (const clap_event_header_t* e = in->get(in, i))
            handleEvent(synthOf(p), *e, out);
}

const clap_plugin_params_t kParamsExt{paramCount, paramInfo, paramValue, valueToText, textToValue, paramFlush};

// ---- state: the magic word and the parameters as doubles ----

bool CLAP_ABI stateSave(const clap_plugin_t* p, const clap_ostream_t* stream)
{
    uint8_t bytes[kStateSize];
    std::memcpy(bytes, kMagic, 4);
    std::memcpy(bytes + 4, synthOf(p).params, sizeof synthOf(p).params);
    for (uint32_t done = 0; done < kStateSize;) {
        const int64_t written = stream->write(stream, bytes + done, kStateSize - done);
        if (written <= 0)
            return false;
        done += uint32_t(written);
    }
    return true;
}

bool CLAP_ABI stateLoad(const clap_plugin_t* p, const clap_istream_t* stream)
{
    uint8_t bytes[kStateSize + 1];
    uint32_t size = 0;
    for (int64_t got; size < sizeof bytes && (got = stream->read(stream, bytes + size, sizeof bytes - size)) != 0;) {
        if (got < 0)
            return false;
        size += uint32_t(got);
    }
    if (size != kStateSize || std::memcmp(bytes, kMagic, 4) != 0)
        return false;
    double values[kParams];
    std::memcpy(values, bytes + 4, sizeof values);
    for (double v : values)
        if (!(v >= 0 && v <= 1))
            return false;
#ifdef BROKEN_CLAP_STATE
    synthOf(p).params[0] = values[0];
#else
    std::copy(values, values + kParams, synthOf(p).params);
#endif
    return true;
}

const clap_plugin_state_t kStateExt{stateSave, stateLoad};

// ---- one stereo output ----

uint32_t CLAP_ABI audioPortCount(const clap_plugin_t*, bool isInput)
{
    return isInput ? 0 : 1;
}

bool CLAP_ABI audioPortGet(const clap_plugin_t*, uint32_t index, bool isInput, clap_audio_port_info_t* info)
{
    if (isInput || index != 0 || !info)
        return false;
    *info = {};
    std::snprintf(info->name, sizeof info->name, "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports_t kAudioPorts{audioPortCount, audioPortGet};

// ---- the plug-in, factory and entry ----

const void* CLAP_ABI extension(const clap_plugin_t*, const char* id)
{
    if (!id)
        return nullptr;
    if (!std::strcmp(id, CLAP_EXT_PARAMS))
        return &kParamsExt;
    if (!std::strcmp(id, CLAP_EXT_STATE))
        return &kStateExt;
    if (!std::strcmp(id, CLAP_EXT_AUDIO_PORTS))
        return &kAudioPorts;
    return nullptr;
}

bool CLAP_ABI activate(const clap_plugin_t* p, double rate, uint32_t, uint32_t maxFrames)
{
    Synth& s = synthOf(p);
    if (!(rate >= 1000 && rate <= 1e6))
        return false;
    s.rate = rate;
    s.maxFrames = maxFrames;
    return true;
}

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER, nullptr};
const clap_plugin_descriptor_t kDescriptor{
    CLAP_VERSION, kId, "Validator Test Synth", "Hollowfen Software", "", "", "", "1.0.0", "", kFeatures};

const clap_plugin_t* CLAP_ABI create(const clap_plugin_factory_t*, const clap_host_t* host, const char* id)
{
    if (!host || !id || std::strcmp(id, kId) != 0)
        return nullptr;
    Synth* s = new (std::nothrow) Synth;
    if (!s)
        return nullptr;
    s->host = host;
    s->plugin = {&kDescriptor,
                 s,
                 [](const clap_plugin_t*) { return true; },
                 [](const clap_plugin_t* p) { delete &synthOf(p); },
                 activate,
                 [](const clap_plugin_t*) {},
                 [](const clap_plugin_t*) { return true; },
                 [](const clap_plugin_t*) {},
                 [](const clap_plugin_t* p) { std::fill(synthOf(p).voices, synthOf(p).voices + kVoices, Voice{}); },
                 process,
                 extension,
                 [](const clap_plugin_t*) {}};
    return &s->plugin;
}

const clap_plugin_factory_t kFactory{[](const clap_plugin_factory_t*) { return 1u; },
                                     [](const clap_plugin_factory_t*, uint32_t index) {
                                         return index == 0 ? &kDescriptor : nullptr;
                                     },
                                     create};

} // namespace

#ifdef _WIN32
extern "C" __declspec(dllexport)
#else
extern "C" __attribute__((visibility("default")))
#endif
const clap_plugin_entry_t clap_entry{
    CLAP_VERSION, [](const char*) { return true; }, [] {},
    [](const char* id) -> const void* { return id && !std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) ? &kFactory : nullptr; }};
