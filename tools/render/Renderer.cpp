#include "Renderer.h"

#include <algorithm>
#include <cmath>

std::vector<ScheduledEvent> scheduleSong(const MidiSong& song, const TempoMap& tempoMap)
{
    std::vector<ScheduledEvent> list;
    list.reserve(song.events.size());
    for (const MidiEvent& e : song.events) {
        ScheduledEvent s{tempoMap.frameIndexOfTick(e.tick),
                         {e.bytes[0], e.bytes[1], e.size > 2 ? e.bytes[2] : uint8_t(0)}};
        list.push_back(s);
    }
    // Ticks are ordered already and frames grow with ticks; a stable sort keeps that promise
    // even if rounding ever disagreed.
    std::stable_sort(list.begin(), list.end(),
                     [](const ScheduledEvent& a, const ScheduledEvent& b) { return a.frame < b.frame; });
    return list;
}

namespace {

void updateTimeInfo(VstTimeInfo& t, const TempoMap& map, int64_t frame, double rate, bool first)
{
    double pos = double(frame);
    t.samplePos = pos;
    t.sampleRate = rate;
    t.nanoSeconds = pos / rate * 1e9;
    t.ppqPos = map.ppqAtFrame(pos);
    t.tempo = map.tempoAtFrame(pos);
    t.barStartPos = map.barStartPpq(t.ppqPos);
    TimeSignature sig = map.signatureAtPpq(t.ppqPos);
    t.timeSigNumerator = sig.numerator;
    t.timeSigDenominator = sig.denominator;
    t.cycleStartPos = t.cycleEndPos = 0;
    t.smpteOffset = t.smpteFrameRate = t.samplesToNextClock = 0;
    t.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
              kVstTimeSigValid | (first ? kVstTransportChanged : 0);
}

} // namespace

RenderResult renderSong(HostedPlugin& host, const MidiSong& song, const TempoMap& tempoMap,
                        const RenderSettings& settings, const AudioSink& sink, const ProgressSink& progress)
{
    const std::vector<ScheduledEvent> events = scheduleSong(song, tempoMap);
    const double rate = host.sampleRate();
    const int block = host.blockSize();
    const int channels = host.numOutputs();

    RenderResult result;
    int64_t lastEventFrame = events.empty() ? 0 : events.back().frame + 1;
    result.songFrames = std::max<int64_t>(lastEventFrame, int64_t(std::ceil(tempoMap.frameOfTick(song.endTick))));
    const int64_t tailLimit = int64_t(std::max(0.0, settings.tailSeconds) * rate);
    const int64_t endLimit = result.songFrames + tailLimit;
    const float threshold = float(std::pow(10.0, settings.silenceDb / 20.0));
    const int64_t quietNeeded = std::max<int64_t>(1, int64_t(settings.quietSeconds * rate));

    std::vector<BlockEvent> blockEvents;
    std::vector<const float*> outs(static_cast<size_t>(channels));
    size_t next = 0;
    int64_t quietRun = 0;
    double cpuBefore = host.processCpuSeconds();
    host.start();
    for (int64_t pos = 0; pos < endLimit; pos += block) {
        const int frames = int(std::min<int64_t>(block, endLimit - pos));
        blockEvents.clear();
        while (next < events.size() && events[next].frame < pos + frames) {
            const ScheduledEvent& e = events[next++];
            if ((e.bytes[0] & 0xF0) == 0xC0) {
                // A program change cannot be placed inside a block: like other hosts, select
                // the program before the block that holds it.
                if (e.bytes[1] < host.numPrograms())
                    host.setProgram(e.bytes[1]);
                continue;
            }
            int delta = int(std::max<int64_t>(0, e.frame - pos));
            blockEvents.push_back({delta, {e.bytes[0], e.bytes[1], e.bytes[2]}});
        }
        updateTimeInfo(host.timeInfo, tempoMap, pos, rate, pos == 0);
        host.processBlock(blockEvents, frames);

        int64_t lastLoud = -1;
        for (int c = 0; c < channels; ++c) {
            float* data = host.output(c);
            outs[size_t(c)] = data;
            for (int i = 0; i < frames; ++i) {
                if (!std::isfinite(data[i])) {
                    data[i] = 0; // never let NaN or infinity into the file
                    ++result.nonFinite;
                }
                float m = std::fabs(data[i]);
                result.peak = std::max(result.peak, m);
                if (m >= threshold)
                    lastLoud = std::max<int64_t>(lastLoud, i);
            }
        }
        sink(outs.data(), frames);
        result.frames = pos + frames;
        quietRun = lastLoud < 0 ? quietRun + frames : frames - 1 - lastLoud;
        if (progress)
            progress(std::min(1.0, double(result.frames) / double(std::max<int64_t>(1, result.songFrames))));
        if (result.frames >= result.songFrames && quietRun >= quietNeeded)
            break;
    }
    host.stop();
    result.cpuSeconds = host.processCpuSeconds() - cpuBefore;
    return result;
}
