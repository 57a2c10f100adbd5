// The LV2 host's blocks: MIDI, the tempo and patch messages into the event port as one atom
// sequence, and the patch messages the plug-in sends back.
#include "Lv2Host.h"

#include "CpuClock.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstring>

namespace {

struct PatchSet {
    LV2_Atom_Forge forge;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(512);
    LV2_Atom_Forge_Frame frame;

    PatchSet(LV2_URID_Map& map, Lv2Host& host, const std::string& property)
    {
        lv2_atom_forge_init(&forge, &map);
        lv2_atom_forge_set_buffer(&forge, bytes.data(), bytes.size());
        lv2_atom_forge_object(&forge, &frame, 0, host.map(LV2_PATCH__Set));
        lv2_atom_forge_key(&forge, host.map(LV2_PATCH__property));
        lv2_atom_forge_urid(&forge, host.map(property.c_str()));
        lv2_atom_forge_key(&forge, host.map(LV2_PATCH__value));
    }
    std::vector<uint8_t> finish()
    {
        lv2_atom_forge_pop(&forge, &frame);
        const auto* atom = reinterpret_cast<const LV2_Atom*>(bytes.data());
        return {bytes.begin(), bytes.begin() + long(sizeof(LV2_Atom) + atom->size)};
    }
};

} // namespace

void Lv2Host::sendProperty(const std::string& property, const std::string& text)
{
    PatchSet set(mapFeature, *this, property);
    lv2_atom_forge_string(&set.forge, text.c_str(), uint32_t(text.size()));
    pendingAtoms.push_back(set.finish());
}

void Lv2Host::sendProperty(const std::string& property, int number)
{
    PatchSet set(mapFeature, *this, property);
    lv2_atom_forge_int(&set.forge, number);
    pendingAtoms.push_back(set.finish());
}

void Lv2Host::writeEvents(const std::vector<BlockEvent>& events)
{
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &mapFeature);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(eventBuffer.data()), eventBuffer.size() * 8);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    // The tempo goes to the plug-in when it changes, as hosts send their transport.
    const float tempo = timeInfo.flags & kVstTempoValid ? float(timeInfo.tempo) : 120.0f;
    if (tempo != lastTempo) {
        lastTempo = tempo;
        LV2_Atom_Forge_Frame position;
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_object(&forge, &position, 0, map(LV2_TIME__Position));
        lv2_atom_forge_key(&forge, map(LV2_TIME__beatsPerMinute));
        lv2_atom_forge_float(&forge, tempo);
        lv2_atom_forge_key(&forge, map(LV2_TIME__beatUnit));
        lv2_atom_forge_int(&forge, timeInfo.flags & kVstTimeSigValid ? timeInfo.timeSigDenominator : 4);
        lv2_atom_forge_pop(&forge, &position);
    }
    for (const std::vector<uint8_t>& atom : pendingAtoms) {
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_write(&forge, atom.data(), uint32_t(atom.size()));
    }
    pendingAtoms.clear();
    std::vector<BlockEvent> sorted = events;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const BlockEvent& a, const BlockEvent& b) { return a.deltaFrame < b.deltaFrame; });
    for (const BlockEvent& event : sorted) {
        const uint8_t status = event.bytes[0];
        const uint32_t size = status >= 0xC0 && status < 0xE0 ? 2 : 3;
        lv2_atom_forge_frame_time(&forge, std::max(0, event.deltaFrame));
        lv2_atom_forge_atom(&forge, size, map(LV2_MIDI__MidiEvent));
        lv2_atom_forge_write(&forge, event.bytes, size);
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

void Lv2Host::processBlock(const std::vector<BlockEvent>& events, int frames)
{
    if (!instance)
        throw HostError("the plug-in was not configured");
    frames = std::clamp(frames, 0, maxBlock);
    if (eventPort != UINT32_MAX)
        writeEvents(events);
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(notifyBuffer.data());
    notify->atom.type = map(LV2_ATOM__Chunk);
    notify->atom.size = uint32_t(notifyBuffer.size() * 8 - sizeof(LV2_Atom));
    const double before = threadCpuSeconds();
    lilv_instance_run(instance, uint32_t(frames));
    cpuSeconds += std::max(0.0, threadCpuSeconds() - before - clockReadSeconds());
    readNotifications();
}

void Lv2Host::readNotifications()
{
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(notifyBuffer.data());
    if (notifyPort == UINT32_MAX || sequence->atom.type != map(LV2_ATOM__Sequence))
        return;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        const LV2_Atom& body = event->body;
        if (body.type != map(LV2_ATOM__Object))
            continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&body);
        if (object->body.otype != map(LV2_PATCH__Set)) {
            readObjectNumbers(object);
            continue;
        }
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(object, map(LV2_PATCH__property), &property, map(LV2_PATCH__value), &value, 0);
        if (!property || !value || property->type != map(LV2_ATOM__URID))
            continue;
        const char* key = unmap(reinterpret_cast<const LV2_Atom_URID*>(property)->body);
        if (!key)
            continue;
        if (value->type == map(LV2_ATOM__String))
            texts[key] = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
        else if (value->type == map(LV2_ATOM__Int))
            numbers[key] = reinterpret_cast<const LV2_Atom_Int*>(value)->body;
    }
}

// A plug-in's own kind of message: its whole numbers, by key, as if each had been set alone.
void Lv2Host::readObjectNumbers(const LV2_Atom_Object* object)
{
    LV2_ATOM_OBJECT_FOREACH(object, property)
    {
        const char* key = unmap(property->key);
        if (key && property->value.type == map(LV2_ATOM__Int) && property->value.size >= sizeof(int32_t))
            numbers[key] = reinterpret_cast<const LV2_Atom_Int*>(&property->value)->body;
    }
}

std::string Lv2Host::receivedText(const std::string& property) const
{
    const auto found = texts.find(property);
    return found == texts.end() ? std::string() : found->second;
}

int Lv2Host::receivedNumber(const std::string& property) const
{
    const auto found = numbers.find(property);
    return found == numbers.end() ? -1 : found->second;
}
