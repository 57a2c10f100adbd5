#include "editor/ProgramDialogs.h"

#include "editor/CommandHost.h"
#include "presets/ProgramOperations.h"

#include <utility>

namespace {

const wchar_t* const kReopenMessage = L"Please reopen the plugin window\nfor this change to take effect";

// The command goes on in then, which may run after this returns (the editor asking in its
// window answers at a later idle). then captures only what outlives the command: the host.
void ask(CommandHost& host, const wchar_t* text, const wchar_t* title, MessageButtons buttons,
         CommandHost::AnswerHandler then)
{
    host.askUser(text, title, MessageIcon::Question, buttons, std::move(then));
}

void showError(CommandHost& host, const wchar_t* text)
{
    host.askUser(text, L"Error", MessageIcon::Error, MessageButtons::Ok, nullptr);
}

// The message, then which file and what was wrong with it: "/a/b.hfp, line 12: the file ends ...".
void showFileError(CommandHost& host, const wchar_t* text, const std::filesystem::path& path,
                   const FileProblem& problem)
{
    std::wstring message = text;
    message += L"\n\n";
    message += widenFileName(path);
    if (problem.line > 0)
        message += L", line " + std::to_wstring(problem.line) + L":";
    if (!problem.reason.empty())
        message += L" " + widenOneToOne(problem.reason);
    message += L".";
    showError(host, message.c_str());
}

// A dialog that cannot open must not look like a cancel: the user is told why nothing happened.
bool chooseFile(CommandHost& host, const FileDialogRequest& request, std::filesystem::path& path)
{
    DialogResult result = systemServices().fileDialog(host.editorWindow(), request, path);
    if (result == DialogResult::Unavailable) {
        std::wstring reason = systemServices().unavailableReason();
        host.askUser(reason.empty() ? L"The file dialog could not be opened." : reason, request.title,
                     MessageIcon::Error, MessageButtons::Ok, nullptr);
    }
    return result == DialogResult::Chosen;
}

FileDialogRequest dialogRequest(const UserSettings& settings, bool save, bool preset)
{
    FileDialogRequest request;
    request.save = save;
    request.title = std::wstring(save ? L"Save " : L"Load ") + (preset ? L"Preset" : L"Bank");
    request.filterName = preset ? L"Presets (*.hfp)" : L"Banks (*.hfb)";
    request.filterPattern = preset ? L"*.hfp" : L"*.hfb";
    request.defaultExtension = preset ? L"hfp" : L"hfb";
    if (settings.presetsFolderExists)
        request.initialFolder = settings.presetsFolder;
    return request;
}

// True for a file that loaded; otherwise the user is told what was wrong with it.
bool reportLoad(CommandHost& host, int result, const std::filesystem::path& path, const FileProblem& problem,
                const wchar_t* notValidText, const wchar_t* notLoadedText)
{
    if (result == kFileOk)
        return true;
    showFileError(host, result == kFileWrongHeader ? notValidText : notLoadedText, path, problem);
    return false;
}

// Reads a bank file over the bank; reports failures to the user.
bool loadBankReporting(CommandHost& host, const std::filesystem::path& path)
{
    FileProblem problem;
    int result = loadProgramBank(host, path, problem);
    return reportLoad(host, result, path, problem, L"The selected file is not a valid bank.",
                      L"The bank could not be loaded.");
}

void loadChosenBank(CommandHost& host, int position)
{
    if (position < 2) {
        host.loadDefaultBank();
        return;
    }
    std::optional<std::filesystem::path> path = bankMenuPath(host.userSettings(), position);
    if (path && loadBankReporting(host, *path))
        host.setProgram(0);
}

} // namespace

void savePresetWithDialog(CommandHost& host)
{
    FileDialogRequest request = dialogRequest(host.userSettings(), true, true);
    request.initialName = suggestedFileName(host.programStore().current().name);
    std::filesystem::path path;
    if (!chooseFile(host, request, path))
        return;
    FileProblem problem;
    if (saveCurrentPreset(host, path, problem) != kFileOk)
        showFileError(host, L"The preset could not be saved.", path, problem);
}

bool loadPresetWithDialog(CommandHost& host)
{
    std::filesystem::path path;
    if (!chooseFile(host, dialogRequest(host.userSettings(), false, true), path))
        return false;
    FileProblem problem;
    int result = loadCurrentPreset(host.programStore(), path, problem);
    return reportLoad(host, result, path, problem, L"The selected file is not a valid preset.",
                      L"The preset could not be loaded.");
}

void saveBankWithDialog(CommandHost& host)
{
    std::filesystem::path path;
    if (!chooseFile(host, dialogRequest(host.userSettings(), true, false), path))
        return;
    FileProblem problem;
    if (saveProgramBank(host, path, problem) != kFileOk)
        showFileError(host, L"The bank could not be saved.", path, problem);
}

bool loadBankWithDialog(CommandHost& host)
{
    std::filesystem::path path;
    if (!chooseFile(host, dialogRequest(host.userSettings(), false, false), path))
        return false;
    return loadBankReporting(host, path);
}

void askToRestorePreset(CommandHost& host)
{
    ask(host, L"Undo changes to current preset?", L"Restore Preset", MessageButtons::YesNo,
        [&host](MessageAnswer answer) {
            if (answer == MessageAnswer::Yes)
                restorePreset(host);
        });
}

void askToInitializePreset(CommandHost& host)
{
    ask(host, L"Initialize the current preset to the default values?", L"Initialize Preset", MessageButtons::YesNo,
        [&host](MessageAnswer answer) {
            if (answer == MessageAnswer::Yes)
                host.initProgram(host.programStore().currentNumber());
        });
}

void askToInitializeBank(CommandHost& host)
{
    ask(host, L"Initialize the bank using the current preset?\r\nSelect No to use the default values.",
        L"Initialize Bank", MessageButtons::YesNoCancel, [&host](MessageAnswer answer) {
            if (answer == MessageAnswer::Yes)
                host.initBank(true);
            else if (answer == MessageAnswer::No)
                host.initBank(false);
        });
}

void chooseBank(CommandHost& host, int position)
{
    if (!host.userSettings().askOnBankSelect) {
        loadChosenBank(host, position);
        return;
    }
    ask(host, L"Load the selected bank?", L"Load Bank", MessageButtons::YesNo, [&host, position](MessageAnswer answer) {
        if (answer == MessageAnswer::Yes)
            loadChosenBank(host, position);
    });
}

void showReopenMessage(CommandHost& host)
{
    host.askUser(kReopenMessage, L"Settings", MessageIcon::Information, MessageButtons::Ok, nullptr);
}

void showTuningProblem(CommandHost& host, const std::filesystem::path& file, int line, const std::string& reason)
{
    std::wstring message = L"The tuning file cannot be used; the tuning stays as it was.\n\n";
    message += widenFileName(file);
    if (line > 0)
        message += L", line " + std::to_wstring(line);
    message += L": " + widenOneToOne(reason) + L".";
    host.askUser(message, L"Tuning", MessageIcon::Error, MessageButtons::Ok, nullptr);
}
