// The atoms the plug-in and its UI exchange: mapped URIs, the patch messages that carry the
// program's name and number (a patch:Set of either, or a patch:Get asking for both) and, from
// the plug-in, an object of its own telling which voices sound.
#pragma once

#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include <cstdint>

struct Lv2Urids {
    explicit Lv2Urids(const LV2_URID_Map& map);

    LV2_URID atomBlank, atomObject, atomSequence, atomString, atomInt, atomLong, atomUrid, atomEventTransfer;
    LV2_URID midiEvent;
    LV2_URID timePosition, timeBeatsPerMinute, timeBeatUnit;
    LV2_URID patchSet, patchGet, patchProperty, patchValue;
    LV2_URID programName, program, voiceActivity, voices, keyHeld;
    LV2_URID maxBlockLength, nominalBlockLength;
};

struct Lv2PatchMessage {
    enum Kind { None, Name, Number, Get, VoiceActivity };
    Kind kind = None;
    const char* name = nullptr; // Name: the text, nameLength bytes, not terminated
    uint32_t nameLength = 0;
    int number = 0; // Number; VoiceActivity: the sounding voices' mask
    bool keyHeld = false; // VoiceActivity
};

// What an atom says of the program or the voices; None for anything else (and for damaged
// messages).
Lv2PatchMessage readPatchMessage(const Lv2Urids& uris, const LV2_Atom* atom);

// One patch:Set or patch:Get object at the forge's place. False when the buffer is full.
bool forgeProgramName(LV2_Atom_Forge& forge, const Lv2Urids& uris, const char* name);
bool forgeProgramNumber(LV2_Atom_Forge& forge, const Lv2Urids& uris, int number);
bool forgeProgramRequest(LV2_Atom_Forge& forge, const Lv2Urids& uris);
// One event at frame 0 of the sequence being forged: the sounding voices' mask and whether a key
// is held.
bool forgeVoiceActivity(LV2_Atom_Forge& forge, const Lv2Urids& uris, uint32_t sounding, bool keyHeld);
