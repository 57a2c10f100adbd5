#include "ClapRig.h"

#include "OutputCheck.h"
#include "StepNote.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

ClapRig::ClapRig(const TestContext& context) : clip(context.clipLevel)
{
    try {
        loaded = std::make_unique<ClapHost>(context.pluginPath);
    } catch (const HostError& error) {
        fail(error.what());
    }
    transport = playingTransport(120, 4, 4);
}

const clap_plugin_params_t& ClapRig::params() const
{
    const auto* params = loaded->extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (!params || !params->count || !params->get_info || !params->get_value || params->count(plugin()) == 0)
        skip("the plug-in has no parameters");
    return *params;
}

std::vector<clap_param_info_t> ClapRig::paramInfos() const
{
    const clap_plugin_params_t& p = params();
    std::vector<clap_param_info_t> infos;
    for (uint32_t i = 0; i < p.count(plugin()); ++i) {
        clap_param_info_t info{};
        require(p.get_info(plugin(), i, &info), "params.get_info refuses index " + std::to_string(i) + " of " +
                                                    std::to_string(p.count(plugin())));
        infos.push_back(info);
    }
    return infos;
}

double ClapRig::paramValue(clap_id id) const
{
    double value = 0;
    require(params().get_value(plugin(), id, &value),
            "params.get_value refuses parameter id " + std::to_string(id) + ", which it listed");
    return value;
}

std::vector<double> ClapRig::paramValues() const
{
    std::vector<double> values;
    for (const clap_param_info_t& info : paramInfos())
        values.push_back(paramValue(info.id));
    return values;
}

bool ClapRig::hasParams() const
{
    const auto* params = loaded->extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    return params && params->count && params->count(plugin()) > 0;
}

namespace {

// A position moves on only by what a 64-bit count can hold: a wild tempo leaves it where it is.
void advancePosition(int64_t& position, double step)
{
    const double next = double(position) + step;
    if (std::isfinite(next) && std::fabs(next) < 9.0e18)
        position = int64_t(next);
}

} // namespace

void ClapRig::randomizeParams(TestContext& context)
{
    deactivate();
    if (!hasParams())
        return;
    for (const clap_param_info_t& info : paramInfos()) {
        double value = info.min_value + (info.max_value - info.min_value) * context.uniform(0, 1);
        setParam(0, info.id, info.flags & CLAP_PARAM_IS_STEPPED ? std::round(value) : value);
    }
    loaded->flushParameters();
}

void ClapRig::activate(double rate, int block)
{
    loaded->stop();
    sampleRate = rate;
    maxBlock = block;
    try {
        loaded->configure(rate, block, false);
        loaded->start();
    } catch (const HostError& error) {
        fail(error.what());
    }
    // Room for the guard past the largest block.
    const size_t frames = size_t(block + kGuardFrames);
    out.assign(size_t(loaded->numOutputs()), std::vector<float>(frames, kUnwrittenMarker));
    outPtrs.clear();
    for (auto& channel : out)
        outPtrs.push_back(channel.data());
}

void ClapRig::deactivate()
{
    loaded->stop();
}

void ClapRig::note(uint16_t type, uint32_t time, int key, int channel, int32_t noteId, double velocity)
{
    clap_event_note_t event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
    event.note_id = noteId;
    event.port_index = 0;
    event.channel = int16_t(channel);
    event.key = int16_t(key);
    event.velocity = velocity;
    add(event.header);
}

void ClapRig::setParam(uint32_t time, clap_id id, double value)
{
    clap_event_param_value_t event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    add(event.header);
}

clap_event_transport_t ClapRig::playingTransport(double tempo, int numerator, int denominator)
{
    clap_event_transport_t t{};
    t.header = {sizeof t, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    t.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_TIME_SIGNATURE | CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
              CLAP_TRANSPORT_HAS_SECONDS_TIMELINE | CLAP_TRANSPORT_IS_PLAYING;
    t.tempo = tempo;
    t.tsig_num = uint16_t(numerator);
    t.tsig_denom = uint16_t(denominator);
    return t;
}

void ClapRig::process(int frames)
{
    if (out.empty())
        activate(sampleRate, maxBlock);
    require(frames >= 1 && frames <= maxBlock, "the validator asked for a block outside the activated range");
    for (auto& channel : out)
        std::fill(channel.begin(), channel.end(), kUnwrittenMarker);
    clap_audio_buffer_t buffer{};
    buffer.data32 = outPtrs.data();
    buffer.channel_count = uint32_t(out.size());
    const clap_event_transport_t* now = transport ? &*transport : nullptr;
    require(loaded->processInto(buffer, uint32_t(frames), now) != CLAP_PROCESS_ERROR,
            "process answered CLAP_PROCESS_ERROR for a " + std::to_string(frames) + "-frame block");
    peak = 0;
    const float limit = checkClip ? clip : std::numeric_limits<float>::infinity();
    for (size_t c = 0; c < out.size(); ++c) {
        auto at = [&](int frame) { return where(c, frame, frames); };
        peak = std::max(peak, checkChannel(out[c].data(), frames, maxBlock + kGuardFrames, limit, at));
    }
    for (const auto& record : loaded->outputEvents()) {
        clap_event_note_t ended{};
        std::memcpy(&ended, record.data(), std::min(record.size(), sizeof ended));
        if (ended.header.space_id == CLAP_CORE_EVENT_SPACE_ID && ended.header.type == CLAP_EVENT_NOTE_END)
            endedNotes.push_back(ended);
    }
    if (transport && (transport->flags & CLAP_TRANSPORT_IS_PLAYING)) {
        const double seconds = frames / sampleRate;
        advancePosition(transport->song_pos_seconds, seconds * double(CLAP_SECTIME_FACTOR));
        advancePosition(transport->song_pos_beats, seconds * transport->tempo / 60 * double(CLAP_BEATTIME_FACTOR));
    }
}

std::string ClapRig::where(size_t channel, int frame, int frames) const
{
    return "channel " + std::to_string(channel) + ", frame " + std::to_string(frame) + " of a " +
           std::to_string(frames) + "-frame block (largest " + std::to_string(maxBlock) + ") at " +
           std::to_string(int(sampleRate)) + " Hz";
}

void ClapRig::releaseEverything()
{
    for (uint8_t channel = 0; channel < 16; ++channel) {
        clap_event_midi_t sustainOff{};
        sustainOff.header = {sizeof sustainOff, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
        sustainOff.data[0] = uint8_t(0xB0 | channel);
        sustainOff.data[1] = 64;
        add(sustainOff.header);
    }
    note(CLAP_EVENT_NOTE_OFF, 0, -1, -1, -1, 0);
    process(std::min(maxBlock, 64));
}

void ClapRig::requireSilenceWithin(double seconds, const std::string& after)
{
    auto render = [this](int frames) {
        process(frames);
        return lastPeak();
    };
    requireSilence(render, std::min(maxBlock, 4096), sampleRate, seconds, after);
}

std::string numberText(double value)
{
    if (std::isnan(value))
        return "NaN";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}
