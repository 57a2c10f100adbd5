// The program operations behind the editor's buttons and menus, and the command channel that
// carries them (CommandTag).
#pragma once

#include "presets/ProgramHost.h"

#include <filesystem>
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
// These ask first and act on the answer, which may come after they return (host.askUser).
void restorePreset(ProgramHost& host);
void initializePreset(ProgramHost& host);
void initializeBank(ProgramHost& host);

// The file name the Save Preset dialog suggests for a program name: characters that no file name
// may hold on any system ("/", "\\", ":", "*", "?", quotes, "<", ">", "|", control characters)
// become "-", trailing dots and spaces go, and a device name such as "CON" becomes "CON_".
std::wstring suggestedFileName(const char* programName);

void savePresetWithDialog(ProgramHost& host);
bool loadPresetWithDialog(ProgramHost& host);
void saveBankWithDialog(ProgramHost& host);
bool loadBankWithDialog(ProgramHost& host);
// Resets the bank to default programs, then reads the file; reports failures to the user.
bool loadBankFromPath(ProgramHost& host, const std::filesystem::path& path);

// The bank files the bank menu offers after "Default" and its separator, in menu order: the
// scanned files except one named "default" in any letter case.
std::vector<std::wstring> bankMenuFiles(const UserSettings& settings);
// A choice in the bank menu: position 0 (and 1) is "Default", 2 and up the files above.
void chooseBank(ProgramHost& host, int position);

// Carries out one editor command. The caller passes only commands that arrive while the editor
// window is open.
void handleEditorCommand(ProgramHost& host, int tag, float value);
