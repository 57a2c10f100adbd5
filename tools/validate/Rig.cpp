#include "Rig.h"

#include "CallCounter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

Rig::Rig(const TestContext& context) : clip(context.clipLevel)
{
    try {
        loaded = std::make_unique<PluginHost>(context.pluginPath);
    } catch (const HostError& error) {
        fail(error.what());
    }
    effect = loaded->effect();
}

Rig::~Rig()
{
    if (running)
        suspend();
}

VstIntPtr Rig::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void Rig::prepare(double rate, int blockSize, bool doublePrecision)
{
    if (running)
        suspend();
    if (doublePrecision && !canDouble())
        skip("the plug-in does not process in double precision");
    loaded->configure(rate, blockSize, doublePrecision);
    sampleRate = rate;
    maxBlock = blockSize;
    useDouble = doublePrecision;
    size_t frames = size_t(blockSize + kGuardFrames);
    int outputs = effect->numOutputs;
    int inputs = std::max(effect->numInputs, 1);
    auto make = [&](auto& storage, auto& pointers, int count) {
        storage.assign(size_t(count), {});
        pointers.clear();
        for (auto& b : storage) {
            b.assign(frames, 0);
            pointers.push_back(b.data());
        }
    };
    make(floatOut, floatOutPtrs, outputs);
    make(floatIn, floatInPtrs, inputs);
    make(doubleOut, doubleOutPtrs, outputs);
    make(doubleIn, doubleInPtrs, inputs);
}

void Rig::resume()
{
    if (floatOut.empty())
        prepare(sampleRate, maxBlock, useDouble);
    loaded->start();
    running = true;
}

void Rig::suspend()
{
    loaded->stop();
    running = false;
}

void Rig::call(int frames)
{
    if (floatOut.empty())
        prepare(sampleRate, maxBlock, useDouble);
    for (auto& b : floatOut)
        std::fill(b.begin(), b.end(), kUnwrittenMarker);
    for (auto& b : doubleOut)
        std::fill(b.begin(), b.end(), double(kUnwrittenMarker));
    CountedCalls counted(countCalls);
    if (useDouble)
        effect->processDoubleReplacing(effect, doubleInPtrs.data(), doubleOutPtrs.data(), frames);
    else if ((effect->flags & effFlagsCanReplacing) && effect->processReplacing)
        effect->processReplacing(effect, floatInPtrs.data(), floatOutPtrs.data(), frames);
    else {
        // The old accumulating call adds to what is there: start from silence.
        for (auto& b : floatOut)
            std::fill(b.begin(), b.begin() + frames, 0.0f);
        effect->process(effect, floatInPtrs.data(), floatOutPtrs.data(), frames);
    }
    eventsConsumed = true;
}

void Rig::forgetConsumedEvents()
{
    if (!eventsConsumed)
        return;
    midiStore.clear();
    eventLists.clear();
    eventsConsumed = false;
}

void Rig::processUnchecked(int frames)
{
    call(frames);
}

void Rig::process(int frames)
{
    call(frames);
    checkOutput(frames);
}

void Rig::checkOutput(int frames)
{
    peak = 0;
    for (size_t c = 0; c < floatOut.size(); ++c) {
        auto at = [&](int frame) { return where(c, frame, frames); };
        const float channelPeak = useDouble ? checkChannel(doubleOut[c].data(), frames, frames + kGuardFrames, clip, at)
                                            : checkChannel(floatOut[c].data(), frames, frames + kGuardFrames, clip, at);
        peak = std::max(peak, channelPeak);
    }
}

std::string Rig::where(size_t channel, int frame, int frames) const
{
    return "channel " + std::to_string(channel) + ", frame " + std::to_string(frame) + " of a " +
           std::to_string(frames) + "-frame block at " + std::to_string(int(sampleRate)) + " Hz" +
           (useDouble ? " (double precision)" : "");
}

void Rig::requireSilenceWithin(double seconds, const std::string& after)
{
    auto render = [this](int frames) {
        process(frames);
        return lastPeak();
    };
    requireSilence(render, std::min(maxBlock, 4096), sampleRate, seconds, after);
}

void Rig::sendEvents(const std::vector<VstEvent*>& events)
{
    forgetConsumedEvents();
    size_t words = 2 + std::max<size_t>(events.size(), 2);
    auto* list = reinterpret_cast<VstEvents*>(eventLists.emplace_back(words, 0).data());
    list->numEvents = VstInt32(events.size());
    for (size_t i = 0; i < events.size(); ++i)
        list->events[i] = events[i];
    CountedCalls counted(countCalls);
    dispatch(effProcessEvents, 0, 0, list);
}

void Rig::sendMidi(const std::vector<MidiBytes>& events)
{
    forgetConsumedEvents();
    std::vector<VstEvent*> pointers;
    for (const MidiBytes& e : events) {
        VstMidiEvent& m = midiStore.emplace_back();
        std::memset(&m, 0, sizeof m);
        m.type = kVstMidiType;
        m.byteSize = sizeof(VstMidiEvent);
        m.deltaFrames = e.delta;
        m.midiData[0] = char(e.status);
        m.midiData[1] = char(e.data1);
        m.midiData[2] = char(e.data2);
        pointers.push_back(reinterpret_cast<VstEvent*>(&m));
    }
    sendEvents(pointers);
}

void Rig::releaseEverything()
{
    std::vector<MidiBytes> offs;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        offs.push_back({0, uint8_t(0xB0 | channel), 64, 0});  // sustain pedal up
        offs.push_back({0, uint8_t(0xB0 | channel), 123, 0}); // all notes off
    }
    sendMidi(offs);
    process(std::min(maxBlock, 64));
}
