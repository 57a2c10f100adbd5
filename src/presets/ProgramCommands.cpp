#include "presets/ProgramCommands.h"

#include "platform/SystemServices.h"
#include "presets/MidiLearnCommands.h"
#include "presets/ProgramFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <cwctype>
#include <string>

namespace {

const wchar_t* const kReopenMessage = L"Please reopen the plugin window\nfor this change to take effect";

MessageAnswer ask(ProgramHost& host, const wchar_t* text, const wchar_t* title, MessageButtons buttons)
{
    return systemServices().messageBox(host.editorWindow(), text, title, MessageIcon::Question, buttons);
}

void showError(ProgramHost& host, const wchar_t* text)
{
    systemServices().messageBox(host.editorWindow(), text, L"Error", MessageIcon::Error, MessageButtons::Ok);
}

void showReopenMessage(ProgramHost& host)
{
    systemServices().messageBox(host.editorWindow(), kReopenMessage, L"Settings", MessageIcon::Information,
                                MessageButtons::Ok);
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

// Stored numbers by menu position; -1 marks separators.
constexpr int kOscWaveNumbers[] = {0, -1, 2, 3, 4, 9, -1, 6, 7, -1, 10, 11};
constexpr int kFilterTypeNumbers[] = {0, -1, 2, 3, -1, 5, 6, 7, 8};
constexpr int kLfoWaveNumbers[] = {0, -1, 2, 3, 4, 5, -1, 7};
constexpr int kModSourceNumbers[] = {0, 1, 2, 3, 4, 9, 5, 6, 7, 17, 13, 14, 8, 15, 10, 11, 12, 16};
constexpr int kModTargetNumbers[] = {0,  1,  3,  5,  7,  37, 42, 9,  2,  4,  6,  8,  38, 43, 10, 39,
                                     11, 12, 40, 41, 44, 45, 46, 47, 13, 14, 15, 16, 17, 18, 19, 20,
                                     21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};

template <size_t N>
void setCoded(ProgramStore& store, int parameter, const int (&numbers)[N], int position)
{
    if (parameter < 0 || position < 0 || size_t(position) >= N || numbers[position] < 0)
        return;
    store.current().set(parameter, float(numbers[position]) / 100.0f);
}

void toggleSwitch(ProgramStore& store, int parameter)
{
    if (parameter < 0)
        return;
    store.current().set(parameter, store.current().get(parameter) == 0.0f ? 1.0f : 0.0f);
}

int numberedParam(const char* pattern, int number)
{
    char name[16];
    std::snprintf(name, sizeof name, pattern, number);
    return findParamByShortName(name);
}

const char* const kOscNames[] = {"Osc1Semi", "Osc1Fine", "Osc1Vol",  "Osc1Det",  "Osc1PW",   "Osc1Sub",
                                 "Osc1Wave", "Sub1FlPW", "Sub1FlVl", "Osc1Phse", "Sub1Semi", "Sub1Fine",
                                 "Sub1AltW", "Osc1DtSp", "Osc1DtMx", "Osc1Pan",  "Osc1DtVo"};
const char* const kFilterNames[] = {"FltCut", "FltRes", "FltKey", "FltType"};
const char* const kEnvelopeNames[] = {"Env1Att", "Env1Dec", "Env1Sus", "Env1Rel", "Env1Vel"};
const char* const kLfoNames[] = {"Lfo1Rate", "Lfo1Ofs", "Lfo1Wave", "Lfo1Sync", "Lfo1Free", "Lfo1Phse"};

void handleOptionsMenu(ProgramHost& host, int position)
{
    ProgramStore& store = host.programStore();
    switch (position) {
    case 0: savePresetWithDialog(host); break;
    case 1:
        if (loadPresetWithDialog(host))
            host.setProgram(store.currentNumber());
        break;
    case 2: copyPreset(store); break;
    case 3: pastePreset(host); break;
    case 4: restorePreset(host); break;
    case 5: initializePreset(host); break;
    case 7: saveBankWithDialog(host); break;
    case 8:
        if (loadBankWithDialog(host))
            host.setProgram(0);
        break;
    case 9: initializeBank(host); break;
    case 11: host.allNotesOff(); break;
    default: break; // separators; the About box belongs to the editor
    }
}

void handleSettingsMenu(ProgramHost& host, int position)
{
    UserSettings& settings = host.userSettings();
    switch (position) {
    case 0: settings.askOnBankSelect = !settings.askOnBankSelect; break;
    case 1:
        settings.enableMouseWheel = !settings.enableMouseWheel;
        showReopenMessage(host);
        break;
    case 2: settings.ignoreAmpVelocity.store(!settings.ignoreAmpVelocity.load()); break;
    case 4:
        if (settings.dataFolderFound)
            systemServices().openFolder(settings.dataFolder);
        break;
    default: break;
    }
}

void handleOscillatorMenu(ProgramHost& host, int oscillator, int position)
{
    ProgramStore& store = host.programStore();
    switch (position) {
    case 0: copySection(store, SectionKind::Oscillator, oscillator); break;
    case 1:
        pasteSection(store, SectionKind::Oscillator, oscillator);
        host.refreshValues();
        break;
    case 3: toggleSwitch(store, numberedParam("Sub%dFlPW", oscillator)); break;
    case 4: toggleSwitch(store, numberedParam("Sub%dFlVl", oscillator)); break;
    case 6: case 7: case 8: case 9: case 10: {
        static constexpr int kAltNumbers[] = {0, 2, 3, 4, 5};
        int parameter = numberedParam("Sub%dAltW", oscillator);
        if (parameter >= 0)
            store.current().set(parameter, float(kAltNumbers[position - 6]) / 100.0f);
        break;
    }
    default: break;
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
    std::vector<int> indices;
    auto add = [&](const char* const* names, size_t count, int maxInstance) {
        if (instance < 1 || instance > maxInstance)
            return;
        for (size_t i = 0; i < count; ++i) {
            std::string name = names[i];
            if (instance > 1) {
                if (kind == SectionKind::Filter)
                    name = "Flt" + std::string(1, char('0' + instance)) + name.substr(3); // "FltCut" -> "Flt2Cut"
                else
                    name[name.find('1')] = char('0' + instance);
            }
            indices.push_back(findParamByShortName(name.c_str()));
        }
    };
    switch (kind) {
    case SectionKind::Oscillator: add(kOscNames, std::size(kOscNames), 2); break;
    case SectionKind::Filter: add(kFilterNames, std::size(kFilterNames), 2); break;
    case SectionKind::Envelope: add(kEnvelopeNames, std::size(kEnvelopeNames), 4); break;
    case SectionKind::Lfo: add(kLfoNames, std::size(kLfoNames), 4); break;
    }
    return indices;
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
    if (ask(host, L"Undo changes to current preset?", L"Restore Preset", MessageButtons::YesNo)
        != MessageAnswer::Yes)
        return;
    ProgramStore& store = host.programStore();
    store.current().copyFrom(store.record(ProgramStore::kUndoRecord));
    host.refreshValues();
}

void initializePreset(ProgramHost& host)
{
    if (ask(host, L"Initialize the current preset to the default values?", L"Initialize Preset",
            MessageButtons::YesNo)
        == MessageAnswer::Yes)
        host.initProgram(host.programStore().currentNumber());
}

void initializeBank(ProgramHost& host)
{
    MessageAnswer answer = ask(host, L"Initialize the bank using the current preset?\r\nSelect No to use the default values.",
                               L"Initialize Bank", MessageButtons::YesNoCancel);
    if (answer == MessageAnswer::Yes)
        host.initBank(true);
    else if (answer == MessageAnswer::No)
        host.initBank(false);
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

void savePresetWithDialog(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    FileDialogRequest request = dialogRequest(host.userSettings(), true, true);
    request.initialName = widenOneToOne(store.current().name);
    std::filesystem::path path;
    if (systemServices().fileDialog(host.editorWindow(), request, path) != DialogResult::Chosen)
        return;
    if (savePresetFile(store.current(), path) != kFileOk)
        showError(host, L"The preset could not be saved.");
}

bool loadPresetWithDialog(ProgramHost& host)
{
    ProgramStore& store = host.programStore();
    std::filesystem::path path;
    if (systemServices().fileDialog(host.editorWindow(), dialogRequest(host.userSettings(), false, true), path)
        != DialogResult::Chosen)
        return false;
    host.initProgram(store.currentNumber());
    switch (loadPresetFile(store.current(), path)) {
    case kFileOk: return true;
    case kFileWrongHeader: showError(host, L"The selected file is not a valid preset."); return false;
    default: showError(host, L"The preset could not be loaded."); return false;
    }
}

void saveBankWithDialog(ProgramHost& host)
{
    std::filesystem::path path;
    if (systemServices().fileDialog(host.editorWindow(), dialogRequest(host.userSettings(), true, false), path)
        != DialogResult::Chosen)
        return;
    if (saveBankFile(host.programStore(), path) != kFileOk)
        showError(host, L"The bank could not be saved.");
}

bool loadBankWithDialog(ProgramHost& host)
{
    std::filesystem::path path;
    if (systemServices().fileDialog(host.editorWindow(), dialogRequest(host.userSettings(), false, false), path)
        != DialogResult::Chosen)
        return false;
    return loadBankFromPath(host, path);
}

bool loadBankFromPath(ProgramHost& host, const std::filesystem::path& path)
{
    host.initBank(false);
    switch (loadBankFile(host.programStore(), path)) {
    case kFileOk: return true;
    case kFileWrongHeader: showError(host, L"The selected file is not a valid bank."); return false;
    default: showError(host, L"The bank could not be loaded."); return false;
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

void chooseBank(ProgramHost& host, int position)
{
    UserSettings& settings = host.userSettings();
    if (settings.askOnBankSelect
        && ask(host, L"Load the selected bank?", L"Load Bank", MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
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

void handleEditorCommand(ProgramHost& host, int tag, float value)
{
    ProgramStore& store = host.programStore();
    int position = -1;
    bool isPosition = menuPosition(value, position);

    if (tag == 1001 || tag == 1002) {
        if (value != 0.0f)
            tag == 1001 ? host.previousProgram() : host.nextProgram();
        return;
    }
    if (tag == 1003) {
        std::string text = host.programNameFieldText();
        size_t n = std::min(text.size(), size_t(kProgramNameSize - 1));
        std::memcpy(store.current().name, text.data(), n);
        store.current().name[n] = 0;
        host.refreshHostDisplay();
        return;
    }
    if (tag == kModCc1ChooserTag || tag == kModCc2ChooserTag) {
        chooseModController(host.userSettings(), tag - kModCc1ChooserTag, value);
        return;
    }
    if (tag == kAssignedCcTag) {
        if (value == kClearAssignmentValue)
            clearLearnedController(host.userSettings());
        return;
    }
    if (!isPosition)
        return;

    if (tag == 1004) {
        if (position >= 0 && position <= 2) {
            host.userSettings().scale = position + 1;
            showReopenMessage(host);
        }
    } else if (tag == 1005) {
        handleOptionsMenu(host, position);
    } else if (tag == 1006) {
        chooseBank(host, position);
    } else if (tag == 1007) {
        if (position >= 0 && position < kNumPrograms)
            host.setProgram(position);
    } else if (tag == 1008) {
        host.userSettings().selectTheme(position);
        showReopenMessage(host);
    } else if (tag == 1009) {
        handleSettingsMenu(host, position);
    } else if (tag == 1010 || tag == 1011) {
        handleOscillatorMenu(host, tag - 1009, position);
    } else if (tag == 1012 || tag == 1013) {
        setCoded(store, numberedParam("Osc%dWave", tag - 1011), kOscWaveNumbers, position);
    } else if (tag == 1018 || tag == 1019) {
        handleSectionMenu(host, SectionKind::Filter, tag - 1017, position);
    } else if (tag == 1020) {
        setCoded(store, findParamByShortName("FltType"), kFilterTypeNumbers, position);
    } else if (tag == 1021) {
        setCoded(store, findParamByShortName("Flt2Type"), kFilterTypeNumbers, position);
    } else if (tag >= 1022 && tag <= 1025) {
        handleSectionMenu(host, SectionKind::Envelope, tag - 1021, position);
    } else if (tag >= 1026 && tag <= 1029) {
        handleSectionMenu(host, SectionKind::Lfo, tag - 1025, position);
    } else if (tag >= 1030 && tag <= 1033) {
        setCoded(store, numberedParam("Lfo%dWave", tag - 1029), kLfoWaveNumbers, position);
    } else if (tag >= 1037 && tag <= 1060) {
        setCoded(store, numberedParam("ModSrc%d", tag - 1036), kModSourceNumbers, position);
    } else if (tag >= 1061 && tag <= 1084) {
        setCoded(store, numberedParam("ModDst%d", tag - 1060), kModTargetNumbers, position);
    }
    // 1085 to 1088 (page buttons) only switch the editor's pages.
}
