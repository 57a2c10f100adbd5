#include "VoiceManager.h"

#include <cmath>

int polyphonyOf(float poly)
{
    // Values outside 0..1 (the store never clamps) must not reach past the last voice.
    if (!(poly > 0.0f))
        return 1;
    if (poly >= 1.0f)
        return kNumVoices;
    return 1 + int(poly * 31.0f);
}

VoiceManager::VoiceManager()
{
    // Enough for every key of a keyboard on every channel a player is likely to hold.
    held.reserve(256);
}

void VoiceManager::bind(ParameterWriter& pluginWriter, const ProgramStore& programStore, UserSettings& userSettings,
                        const TempoInfo& tempoInfo)
{
    plugin = &pluginWriter;
    programs = &programStore;
    settings = &userSettings;
    tempo = &tempoInfo;
    for (Voice& v : voices)
        v.bind(programStore, userSettings);
}

int VoiceManager::currentRoute() const
{
    return routeCode(programs->value(Param::OscRoute));
}

bool VoiceManager::isSounding(int voiceIndex) const
{
    return ::isSounding(voices[voiceIndex], currentRoute());
}

void VoiceManager::processNote(const MidiMessage& message)
{
    if (!programs)
        return;
    NoteRecord record;
    record.channel = message.channel;
    record.note = message.data1;
    record.velocity = float(message.data2) / 127.0f;
    record.legato = 0;
    record.glideMs = programs->value(Param::GldAmt) * 2000.0f;
    const int polyphony = polyphonyOf(programs->value(Param::Poly));

    if (record.velocity != 0.0f) {
        for (const NoteRecord& key : held)
            if (key.channel == record.channel && key.note == record.note)
                return;
        held.push_back(record);
        allocateVoice(record, polyphony);
        return;
    }

    // Note-off: every voice on this note number releases, whatever its channel.
    for (Voice& v : voices)
        if (v.note.note == record.note)
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
        back.glideMs = programs->value(Param::GldAmt) * 2000.0f;
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
    const int route = currentRoute();

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
    // The voice's set-up is current before its first frame, whatever the frame index.
    v.updateBlock();
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
    if (!settings || controller < 0 || controller > kHighestMappableController)
        return;
    if (!settings->learnActive.load(std::memory_order_relaxed))
        return;
    const int parameter = settings->learnParameter.load(std::memory_order_relaxed);
    // Only a real parameter can be bound; anything else would turn a controller into a command.
    if (parameter < 0 || parameter >= kNumParams)
        return;
    for (auto& entry : settings->ccMap)
        if (entry.load(std::memory_order_relaxed) == parameter)
            entry.store(-1, std::memory_order_relaxed);
    settings->ccMap[controller].store(parameter, std::memory_order_relaxed);
}

void VoiceManager::processController(int controller, float value)
{
    if (!settings || controller < 0 || controller > kHighestMappableController)
        return;
    for (int n = 0; n < 2; ++n)
        if (controller == settings->modCcNumber[n].load(std::memory_order_relaxed))
            controllers.modCcValue[n] = value;
    const int parameter = settings->ccMap[controller].load(std::memory_order_relaxed);
    // Only parameter indices: higher ones are editor commands, never to be run from MIDI.
    if (parameter >= 0 && parameter < kNumParams && plugin)
        plugin->writeParameter(parameter, value);
}

void VoiceManager::resetEngine()
{
    allNotesOff();
    resetControllers();
    // The global LFOs restart their phase here, with the LFO code.
    for (Voice& v : voices)
        v.resetVoice();
    // The delay lines and the reverb are cleared here, with the effects code.
    if (programs)
        publishState(currentRoute());
}

void VoiceManager::publishState(int route)
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
    // The wavetable rows and the global LFOs follow the rate here, with their code.
    for (Voice& v : voices)
        v.setSampleRate(sampleRate);
    // The delay lines and the reverb are set up for the rate here, with the effects code.
    resetEngine();
}

void VoiceManager::renderFrame(float& /*left*/, float& /*right*/, int /*frameCount*/, int frameIndex)
{
    if (frameIndex == 0) {
        // Global LFO set-up comes first here, with the LFO code.
        const int route = currentRoute();
        for (Voice& v : voices)
            if (::isSounding(v, route))
                v.updateBlock();
        publishState(route);
        // Delay and reverb block set-up follow here, with the effects code.
    }

    dispatchEvents(frameIndex);

    // The global LFOs step here; then every sounding voice renders into the four bus sums,
    // which pass the delay and the reverb into left and right. Voices make no sound yet.
}
