// The atoms the plug-in and its UI exchange: mapped URIs, and the patch messages that carry
// the program's name and number (a patch:Set of either, or a patch:Get asking for both).
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
    LV2_URID programName, program;
    LV2_URID maxBlockLength, nominalBlockLength;
};

struct Lv2ProgramMessage {
    enum Kind { None, Name, Number, Get };
    Kind kind = None;
    const char* name = nullptr; // Name: the text, nameLength bytes, not terminated
    uint32_t nameLength = 0;
    int number = 0; // Number
};

// What an atom says of the program; None for anything else (and for damaged messages).
Lv2ProgramMessage readProgramMessage(const Lv2Urids& uris, const LV2_Atom* atom);

// One patch:Set or patch:Get object at the forge's place. False when the buffer is full.
bool forgeProgramName(LV2_Atom_Forge& forge, const Lv2Urids& uris, const char* name);
bool forgeProgramNumber(LV2_Atom_Forge& forge, const Lv2Urids& uris, int number);
bool forgeProgramRequest(LV2_Atom_Forge& forge, const Lv2Urids& uris);
