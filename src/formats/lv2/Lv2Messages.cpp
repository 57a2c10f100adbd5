#include "Lv2Messages.h"

#include "Lv2Uris.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/time/time.h>

#include <cstring>

namespace {

LV2_URID mapped(const LV2_URID_Map& map, const char* uri)
{
    return map.map(map.handle, uri);
}

bool isObject(const Lv2Urids& uris, const LV2_Atom* atom)
{
    return atom && (atom->type == uris.atomObject || atom->type == uris.atomBlank) &&
           atom->size >= sizeof(LV2_Atom_Object_Body);
}

bool isInt(const Lv2Urids& uris, const LV2_Atom* atom)
{
    return atom && atom->type == uris.atomInt && atom->size >= sizeof(int32_t);
}

Lv2PatchMessage readVoiceActivity(const Lv2Urids& uris, const LV2_Atom_Object* object)
{
    Lv2PatchMessage message;
    const LV2_Atom* voices = nullptr;
    const LV2_Atom* keyHeld = nullptr;
    lv2_atom_object_get(object, uris.voices, &voices, uris.keyHeld, &keyHeld, 0);
    if (!isInt(uris, voices) || !isInt(uris, keyHeld))
        return message;
    message.kind = Lv2PatchMessage::VoiceActivity;
    message.number = reinterpret_cast<const LV2_Atom_Int*>(voices)->body;
    message.keyHeld = reinterpret_cast<const LV2_Atom_Int*>(keyHeld)->body != 0;
    return message;
}

} // namespace

Lv2Urids::Lv2Urids(const LV2_URID_Map& map)
    : atomBlank(mapped(map, LV2_ATOM__Blank)), atomObject(mapped(map, LV2_ATOM__Object)),
      atomSequence(mapped(map, LV2_ATOM__Sequence)), atomString(mapped(map, LV2_ATOM__String)),
      atomInt(mapped(map, LV2_ATOM__Int)), atomLong(mapped(map, LV2_ATOM__Long)),
      atomUrid(mapped(map, LV2_ATOM__URID)), atomEventTransfer(mapped(map, LV2_ATOM__eventTransfer)),
      midiEvent(mapped(map, LV2_MIDI__MidiEvent)), timePosition(mapped(map, LV2_TIME__Position)),
      timeBeatsPerMinute(mapped(map, LV2_TIME__beatsPerMinute)), timeBeatUnit(mapped(map, LV2_TIME__beatUnit)),
      patchSet(mapped(map, LV2_PATCH__Set)), patchGet(mapped(map, LV2_PATCH__Get)),
      patchProperty(mapped(map, LV2_PATCH__property)), patchValue(mapped(map, LV2_PATCH__value)),
      programName(mapped(map, lv2uri::kProgramName)), program(mapped(map, lv2uri::kProgram)),
      voiceActivity(mapped(map, lv2uri::kVoiceActivity)), voices(mapped(map, lv2uri::kVoices)), keyHeld(mapped(map, lv2uri::kKeyHeld)),
      maxBlockLength(mapped(map, LV2_BUF_SIZE__maxBlockLength)),
      nominalBlockLength(mapped(map, LV2_BUF_SIZE__nominalBlockLength))
{
}

Lv2PatchMessage readPatchMessage(const Lv2Urids& uris, const LV2_Atom* atom)
{
    Lv2PatchMessage message;
    if (!isObject(uris, atom))
        return message;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(atom);
    if (object->body.otype == uris.patchGet) {
        message.kind = Lv2PatchMessage::Get;
        return message;
    }
    if (object->body.otype == uris.voiceActivity)
        return readVoiceActivity(uris, object);
    if (object->body.otype != uris.patchSet)
        return message;
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(object, uris.patchProperty, &property, uris.patchValue, &value, 0);
    if (!property || !value || property->type != uris.atomUrid || property->size < sizeof(LV2_URID))
        return message;
    const LV2_URID key = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
    if (key == uris.programName && value->type == uris.atomString) {
        message.kind = Lv2PatchMessage::Name;
        message.name = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
        // The text ends at its terminator or at the atom's end, whichever comes first.
        message.nameLength = uint32_t(strnlen(message.name, value->size));
    } else if (key == uris.program && value->type == uris.atomInt && value->size >= sizeof(int32_t)) {
        message.kind = Lv2PatchMessage::Number;
        message.number = reinterpret_cast<const LV2_Atom_Int*>(value)->body;
    } else if (key == uris.program && value->type == uris.atomLong && value->size >= sizeof(int64_t)) {
        const int64_t number = reinterpret_cast<const LV2_Atom_Long*>(value)->body;
        message.kind = Lv2PatchMessage::Number;
        message.number = number < 0 || number > 1000000 ? -1 : int(number);
    }
    return message;
}

namespace {

// Opens a patch:Set of property up to its value, which the caller writes.
bool beginSet(LV2_Atom_Forge& forge, const Lv2Urids& uris, LV2_Atom_Forge_Frame& frame, LV2_URID property)
{
    if (!lv2_atom_forge_object(&forge, &frame, 0, uris.patchSet))
        return false;
    return lv2_atom_forge_key(&forge, uris.patchProperty) && lv2_atom_forge_urid(&forge, property) &&
           lv2_atom_forge_key(&forge, uris.patchValue);
}

} // namespace

// A frame opened is always closed, also when the buffer ran out, so the forge's stack never
// keeps a frame that is gone.
bool forgeProgramName(LV2_Atom_Forge& forge, const Lv2Urids& uris, const char* name)
{
    LV2_Atom_Forge_Frame frame;
    frame.ref = 0;
    const bool whole = beginSet(forge, uris, frame, uris.programName) &&
                       lv2_atom_forge_string(&forge, name, uint32_t(std::strlen(name)));
    if (frame.ref)
        lv2_atom_forge_pop(&forge, &frame);
    return whole;
}

namespace {

bool forgeIntSet(LV2_Atom_Forge& forge, const Lv2Urids& uris, LV2_URID property, int32_t value)
{
    LV2_Atom_Forge_Frame frame;
    frame.ref = 0;
    const bool whole = beginSet(forge, uris, frame, property) && lv2_atom_forge_int(&forge, value);
    if (frame.ref)
        lv2_atom_forge_pop(&forge, &frame);
    return whole;
}

} // namespace

bool forgeProgramNumber(LV2_Atom_Forge& forge, const Lv2Urids& uris, int number)
{
    return forgeIntSet(forge, uris, uris.program, number);
}

bool forgeVoiceActivity(LV2_Atom_Forge& forge, const Lv2Urids& uris, uint32_t sounding, bool keyHeld)
{
    if (!lv2_atom_forge_frame_time(&forge, 0))
        return false;
    LV2_Atom_Forge_Frame frame;
    frame.ref = 0;
    const bool whole = lv2_atom_forge_object(&forge, &frame, 0, uris.voiceActivity) &&
                       lv2_atom_forge_key(&forge, uris.voices) && lv2_atom_forge_int(&forge, int32_t(sounding)) &&
                       lv2_atom_forge_key(&forge, uris.keyHeld) && lv2_atom_forge_int(&forge, keyHeld ? 1 : 0);
    if (frame.ref)
        lv2_atom_forge_pop(&forge, &frame);
    return whole;
}

bool forgeProgramRequest(LV2_Atom_Forge& forge, const Lv2Urids& uris)
{
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_object(&forge, &frame, 0, uris.patchGet))
        return false;
    lv2_atom_forge_pop(&forge, &frame);
    return true;
}
