// The dialogs and questions of the program commands: file dialogs for presets and banks, the
// questions before what cannot be undone, and the messages that say what went wrong and where.
#pragma once

#include <filesystem>
#include <string>

class CommandHost;

void savePresetWithDialog(CommandHost& host);
// True when a preset file was read into the current program.
bool loadPresetWithDialog(CommandHost& host);
void saveBankWithDialog(CommandHost& host);
// True when a bank file replaced the bank.
bool loadBankWithDialog(CommandHost& host);

// These ask first and act on the answer, which may come after they return (host.askUser).
void askToRestorePreset(CommandHost& host);
void askToInitializePreset(CommandHost& host);
void askToInitializeBank(CommandHost& host);
// A choice in the bank menu: position 0 (and 1) is "Default", 2 and up the bank files; asks
// first when the user's settings say so.
void chooseBank(CommandHost& host, int position);

// Settings that shape the window take effect when it opens again; this says so.
void showReopenMessage(CommandHost& host);
// A tuning file that could not be used: which file, which line (0: none) and why.
void showTuningProblem(CommandHost& host, const std::filesystem::path& file, int line, const std::string& reason);
