// Plays a song through a hosted plug-in: events are placed in blocks by their frame, the time
// information follows the render position, and the audio goes to a sink block by block.
#pragma once

#include "MidiFile.h"
#include "HostedPlugin.h"
#include "TempoMap.h"

#include <cstdint>
#include <functional>
#include <vector>

struct ScheduledEvent {
    int64_t frame;
    uint8_t bytes[3];
};

// Every channel event of the song at its frame, in play order. Program changes are kept in the
// list: the renderer turns them into program selections between blocks.
std::vector<ScheduledEvent> scheduleSong(const MidiSong& song, const TempoMap& tempoMap);

struct RenderSettings {
    double tailSeconds = 4.0; // at most this long after the last event, until quiet
    double silenceDb = -90.0;
    double quietSeconds = 0.2; // how long the output must stay below the threshold
};

struct RenderResult {
    int64_t frames = 0;
    int64_t songFrames = 0;
    float peak = 0; // largest magnitude on any output
    double cpuSeconds = 0;
    int64_t nonFinite = 0; // NaN or infinite samples from the plug-in, written as 0
};

// channels holds numOutputs pointers of frames samples each.
using AudioSink = std::function<void(const float* const* channels, int frames)>;
using ProgressSink = std::function<void(double fraction)>;

RenderResult renderSong(HostedPlugin& host, const MidiSong& song, const TempoMap& tempoMap,
                        const RenderSettings& settings, const AudioSink& sink, const ProgressSink& progress = {});
