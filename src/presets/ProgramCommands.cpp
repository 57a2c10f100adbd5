#include "presets/ProgramCommands.h"

#include "params/CodeTables.h"
#include "params/CommandTags.h"
#include "params/SectionParams.h"
#include "platform/SystemServices.h"
#include "presets/MidiLearnCommands.h"
#include "presets/ProgramFiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

namespace {

const wchar_t* const kReopenMessage = L"Please reopen the plugin window\nfor this change to take effect";

// The command goes on in then, which may run after this returns (the editor asking in its
// window answers at a later idle). then captures only what outlives the command: the host.
void ask(ProgramHost& host, const wchar_t* text, const wchar_t* title, MessageButtons buttons,
         ProgramHost::AnswerHandler then)
{
    host.askUser(text, title, MessageIcon::Question, buttons, std::move(then));
}

void showError(ProgramHost& host, const wchar_t* text)
{
    host.askUser(text, L"Error", MessageIcon::Error, MessageButtons::Ok, nullptr);
}

// The message, then which file and what was wrong with it: "/a/b.hfp, line 12: the file ends ...".
void showFileError(ProgramHost& host, const wchar_t* text, const std::filesystem::path& path,
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

// Saves may follow a link only into the data folder.
std::filesystem::path linkRoot(ProgramHost& host)
{
    const UserSettings& settings = host.userSettings();
    return settings.dataFolderFound ? settings.dataFolder : std::filesystem::path();
}

// A dialog that cannot open must not look like a cancel: the user is told why nothing happened.
bool chooseFile(ProgramHost& host, const FileDialogRequest& request, std::filesystem::path& path)
{
    DialogResult result = systemServices().fileDialog(host.editorWindow(), request, path);
    if (result == DialogResult::Unavailable) {
        std::wstring reason = systemServices().unavailableReason();
        host.askUser(reason.empty() ? L"The file dialog could not be opened." : reason, request.title,
                     MessageIcon::Error, MessageButtons::Ok, nullptr);
    }
    return result == DialogResult::Chosen;
}

void showReopenMessage(ProgramHost& host)
{
    host.askUser(kReopenMessage, L"Settings", MessageIcon::Information, MessageButtons::Ok, nullptr);
}

// A menu position sent as a float; anything that is not a whole number is no position.
bool menuPosition(float value, int& position)
{
    if (!std::isfinite(value) || value < -0.5f || value > 10000.0f)
        return false;
    float rounded = std::round(value);
    if (std::fabs(value - rounded) > 0.001f)
        return false;
    position = int(rounded);
    return true;
}

// A menu choice stores its code's value; separators and positions outside the menu change nothing.
void setCoded(ProgramStore& store, int parameter, CodeKind kind, int position)
{
    float value = 0.0f;
    if (valueForMenuEntry(kind, position, value))
        store.current().set(parameter, value);
}

void toggleSwitch(ProgramStore& store, int parameter)
{
    store.current().set(parameter, store.current().get(parameter) == 0.0f ? 1.0f : 0.0f);
}

// Each section instance's parameters, in the same order for every instance: the clipboard holds
// a section in instance 1's slots and pastes into any instance.
std::vector<int> sectionRoles(const OscillatorParams& p)
{
    return {p.semi,       p.fine,         p.volume,           p.detune, p.pulseWidth,  p.sub,
            p.wave,       p.subFollowsPw, p.subFollowsVolume, p.phase,  p.subSemi,     p.subFine,
            p.subAltWave, p.detuneSpread, p.detuneMix,        p.pan,    p.detuneVoices};
}
std::vector<int> sectionRoles(const FilterParams& p)
{
    return {p.cutoff, p.resonance, p.keyTrack, p.type};
}
std::vector<int> sectionRoles(const EnvelopeParams& p)
{
    return {p.attack, p.decay, p.sustain, p.release, p.velocity};
}
std::vector<int> sectionRoles(const LfoParams& p)
{
    return {p.rate, p.offset, p.wave, p.sync, p.free, p.phase};
}

template <typename Params, size_t Instances>
std::vector<int> sectionRow(const Params (&sections)[Instances], int instance)
{
    if (instance < 1 || size_t(instance) > Instances)
        return {};
    return sectionRoles(sections[instance - 1]);
}

void handleOptionsMenu(ProgramHost& host, int position)
{
    ProgramStore& store = host.programStore();
    switch (position) {
    case 0:
        savePresetWithDialog(host);
        break;
    case 1:
        if (loadPresetWithDialog(host))
            host.setProgram(store.currentNumber());
        break;
    case 2:
        copyPreset(store);
        break;
    case 3:
        pastePreset(host);
        break;
    case 4:
        restorePreset(host);
        break;
    case 5:
        initializePreset(host);
        break;
    case 7:
        saveBankWithDialog(host);
        break;
    case 8:
        if (loadBankWithDialog(host))
            host.setProgram(0);
        break;
    case 9:
        initializeBank(host);
        break;
    case 11:
        host.allNotesOff();
        break;
    default:
        break; // separators; the About box belongs to the editor
    }
}

void handleSettingsMenu(ProgramHost& host, int position)
{
    UserSettings& settings = host.userSettings();
    switch (position) {
    case 0:
        settings.askOnBankSelect = !settings.askOnBankSelect;
        break;
    case 1:
        settings.enableMouseWheel = !settings.enableMouseWheel;
        showReopenMessage(host);
        break;
    case 2:
        settings.ignoreAmpVelocity.store(!settings.ignoreAmpVelocity.load());
        break;
    case 4:
        if (settings.dataFolderFound)
            systemServices().openFolder(settings.dataFolder);
        break;
    default:
        break;
    }
}

void handleOscillatorMenu(ProgramHost& host, int oscillator, int position)
{
    ProgramStore& store = host.programStore();
    switch (position) {
    case 0:
        copySection(store, SectionKind::Oscillator, oscillator);
        break;
    case 1:
        pasteSection(store, SectionKind::Oscillator, oscillator);
        host.refreshValues();
        break;
    case 3:
        toggleSwitch(store, kOscillatorParams[oscillator - 1].subFollowsPw);
        break;
    case 4:
        toggleSwitch(store, kOscillatorParams[oscillator - 1].subFollowsVolume);
        break;
    case 6:
    case 7:
    case 8:
    case 9:
    case 10: {
        store.current().set(kOscillatorParams[oscillator - 1].subAltWave,
                            codeStoredValue(CodeKind::SubAlt, int(kSubAltMenuModes[position - 6])));
        break;
    }
    default:
        break;
    }
}

void handleSectionMenu(ProgramHost& host, SectionKind kind, int instance, int position)
{
    if (position == 0) {
        copySection(host.programStore(), kind, instance);
    } else if (position == 1) {
        pasteSection(host.programStore(), kind, instance);
        host.refreshValues();
    }
}

} // namespace

std::vector<int> sectionParameters(SectionKind kind, int instance)
{
    switch (kind) {
    case SectionKind::Oscillator:
        return sectionRow(kOscillatorParams, instance);
    case SectionKind::Filter:
        return sectionRow(kFilterParams, instance);
    case SectionKind::Envelope:
        return sectionRow(kEnvelopeParams, instance);
    case SectionKind::Lfo:
        return sectionRow(kLfoParams, instance);
    }
    return {};
}

void copySection(ProgramStore& store, SectionKind kind, int instance)
{
    std::vector<int> from = sectionParameters(kind, instance);
    std::vector<int> slots = sectionParameters(kind, 1);
    ProgramRecord& clipboard = store.record(ProgramStore::kSectionClipboard);
    for (size_t i = 0; i < from.size(); ++i)
        if (from[i] >= 0 && slots[i] >= 0)
            clipboard.set(slots[i], store.current().get(from[i]));
}

void pasteSection(ProgramStore& store, SectionKind kind, int instance)
{
    std::vector<int> to = sectionParameters(kind, instance);
    std::vector<int> slots = sectionParameters(kind, 1);
    const ProgramRecord& clipboard = store.record(ProgramStore::kSectionClipboard);
    for (size_t i = 0; i < to.size(); ++i)
        if (to[i] >= 0 && slots[i] >= 0)
            store.current().set(to[i], clipboard.get(slots[i]));
}

void copyPreset(ProgramStore& store)
{
    store.record(ProgramStore::kPresetClipboard).copyFrom(store.current());
}

void pastePreset(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    store.current().copyFrom(store.record(ProgramStore::kPresetClipboard));
    host.refreshValues();
}

void restorePreset(ProgramHost& host)
{
    ask(host, L"Undo changes to current preset?", L"Restore Preset", MessageButtons::YesNo,
        [&host](MessageAnswer answer) {
            if (answer != MessageAnswer::Yes)
                return;
            ProgramStore& store = host.programStore();
            store.current().copyFrom(store.record(ProgramStore::kUndoRecord));
            host.refreshValues();
        });
}

void initializePreset(ProgramHost& host)
{
    ask(host, L"Initialize the current preset to the default values?", L"Initialize Preset", MessageButtons::YesNo,
        [&host](MessageAnswer answer) {
            if (answer == MessageAnswer::Yes)
                host.initProgram(host.programStore().currentNumber());
        });
}

void initializeBank(ProgramHost& host)
{
    ask(host, L"Initialize the bank using the current preset?\r\nSelect No to use the default values.",
        L"Initialize Bank", MessageButtons::YesNoCancel, [&host](MessageAnswer answer) {
            if (answer == MessageAnswer::Yes)
                host.initBank(true);
            else if (answer == MessageAnswer::No)
                host.initBank(false);
        });
}

namespace {

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

} // namespace

std::wstring suggestedFileName(const char* programName)
{
    std::wstring name = widenOneToOne(programName);
    for (wchar_t& c : name)
        if (c < 0x20 || c == 0x7f || std::wcschr(L"/\\:*?\"<>|", c))
            c = L'-';
    // Windows drops trailing dots and spaces, and "." or ".." would name a folder.
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    std::wstring base = name.substr(0, name.find(L'.'));
    for (wchar_t& c : base)
        c = wchar_t(std::towupper(c));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    bool device = std::find_if(std::begin(kDevices), std::end(kDevices),
                               [&](const wchar_t* d) { return base == d; }) != std::end(kDevices);
    device = device || (base.size() == 4 && (base.rfind(L"COM", 0) == 0 || base.rfind(L"LPT", 0) == 0) &&
                        base[3] >= L'1' && base[3] <= L'9');
    if (device)
        name.insert(base.size(), 1, L'_');
    return name;
}

void savePresetWithDialog(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    FileDialogRequest request = dialogRequest(host.userSettings(), true, true);
    request.initialName = suggestedFileName(store.current().name);
    std::filesystem::path path;
    if (!chooseFile(host, request, path))
        return;
    FileProblem problem;
    if (savePresetFile(store.current(), path, linkRoot(host), &problem) != kFileOk)
        showFileError(host, L"The preset could not be saved.", path, problem);
}

bool loadPresetWithDialog(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    std::filesystem::path path;
    if (!chooseFile(host, dialogRequest(host.userSettings(), false, true), path))
        return false;
    // Read into a scratch program first: a missing or broken file must not wipe the sound in
    // use. Parameters the file leaves out take their default values.
    ProgramRecord scratch;
    scratch.initialize();
    FileProblem problem;
    switch (loadPresetFile(scratch, path, &problem)) {
    case kFileOk:
        store.current().copyFrom(scratch);
        return true;
    case kFileWrongHeader:
        showFileError(host, L"The selected file is not a valid preset.", path, problem);
        return false;
    default:
        showFileError(host, L"The preset could not be loaded.", path, problem);
        return false;
    }
}

void saveBankWithDialog(ProgramHost& host)
{
    std::filesystem::path path;
    if (!chooseFile(host, dialogRequest(host.userSettings(), true, false), path))
        return;
    FileProblem problem;
    if (saveBankFile(&host.programStore().record(0), path, linkRoot(host), &problem) != kFileOk)
        showFileError(host, L"The bank could not be saved.", path, problem);
}

bool loadBankWithDialog(ProgramHost& host)
{
    std::filesystem::path path;
    if (!chooseFile(host, dialogRequest(host.userSettings(), false, false), path))
        return false;
    return loadBankFromPath(host, path);
}

bool loadBankFromPath(ProgramHost& host, const std::filesystem::path& path)
{
    // Read into a scratch bank first: a wrong or damaged file must not wipe the 100 sounds in use.
    auto scratch = std::make_unique<ProgramRecord[]>(kNumPrograms);
    for (int i = 0; i < kNumPrograms; ++i)
        scratch[i].initialize();
    FileProblem problem;
    switch (loadBankFile(scratch.get(), path, &problem)) {
    case kFileOk:
        host.initBank(false);
        for (int i = 0; i < kNumPrograms; ++i)
            host.programStore().record(i).copyFrom(scratch[i]);
        host.setProgram(0);
        return true;
    case kFileWrongHeader:
        showFileError(host, L"The selected file is not a valid bank.", path, problem);
        return false;
    default:
        showFileError(host, L"The bank could not be loaded.", path, problem);
        return false;
    }
}

std::vector<std::wstring> bankMenuFiles(const UserSettings& settings)
{
    std::vector<std::wstring> files;
    for (const std::wstring& name : settings.bankFileNames) {
        std::wstring shown = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::wstring();
        std::wstring lower;
        for (wchar_t c : shown)
            lower += wchar_t(std::towlower(c));
        if (lower != L"default")
            files.push_back(name);
    }
    return files;
}

namespace {

void loadChosenBank(ProgramHost& host, int position)
{
    UserSettings& settings = host.userSettings();
    if (position < 2) {
        host.loadDefaultBank();
        return;
    }
    std::vector<std::wstring> files = bankMenuFiles(settings);
    if (size_t(position - 2) >= files.size())
        return;
    if (loadBankFromPath(host, settings.presetsFolder / fileNameToPath(files[size_t(position - 2)])))
        host.setProgram(0);
}

} // namespace

void chooseBank(ProgramHost& host, int position)
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

namespace {

// The sound sections' menus and the matrix slots' menus.
void handleSectionChoice(ProgramHost& host, int tag, int position)
{
    using namespace CommandTag;
    ProgramStore& store = host.programStore();
    if (int n = instanceOf(tag, Osc1Menu, 2))
        handleOscillatorMenu(host, n, position);
    if (int n = instanceOf(tag, Osc1Wave, 2))
        setCoded(store, kOscillatorParams[n - 1].wave, CodeKind::OscWave, position);
    if (int n = instanceOf(tag, Filter1Menu, 2))
        handleSectionMenu(host, SectionKind::Filter, n, position);
    if (int n = instanceOf(tag, Filter1Type, 2))
        setCoded(store, kFilterParams[n - 1].type, CodeKind::FilterType, position);
    if (int n = instanceOf(tag, Env1Menu, 4))
        handleSectionMenu(host, SectionKind::Envelope, n, position);
    if (int n = instanceOf(tag, Lfo1Menu, 4))
        handleSectionMenu(host, SectionKind::Lfo, n, position);
    if (int n = instanceOf(tag, Lfo1Wave, 4))
        setCoded(store, kLfoParams[n - 1].wave, CodeKind::LfoWave, position);
    if (int slot = instanceOf(tag, ModSource1, kModSlots))
        setCoded(store, Param::modSource(slot), CodeKind::ModSource, position);
    if (int slot = instanceOf(tag, ModTarget1, kModSlots))
        setCoded(store, Param::modTarget(slot), CodeKind::ModTarget, position);
}

// A menu entry chosen; the page buttons only switch the editor's pages and come to nothing here.
void handleMenuChoice(ProgramHost& host, int tag, int position)
{
    switch (tag) {
    case CommandTag::ScaleMenu:
        if (position >= 0 && position <= 2) {
            host.userSettings().scale = position + 1;
            showReopenMessage(host);
        }
        return;
    case CommandTag::OptionsMenu:
        handleOptionsMenu(host, position);
        return;
    case CommandTag::BankMenu:
        chooseBank(host, position);
        return;
    case CommandTag::ProgramMenu:
        if (position >= 0 && position < kNumPrograms)
            host.setProgram(position);
        return;
    case CommandTag::ThemeMenu:
        host.userSettings().selectTheme(position);
        showReopenMessage(host);
        return;
    case CommandTag::SettingsMenu:
        handleSettingsMenu(host, position);
        return;
    default:
        handleSectionChoice(host, tag, position);
    }
}

} // namespace

void handleEditorCommand(ProgramHost& host, int tag, float value)
{
    ProgramStore& store = host.programStore();
    int position = -1;
    bool isPosition = menuPosition(value, position);

    if (tag == CommandTag::PreviousProgram || tag == CommandTag::NextProgram) {
        if (value != 0.0f)
            tag == CommandTag::PreviousProgram ? host.previousProgram() : host.nextProgram();
        return;
    }
    if (tag == CommandTag::ProgramName) {
        std::string text = host.programNameFieldText();
        size_t n = std::min(text.size(), size_t(kProgramNameSize - 1));
        std::memcpy(store.current().name, text.data(), n);
        store.current().name[n] = 0;
        host.refreshHostDisplay();
        return;
    }
    if (int chooser = CommandTag::instanceOf(tag, CommandTag::ModCc1Chooser, 2)) {
        chooseModController(host.userSettings(), chooser - 1, value);
        return;
    }
    if (tag == CommandTag::AssignedCc) {
        if (value == kClearAssignmentValue)
            clearLearnedController(host.userSettings());
        return;
    }
    if (!isPosition)
        return;

    handleMenuChoice(host, tag, position);
}
