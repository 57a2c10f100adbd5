#include "VoiceManager.h"

#include "params/ValueCurves.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

VoiceManager::VoiceManager()
{
    // Enough for every key of a keyboard on every channel a player is likely to hold.
    held.reserve(256);
    for (Lfo& lfo : globalLfos)
        lfo.waveform = LfoWaveform::Sine;
}

void VoiceManager::bind(ParameterWriter& pluginWriter, const ProgramStore& programStore, MidiMap& map,
                        const std::atomic<bool>& ignoreVelocitySwitch, const TempoInfo& tempoInfo)
{
    plugin = &pluginWriter;
    programs = &programStore;
    midiMap = &map;
    ignoreVelocity = &ignoreVelocitySwitch;
    tempo = &tempoInfo;
    for (Voice& v : voices)
        v.bind(programStore, tables);
}

Routing VoiceManager::currentRoute() const
{
    return routingOf(programs->value(Param::OscRoute));
}

bool VoiceManager::isSounding(int voiceIndex) const
{
    return ::isSounding(voices[voiceIndex], currentRoute());
}

int VoiceManager::voiceChannel(int voiceIndex) const
{
    return voiceIndex >= 0 && voiceIndex < kNumVoices ? voices[voiceIndex].note.channel : -1;
}

int VoiceManager::voiceKey(int voiceIndex) const
{
    return voiceIndex >= 0 && voiceIndex < kNumVoices ? voices[voiceIndex].note.note : -1;
}

template <typename F>
void VoiceManager::forMatchingVoices(int channel, int key, F f)
{
    if (!programs)
        return;
    // Held or releasing alike: a note's tail belongs to it.
    const Routing route = currentRoute();
    for (Voice& v : voices)
        if ((channel == -1 || v.note.channel == channel) && (key == -1 || v.note.note == key) && ::isSounding(v, route))
            f(v);
}

void VoiceManager::processNoteOffset(int channel, int key, int paramIndex, float amount)
{
    forMatchingVoices(channel, key, [=](Voice& v) { v.setNoteOffset(paramIndex, amount); });
}

void VoiceManager::processNoteExpression(int channel, int key, NoteExpression kind, float value)
{
    forMatchingVoices(channel, key, [=](Voice& v) { v.setNoteExpression(kind, value); });
}

void VoiceManager::processChannelExpression(int channel)
{
    for (Voice& v : voices)
        if (v.played.followsChannel && (channel == -1 || v.note.channel == channel))
            takeChannelExpression(v, channel == -1);
}

void VoiceManager::processPolyPressure(int channel, int key, float pressure)
{
    forMatchingVoices(channel, key, [=](Voice& v) { v.played.pressure = pressure; });
}

void VoiceManager::takeChannelExpression(Voice& v, bool fresh)
{
    const int channel = v.note.channel;
    if (channel < 0 || channel >= kNumMidiChannels)
        return;
    const ChannelExpression& e = channelExpression[channel];
    v.played.slide = e.slide;
    if (isMemberChannel(channel)) {
        v.played.bend = e.bend * e.bendRange;
        v.played.pressure = e.pressure;
    } else {
        v.played.bend = 0.0f;
        if (fresh)
            v.played.pressure = 0.0f;
    }
}

void VoiceManager::processNote(const MidiMessage& message)
{
    if (!programs)
        return;
    NoteRecord record;
    record.channel = message.channel;
    record.note = message.data1;
    record.pitch = float(message.data1);
    record.velocity = float(message.data2) / 127.0f;
    record.legato = 0;
    record.glideMs = glideMs(programs->value(Param::GldAmt));
    const int polyphony = polyphonyOf(programs->value(Param::Poly));

    // A note-off message carries its release velocity, which is not a key press: keyboards
    // send 64 there, and reading it as a note-on would leave the note hanging.
    const bool noteOn = message.kind != MidiNoteOff && record.velocity != 0.0f;
    if (noteOn) {
        // The tuning's pitch for the key; a key its mapping leaves out plays nothing.
        if (playing)
            record.pitch = playing->pitchOf(record.note);
        if (!std::isfinite(record.pitch))
            return;
        for (const NoteRecord& key : held)
            if (key.channel == record.channel && key.note == record.note)
                return;
        held.push_back(record);
        allocateVoice(record, polyphony);
        return;
    }

    // Note-off: every voice on this note number releases, whatever its channel; but an MPE
    // member channel's note is that channel's alone.
    const bool ownChannel = isMemberChannel(record.channel);
    for (Voice& v : voices)
        if (v.note.note == record.note && (!ownChannel || v.note.channel == record.channel))
            v.releaseEnvelopes();
    if (held.empty())
        return;
    bool removedNewest = false;
    for (size_t i = 0; i < held.size(); ++i) {
        if (held[i].channel == record.channel && held[i].note == record.note) {
            removedNewest = i + 1 == held.size();
            held.erase(held.begin() + std::ptrdiff_t(i));
            break;
        }
    }
    // A mono line returns to the most recent key still held, at that key's velocity.
    if (polyphony == 1 && removedNewest && !held.empty()) {
        NoteRecord back = held.back();
        back.glideMs = glideMs(programs->value(Param::GldAmt));
        back.legato = 1;
        allocateVoice(back, 1);
    }
}

void VoiceManager::allocateVoice(NoteRecord record, int polyphony)
{
    if (polyphony < 1)
        polyphony = 1;
    if (polyphony > kNumVoices)
        polyphony = kNumVoices;
    const Routing route = currentRoute();

    int chosen = -1;
    for (int i = 0; i < polyphony; ++i) {
        if (!::isSounding(voices[i], route)) {
            chosen = i;
            voices[i].resetVoice();
            break;
        }
    }
    if (chosen < 0) {
        // Steal: the oldest releasing voice, else the oldest voice; the lowest index on ties.
        for (int i = 0; i < polyphony; ++i)
            if (isReleasing(voices[i], route) && (chosen < 0 || voices[i].ageStamp < voices[chosen].ageStamp))
                chosen = i;
        if (chosen < 0) {
            chosen = 0;
            for (int i = 1; i < polyphony; ++i)
                if (voices[i].ageStamp < voices[chosen].ageStamp)
                    chosen = i;
        }
        Voice& stolen = voices[chosen];
        // Taking over a voice whose key is still down continues its pitch.
        if (record.legato == 0 && !isReleasing(stolen, route))
            record.legato = 1;
        stolen.releaseEnvelopes();
    }

    const int32_t stamp = counter;
    counter += 1;
    Voice& v = voices[chosen];
    v.startVoice(stamp, record);
    // Under MPE a channel plays one note at a time: an older note still sounding there keeps
    // the expression it had.
    if (isMemberChannel(record.channel))
        for (Voice& other : voices)
            if (&other != &v && other.note.channel == record.channel)
                other.played.followsChannel = false;
    v.played.followsChannel = true;
    takeChannelExpression(v, true);
    voiceStarts[size_t(chosen)] = ++startsSoFar;
    // The voice's set-up is current before its first frame, whatever the frame index.
    v.updateBlock(globalLfos);
}

void VoiceManager::allNotesOff()
{
    for (Voice& v : voices)
        v.releaseEnvelopes();
    held.clear();
    counter = 0;
}

void VoiceManager::learnController(int controller)
{
    if (!midiMap || controller < 0 || controller > kHighestMappableController)
        return;
    if (!midiMap->learnActive.load(std::memory_order_relaxed))
        return;
    const int parameter = midiMap->learnParameter.load(std::memory_order_relaxed);
    // Only a real parameter can be bound; anything else would turn a controller into a command.
    if (parameter < 0 || parameter >= kNumParams)
        return;
    for (auto& entry : midiMap->ccMap)
        if (entry.load(std::memory_order_relaxed) == parameter)
            entry.store(-1, std::memory_order_relaxed);
    midiMap->ccMap[controller].store(parameter, std::memory_order_relaxed);
}

void VoiceManager::processController(int controller, float value)
{
    if (!midiMap || controller < 0 || controller > kHighestMappableController)
        return;
    for (int n = 0; n < 2; ++n)
        if (controller == midiMap->modCcNumber[n].load(std::memory_order_relaxed))
            controllers.modCcValue[n] = value;
    const int parameter = midiMap->ccMap[controller].load(std::memory_order_relaxed);
    // Only parameter indices: higher ones are editor commands, never to be run from MIDI.
    if (parameter >= 0 && parameter < kNumParams && plugin)
        plugin->writeParameter(parameter, value);
}

void VoiceManager::resetEngine()
{
    allNotesOff();
    resetControllers();
    for (Lfo& lfo : globalLfos) {
        lfo.random.seedFromLibrary();
        lfo.restart(0.0f);
    }
    for (Voice& v : voices)
        v.resetVoice();
    delay.resetEngine();
    reverb.resetEngine();
    if (programs)
        publishState(currentRoute());
}

void VoiceManager::publishState(Routing route)
{
    uint32_t mask = 0;
    for (int i = 0; i < kNumVoices; ++i)
        if (::isSounding(voices[i], route))
            mask |= uint32_t(1) << i;
    soundingMask.store(mask, std::memory_order_relaxed);
    heldCount.store(int(held.size()), std::memory_order_relaxed);
}

void VoiceManager::setEngineSampleRate(float rate)
{
    // A host may send nonsense; the engine keeps a rate it can run at.
    if (std::isfinite(rate) && rate > 0.0f)
        sampleRate = rate;
    rateReady = false;
    for (Lfo& lfo : globalLfos)
        lfo.sampleRate = sampleRate;
    for (Voice& v : voices)
        v.setSampleRate(sampleRate);
    reverb.setSampleRate(sampleRate);
    resetEngine();
}

void VoiceManager::prepareRate()
{
    if (rateReady)
        return;
    tables.buildAll(sampleRate);
    delay.setSampleRate(sampleRate);
    rateReady = true;
}

void VoiceManager::beginBlock(const ProgramRecord& p, int frameCount)
{
    if (playing)
        followMpeRequest(playing->mpeRequest.load(std::memory_order_relaxed));
    for (int n = 0; n < 4; ++n) {
        Lfo& lfo = globalLfos[n];
        lfo.waveform = decodeLfoWaveform(p.get(Param::Lfo1Wave + n));
        lfo.setRate(p.get(Param::Lfo1Rate + n), p.get(Param::Lfo1Sync + n) != 0.0f, *tempo);
        lfo.setOffset(p.get(Param::Lfo1Ofs + n));
    }
    const Routing route = routingOf(p.get(Param::OscRoute));
    for (Voice& v : voices)
        if (::isSounding(v, route))
            v.updateBlock(globalLfos);
    publishState(route);

    if (p.get(Param::DlyMix) > 0.0f)
        delay.beginBlock(delayTimeMs(p.get(Param::DlyTime), p.get(Param::DlySync) != 0.0f, *tempo),
                         p.get(Param::DlyLP) != 0.0f);
    else
        delay.switchOff();
    if (p.get(Param::RvbMix) > 0.0f)
        reverb.beginBlock(ReverbSettings{predelayMs(p.get(Param::RvbPrDly), p.get(Param::RvbSync) != 0.0f, *tempo),
                                         p.get(Param::RvbSize), p.get(Param::RvbDamp), p.get(Param::RvbDens),
                                         p.get(Param::RvbWidth)},
                          frameCount);
    else
        reverb.reset();
}

void VoiceManager::renderFrames(float* left, float* right, int frameCount, int first, int count)
{
    if (!programs) {
        for (int i = 0; i < count; ++i)
            left[i] = right[i] = 0.0f;
        return;
    }
    const ProgramRecord& p = programs->current();
    prepareRate();
    const int end = first + count;
    int frame = first;
    silentOutput = true;
    while (frame < end) {
        if (frame == 0)
            beginBlock(p, frameCount);
        dispatchEvents(frame);
        // A run ends where the next message is due, so everything a message changes is in
        // place for its own frame exactly as when rendering frame by frame.
        int64_t runEnd = std::min<int64_t>(end, int64_t(frame) + kRunFrames);
        runEnd = std::min<int64_t>(runEnd, nextDispatchFrame(frame));
        const int frames = int(runEnd - frame);
        renderRun(p, left + (frame - first), right + (frame - first), frames);
        frame += frames;
    }
}

void VoiceManager::advanceGlobalLfos(int frames)
{
    // Voices only follow the engine LFOs' phases, so their values are never computed.
    advanceRunsTogether(globalLfos, frames);
}

bool VoiceManager::renderSilentRun(const ProgramRecord& p, float* left, float* right, int frames)
{
    const float dlyMix = p.get(Param::DlyMix);
    const bool dlyAmp2 = p.get(Param::DlyAmp1) == 0.0f;
    const float rvbMix = p.get(Param::RvbMix);
    if ((dlyMix > 0.0f && !delay.asleep(dlyAmp2)) || (rvbMix > 0.0f && !reverb.asleep()))
        return false;
    advanceGlobalLfos(frames);
    if (dlyMix > 0.0f)
        delay.idle(frames, dlyAmp2,
                   DelayTargets{dlyMix, p.get(Param::DlyFBack), p.get(Param::DlyCut), p.get(Param::DlyWidth)});
    if (rvbMix > 0.0f)
        reverb.idle(frames, rvbMix);
    std::fill_n(left, frames, 0.0f);
    std::fill_n(right, frames, 0.0f);
    return true;
}

void VoiceManager::renderVoiceRuns(int frames, Routing route)
{
    // Voices in groups, so their filter chains interleave; in voice order, so the buses sum them
    // as frame-by-frame rendering does.
    Voice* group[Voice::kGroupVoices];
    int size = 0;
    auto flush = [&] {
        if (size == 1)
            group[0]->renderRun(runAmp1Left, runAmp1Right, runAmp2Left, runAmp2Right, frames, controllers,
                                frameControls, route, segmentScratch[0]);
        else if (size > 1)
            Voice::renderRunGroup(group, size, runAmp1Left, runAmp1Right, runAmp2Left, runAmp2Right, frames,
                                  controllers, frameControls, route, segmentScratch);
        size = 0;
    };
    for (Voice& v : voices) {
        if (!::isSounding(v, route))
            continue;
        group[size++] = &v;
        if (size == Voice::kGroupVoices)
            flush();
    }
    flush();
}

void VoiceManager::renderRun(const ProgramRecord& p, float* left, float* right, int frames)
{
    const Routing route = routingOf(p.get(Param::OscRoute));
    bool anySounding = false;
    for (const Voice& v : voices)
        if (::isSounding(v, route)) {
            anySounding = true;
            break;
        }
    // No voice and no tail: the effects only keep their controls moving.
    if (!anySounding && renderSilentRun(p, left, right, frames))
        return;
    silentOutput = false;

    for (int i = 0; i < frames; ++i)
        runAmp1Left[i] = runAmp1Right[i] = runAmp2Left[i] = runAmp2Right[i] = 0.0f;
    if (anySounding)
        frameControls.read(*programs, ignoreVelocity, *tempo);

    advanceGlobalLfos(frames);
    if (anySounding)
        renderVoiceRuns(frames, route);

    const float dlyMix = p.get(Param::DlyMix);
    const bool dlyAmp2Only = p.get(Param::DlyAmp1) == 0.0f;
    const DelayTargets dlyTargets{dlyMix, p.get(Param::DlyFBack), p.get(Param::DlyCut), p.get(Param::DlyWidth)};
    // With RvbAmp1 on, the second amplifier bypasses the reverb.
    const bool amp2Dry = p.get(Param::RvbAmp1) != 0.0f;
    const float rvbMix = p.get(Param::RvbMix);
    for (int i = 0; i < frames; ++i) {
        float amp1L = runAmp1Left[i], amp1R = runAmp1Right[i], amp2L = runAmp2Left[i], amp2R = runAmp2Right[i];
        if (dlyMix > 0.0f)
            delay.process(amp1L, amp1R, amp2L, amp2R, dlyAmp2Only, dlyTargets);
        float l = 0.0f, r = 0.0f;
        l += amp1L;
        r += amp1R;
        if (!amp2Dry) {
            l += amp2L;
            r += amp2R;
        }
        if (rvbMix > 0.0f)
            reverb.process(l, r, rvbMix);
        if (amp2Dry) {
            l += amp2L;
            r += amp2R;
        }
        left[i] = l;
        right[i] = r;
    }
}
