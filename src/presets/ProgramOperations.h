// The program operations behind the editor's buttons and menus: section and preset clipboards,
// restoring, the preset and bank files read and written without harm to the sounds in use, and
// the names the file menus offer. None of them asks the user anything; the editor does.
#pragma once

#include "presets/ProgramFiles.h"
#include "presets/ProgramHost.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class SectionKind { Oscillator, Filter, Envelope, Lfo };

// Parameter indices of one section instance (oscillator 1-2, filter 1-2, envelope 1-4, LFO 1-4),
// in the same order for every instance; empty for an instance that does not exist.
std::vector<int> sectionParameters(SectionKind kind, int instance);
void copySection(ProgramStore& store, SectionKind kind, int instance);
// Writes the section clipboard into the current program; the caller refreshes.
void pasteSection(ProgramStore& store, SectionKind kind, int instance);

void copyPreset(ProgramStore& store);
void pastePreset(ProgramHost& host);
// Brings back the current program as it was when it was last selected, loaded or saved.
void restorePreset(ProgramHost& host);

// The file name the Save Preset dialog suggests for a program name: characters that no file name
// may hold on any system ("/", "\\", ":", "*", "?", quotes, "<", ">", "|", control characters)
// become "-", trailing dots and spaces go, and a device name such as "CON" becomes "CON_".
std::wstring suggestedFileName(const char* programName);

// The current program or the whole bank to and from files; FileResult codes. Saves follow a link
// only into the data folder; a save that succeeds makes the current program's state its saved
// state (the undo record). Loads read into scratch records first: a missing, wrong or damaged
// file leaves the sounds in use as they were. A bank that loads replaces the bank (after the
// host's initBank(false)) and selects program 0.
int saveCurrentPreset(ProgramHost& host, const std::filesystem::path& path, FileProblem& problem);
int loadCurrentPreset(ProgramStore& store, const std::filesystem::path& path, FileProblem& problem);
int saveProgramBank(ProgramHost& host, const std::filesystem::path& path, FileProblem& problem);
int loadProgramBank(ProgramHost& host, const std::filesystem::path& path, FileProblem& problem);

// The bank files the bank menu offers after "Default" and its separator, in menu order: the
// scanned files except one named "default" in any letter case.
std::vector<std::wstring> bankMenuFiles(const UserSettings& settings);
// The file of a bank menu position (2 and up: the files above); none for "Default" or a position
// past the list.
std::optional<std::filesystem::path> bankMenuPath(const UserSettings& settings, int position);
