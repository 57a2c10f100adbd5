#include "editor/EditorCommands.h"

#include "editor/CommandHost.h"
#include "editor/HeaderMenus.h"
#include "editor/ProgramDialogs.h"
#include "params/CodeTables.h"
#include "params/CommandTags.h"
#include "params/SectionParams.h"
#include "presets/MidiLearnCommands.h"
#include "presets/ProgramOperations.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

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

void handleOptionsMenu(CommandHost& host, int position)
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
        askToRestorePreset(host);
        break;
    case 5:
        askToInitializePreset(host);
        break;
    case 7:
        saveBankWithDialog(host);
        break;
    case 8:
        if (loadBankWithDialog(host))
            host.setProgram(0);
        break;
    case 9:
        askToInitializeBank(host);
        break;
    case 11:
        host.allNotesOff();
        break;
    default:
        break; // separators; Undo, Redo and Compare With Saved belong to the editor
    }
}

void handleSettingsMenu(CommandHost& host, int position)
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
    case 5:
        if (settings.dataFolderFound)
            systemServices().openFolder(settings.dataFolder);
        break;
    default:
        break; // the MPE submenu has its own tag
    }
}

// A scale or keyboard mapping chosen: the keys take its pitches at their next note. A file that
// cannot be used leaves the tuning as it was, and the message says where the file went wrong.
void handleTuningMenu(CommandHost& host, int position)
{
    UserSettings& settings = host.userSettings();
    const std::vector<TuningMenuItem> items = tuningMenuItems(settings);
    if (position < 0 || size_t(position) >= items.size())
        return;
    const TuningMenuItem& item = items[size_t(position)];
    switch (item.kind) {
    case TuningMenuItem::StandardScale:
    case TuningMenuItem::Scale:
        settings.tuningScale = item.file;
        break;
    case TuningMenuItem::StandardMapping:
    case TuningMenuItem::Mapping:
        settings.tuningMapping = item.file;
        break;
    default:
        return;
    }
    for (const TuningFileProblem& refused : settings.applyTuning())
        showTuningProblem(host, refused.file, refused.problem.line, refused.problem.reason);
}

void handleOscillatorMenu(CommandHost& host, int oscillator, int position)
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
    case 10:
        store.current().set(kOscillatorParams[oscillator - 1].subAltWave,
                            codeStoredValue(CodeKind::SubAlt, int(kSubAltMenuModes[position - 6])));
        break;
    default:
        break;
    }
}

void handleSectionMenu(CommandHost& host, SectionKind kind, int instance, int position)
{
    if (position == 0) {
        copySection(host.programStore(), kind, instance);
    } else if (position == 1) {
        pasteSection(host.programStore(), kind, instance);
        host.refreshValues();
    }
}

// The sound sections' menus and the matrix slots' menus.
void handleSectionChoice(CommandHost& host, int tag, int position)
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
void handleMenuChoice(CommandHost& host, int tag, int position)
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
    case CommandTag::MpeMenu:
        if (position >= 0 && position <= int(MpeMode::UpperZone))
            host.userSettings().playing.requestMpe(MpeMode(position));
        return;
    case CommandTag::TuningMenu:
        handleTuningMenu(host, position);
        return;
    default:
        handleSectionChoice(host, tag, position);
    }
}

// The name field's text becomes the current program's name, cut to the name's size.
void renameProgram(CommandHost& host)
{
    ProgramRecord& program = host.programStore().current();
    std::string text = host.programNameFieldText();
    size_t n = std::min(text.size(), size_t(kProgramNameSize - 1));
    std::memcpy(program.name, text.data(), n);
    program.name[n] = 0;
    host.refreshHostDisplay();
}

} // namespace

void handleEditorCommand(CommandHost& host, int tag, float value)
{
    if (tag == CommandTag::PreviousProgram || tag == CommandTag::NextProgram) {
        if (value != 0.0f)
            tag == CommandTag::PreviousProgram ? host.previousProgram() : host.nextProgram();
        return;
    }
    if (tag == CommandTag::ProgramName) {
        renameProgram(host);
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
    int position = -1;
    if (menuPosition(value, position))
        handleMenuChoice(host, tag, position);
}
