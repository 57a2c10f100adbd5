#include "Lv2Plugin.h"

#include "Lv2PortValues.h"
#include "instrument/FloatModeGuard.h"

#include <lv2/atom/util.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Room for the notify port's two messages with the longest name, and then some.
constexpr uint32_t kNotificationBytes = 256;
// And for the voice activity message after them.
constexpr uint32_t kVoiceActivityBytes = 128;

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

Lv2Plugin::Lv2Plugin(double sampleRate, const LV2_URID_Map& map, const LV2_Options_Option* options)
    : urids(map), uris(map)
{
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(&urids));
    lastSeen.fill(std::numeric_limits<float>::quiet_NaN());
    // The ports carry the values: the program starts as the default program, whose values are
    // the ports' defaults, and never from the bank file.
    core.setSampleRate(float(sampleRate));
    setOptions(options);
    // Room for a note event on every other frame of the longest block, so busy playing never
    // grows the MIDI queue in run.
    const size_t room = std::min<size_t>(maxBlock / 2, 65536);
    if (room > core.engine().eventQueue.capacity())
        core.engine().eventQueue.reserve(room);
}

void Lv2Plugin::connectPort(uint32_t port, void* data)
{
    if (port < uint32_t(kNumParams))
        controls[port] = static_cast<const float*>(data);
    else if (port == lv2port::kEvents)
        events = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == lv2port::kNotify)
        notify = static_cast<LV2_Atom_Sequence*>(data);
    else if (port == lv2port::kLeft)
        left = static_cast<float*>(data);
    else if (port == lv2port::kRight)
        right = static_cast<float*>(data);
}

void Lv2Plugin::activate()
{
    core.activate();
    announce = true;
    voicesSent = false;
}

void Lv2Plugin::run(uint32_t frames)
{
    const FloatModeGuard floatMode;
    const int count = int(std::min<uint32_t>(frames, INT32_MAX));
    readEvents(frames);
    core.setTempo(tempo, beatUnit);
    readPortChanges();
    core.process(left && right ? left : nullptr, left && right ? right : nullptr, count,
                 std::span<const TimedParameter>(changes.data(), size_t(changeCount)));
    writeNotifications();
}

void Lv2Plugin::readEvents(uint32_t frames)
{
    if (!events || events->atom.size < sizeof(LV2_Atom_Sequence_Body))
        return;
    LV2_ATOM_SEQUENCE_FOREACH(events, event)
    {
        const LV2_Atom& body = event->body;
        if (body.type == uris.midiEvent) {
            // Channel messages of up to three bytes; system messages mean nothing to the engine.
            const auto* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&body));
            if (body.size == 0 || bytes[0] < 0x80 || bytes[0] >= 0xF0)
                continue;
            const int64_t at = std::clamp<int64_t>(event->time.frames, 0, frames > 0 ? frames - 1 : 0);
            core.queueMidi({int32_t(at), bytes[0], body.size > 1 ? bytes[1] : uint8_t(0),
                            body.size > 2 ? bytes[2] : uint8_t(0)});
        } else if (body.type == uris.atomObject || body.type == uris.atomBlank) {
            if (body.size >= sizeof(LV2_Atom_Object_Body))
                readObject(reinterpret_cast<const LV2_Atom_Object&>(body));
        }
    }
}

void Lv2Plugin::readObject(const LV2_Atom_Object& object)
{
    if (object.body.otype == uris.timePosition) {
        const LV2_Atom* bpm = nullptr;
        const LV2_Atom* unit = nullptr;
        lv2_atom_object_get(&object, uris.timeBeatsPerMinute, &bpm, uris.timeBeatUnit, &unit, 0);
        if (bpm && bpm->type == forge.Float && bpm->size >= sizeof(float))
            tempo = reinterpret_cast<const LV2_Atom_Float*>(bpm)->body;
        if (unit && unit->type == forge.Int && unit->size >= sizeof(int32_t))
            beatUnit = reinterpret_cast<const LV2_Atom_Int*>(unit)->body;
        return;
    }
    const Lv2PatchMessage message = readPatchMessage(uris, &object.atom);
    if (message.kind == Lv2PatchMessage::Name)
        rename(message.name, message.nameLength);
    else if (message.kind == Lv2PatchMessage::Number && message.number >= 0 && message.number < kNumPrograms)
        programNumber = message.number;
    if (message.kind != Lv2PatchMessage::None)
        announce = true;
}

// A port the host changed reaches the core at the block's start, as a host's automation does in
// VST 2.4, so the engine's smoothing applies. Unchanged ports cost nothing.
void Lv2Plugin::readPortChanges()
{
    changeCount = 0;
    for (int i = 0; i < kNumParams; ++i) {
        if (!controls[size_t(i)])
            continue;
        const float port = *controls[size_t(i)];
        if (sameBits(port, lastSeen[size_t(i)]))
            continue;
        lastSeen[size_t(i)] = port;
        changes[size_t(changeCount++)] = {0, i, lv2ValueFromPort(i, port)};
    }
}

void Lv2Plugin::rename(const char* text, uint32_t length)
{
    const uint32_t n = std::min<uint32_t>(length, kProgramNameSize - 1);
    std::memcpy(pendingName, text, n);
    pendingName[n] = 0;
    renamePending = true;
}

void Lv2Plugin::writeNotifications()
{
    if (!notify)
        return;
    const uint32_t capacity = notify->atom.size;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(notify), capacity);
    LV2_Atom_Forge_Frame sequence;
    if (!lv2_atom_forge_sequence_head(&forge, &sequence, 0))
        return;
    std::unique_lock<std::mutex> lock(nameLock, std::try_to_lock);
    if (lock.owns_lock() && renamePending) {
        std::memcpy(core.programStore().current().name, pendingName, kProgramNameSize);
        renamePending = false;
    }
    // The name waits for a block that holds the lock, and for room in the buffer.
    if (lock.owns_lock() && announce && capacity >= kNotificationBytes) {
        announce = false;
        lv2_atom_forge_frame_time(&forge, 0);
        forgeProgramName(forge, uris, core.programStore().current().name);
        lv2_atom_forge_frame_time(&forge, 0);
        forgeProgramNumber(forge, uris, programNumber);
        voicesSent = false;
    }
    writeVoiceActivity(capacity);
    lv2_atom_forge_pop(&forge, &sequence);
}

// The editor's lamps follow the voices: a message only when they change.
void Lv2Plugin::writeVoiceActivity(uint32_t capacity)
{
    const uint32_t sounding = core.soundingVoices();
    const bool keyHeld = core.anyNoteHeld();
    if (voicesSent && sounding == sentVoices && keyHeld == sentKeyHeld)
        return;
    if (capacity < kNotificationBytes + kVoiceActivityBytes || !forgeVoiceActivity(forge, uris, sounding, keyHeld))
        return;
    voicesSent = true;
    sentVoices = sounding;
    sentKeyHeld = keyHeld;
}

void Lv2Plugin::programName(char (&name)[kProgramNameSize])
{
    std::lock_guard<std::mutex> lock(nameLock);
    std::memcpy(name, core.programStore().current().name, kProgramNameSize);
    name[kProgramNameSize - 1] = 0;
}

LV2_State_Status Lv2Plugin::saveState(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!store)
        return LV2_STATE_ERR_UNKNOWN;
    char name[kProgramNameSize];
    programName(name);
    const int32_t number = programNumber;
    const uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    const LV2_State_Status named = store(handle, uris.programName, name, std::strlen(name) + 1, uris.atomString, flags);
    const LV2_State_Status numbered = store(handle, uris.program, &number, sizeof number, uris.atomInt, flags);
    return named != LV2_STATE_SUCCESS ? named : numbered;
}

LV2_State_Status Lv2Plugin::restoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (!retrieve)
        return LV2_STATE_ERR_UNKNOWN;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    // What is missing or of another type keeps its value: a state from a host that lost a
    // property still restores the rest.
    const void* name = retrieve(handle, uris.programName, &size, &type, &flags);
    if (name && type == uris.atomString) {
        std::lock_guard<std::mutex> lock(nameLock);
        ProgramRecord& current = core.programStore().current();
        const size_t n = strnlen(static_cast<const char*>(name), std::min(size, size_t(kProgramNameSize - 1)));
        std::memcpy(current.name, name, n);
        current.name[n] = 0;
    }
    const void* number = retrieve(handle, uris.program, &size, &type, &flags);
    int64_t value = -1;
    if (number && type == uris.atomInt && size >= sizeof(int32_t))
        value = *static_cast<const int32_t*>(number);
    else if (number && type == uris.atomLong && size >= sizeof(int64_t))
        value = *static_cast<const int64_t*>(number);
    if (value >= 0 && value < kNumPrograms)
        programNumber = int(value);
    announce = true;
    return LV2_STATE_SUCCESS;
}

uint32_t Lv2Plugin::setOptions(const LV2_Options_Option* options)
{
    for (const LV2_Options_Option* option = options; option && option->key; ++option) {
        const bool blockLength = option->key == uris.maxBlockLength || option->key == uris.nominalBlockLength;
        if (!blockLength || !option->value || option->type != forge.Int || option->size < sizeof(int32_t))
            continue;
        const int32_t frames = *static_cast<const int32_t*>(option->value);
        if (frames > 0)
            maxBlock = std::max(maxBlock, uint32_t(frames));
    }
    return LV2_OPTIONS_SUCCESS;
}

uint32_t Lv2Plugin::getOptions(LV2_Options_Option* options) const
{
    // The plug-in has no options of its own to tell.
    for (LV2_Options_Option* option = options; option && option->key; ++option)
        option->type = 0;
    return LV2_OPTIONS_ERR_UNKNOWN;
}
