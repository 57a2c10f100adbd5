// "Midi.txt": the MIDI controller map and the two Mod CC controller numbers, one signed decimal
// integer per line (120 map entries, then Mod CC 1 and Mod CC 2).
#pragma once

#include "MidiMap.h"
#include "platform/AtomicFile.h"

#include <filesystem>
#include <string>
#include <string_view>

constexpr int kMidiMapLines = kNumMappableControllers + 2;

// A line read the way wcstol reads it with base 0: leading white space, optional sign, "0x" for
// hexadecimal, a leading "0" for octal; a line that does not start with a number reads as 0.
long parseMidiMapLine(std::string_view line);

// Sets the map to "none" everywhere, then takes every valid line of the file. A missing or short
// file leaves the entries it does not give at -1; out-of-range values leave theirs at -1.
void readMidiMap(const std::filesystem::path& file, MidiMap& map);
// Applies the lines of a file's text, as readMidiMap does.
void readMidiMapText(std::string_view text, MidiMap& map);

// The file's text: 122 lines, each ended by the platform's line break.
std::string formatMidiMap(const MidiMap& map);
// Replaces the file as a whole; on any result but Ok the old file is untouched. A link is followed
// only into linkRoot (the data folder).
WriteResult writeMidiMap(const std::filesystem::path& file, const MidiMap& map,
                         const std::filesystem::path& linkRoot = {});
