#include "editor/HeaderMenus.h"

#include "platform/SystemServices.h"
#include "params/CommandTags.h"
#include "params/ProgramStore.h"
#include "presets/ProgramOperations.h"
#include "settings/UserSettings.h"

#include <cstdio>

namespace {

constexpr int kProgramsPerColumn = 20;

} // namespace

ScaleMenu::ScaleMenu(const CRect& area, CControlListener* controlListener, ProgramStore& store,
                     UserSettings& userSettings, CBitmap* icon)
    : IconMenu(area, controlListener, CommandTag::ScaleMenu, store, icon), settings(userSettings)
{
    for (const char* entry : {"Small", "Medium", "Large"})
        addEntry(entry);
}

void ScaleMenu::prepareToOpen()
{
    checkEntryAlone(settings.scale - 1);
}

ConfigMenu::ConfigMenu(const CRect& area, CControlListener* controlListener, ProgramStore& store,
                       UserSettings& userSettings, CBitmap* icon, HistorySource historySource)
    : IconMenu(area, controlListener, CommandTag::OptionsMenu, store, icon), settings(userSettings),
      themes(new COptionMenu(CRect(), controlListener, CommandTag::ThemeMenu)),
      toggles(new COptionMenu(CRect(), controlListener, CommandTag::SettingsMenu)),
      mpe(new COptionMenu(CRect(), controlListener, CommandTag::MpeMenu)),
      tunings(new COptionMenu(CRect(), controlListener, CommandTag::TuningMenu)), history(std::move(historySource))
{
    for (const char* entry :
         {"Save Preset...", "Load Preset...", "Copy Preset", "Paste Preset", "Restore Preset", "Initialize Preset", "-",
          "Save Bank...", "Load Bank...", "Initialize Bank", "-", "All Notes Off", "-"})
        addEntry(entry);
    addEntry(themes, "Theme");
    addEntry(toggles, "Settings");
    addSeparator();
    for (const char* entry : {"Undo", "Redo", "Compare With Saved"})
        addEntry(entry);
    addSeparator();
    addEntry(tunings, "Tuning");
    showHistory(HistoryMenuState());
    for (const char* entry : {"Ask When Selecting Banks", "Enable Mouse Wheel Support", "Ignore Velocity For Amps"})
        toggles->addEntry(entry);
    for (const char* entry : {"Off", "Lower Zone", "Upper Zone"})
        mpe->addEntry(entry);
    toggles->addEntry(mpe, "MPE");
    if (userSettings.dataFolderFound) {
        toggles->addSeparator();
        toggles->addEntry("Open Home Folder");
    }
}

ConfigMenu::~ConfigMenu()
{
    themes->forget();
    toggles->forget();
    mpe->forget();
    tunings->forget();
}

void ConfigMenu::prepareToOpen()
{
    themes->removeAllEntry();
    themes->addEntry("Extended");
    themes->addEntry("Compact");
    settings.scanThemeFolders();
    bool marked = false;
    if (!settings.themeNames.empty())
        themes->addSeparator();
    for (const std::wstring& name : settings.themeNames) {
        themes->addEntry(narrowOneToOne(name));
        if (name == settings.theme) {
            themes->checkEntryAlone(themes->getNbEntries() - 1);
            marked = true;
        }
    }
    if (!marked)
        themes->checkEntryAlone(settings.theme == L"Compact" ? 1 : 0);
    toggles->checkEntry(0, settings.askOnBankSelect);
    toggles->checkEntry(1, settings.enableMouseWheel);
    toggles->checkEntry(2, settings.ignoreAmpVelocity.load());
    mpe->checkEntryAlone(long(settings.playing.mpeMode()));

    tunings->removeAllEntry();
    settings.scanTuningFiles();
    for (const TuningMenuItem& item : tuningMenuItems(settings)) {
        switch (item.kind) {
        case TuningMenuItem::StandardScale:
            tunings->addEntry("Standard (12-TET)");
            tunings->checkEntry(tunings->getNbEntries() - 1, settings.tuningScale.empty());
            break;
        case TuningMenuItem::StandardMapping:
            tunings->addEntry("Standard Keyboard Mapping");
            tunings->checkEntry(tunings->getNbEntries() - 1, settings.tuningMapping.empty());
            break;
        case TuningMenuItem::Scale:
        case TuningMenuItem::Mapping: {
            const std::wstring& chosen =
                item.kind == TuningMenuItem::Scale ? settings.tuningScale : settings.tuningMapping;
            tunings->addEntry(narrowOneToOne(item.file.substr(0, item.file.size() - 4)));
            tunings->checkEntry(tunings->getNbEntries() - 1, item.file == chosen);
            break;
        }
        default:
            tunings->addSeparator();
        }
    }
    showHistory(history ? history() : HistoryMenuState());
}

void ConfigMenu::showHistory(const HistoryMenuState& state)
{
    setEntryText(kUndoEntry, state.undo);
    setEntryEnabled(kUndoEntry, state.canUndo);
    setEntryText(kRedoEntry, state.redo);
    setEntryEnabled(kRedoEntry, state.canRedo);
    setEntryEnabled(kCompareEntry, state.canCompare || state.comparing);
    checkEntry(kCompareEntry, state.comparing);
}

std::vector<TuningMenuItem> tuningMenuItems(const UserSettings& settings)
{
    std::vector<TuningMenuItem> items{{TuningMenuItem::StandardScale, {}}};
    if (!settings.scaleFileNames.empty())
        items.push_back({TuningMenuItem::Separator, {}});
    for (const std::wstring& file : settings.scaleFileNames)
        items.push_back({TuningMenuItem::Scale, file});
    items.push_back({TuningMenuItem::Separator, {}});
    items.push_back({TuningMenuItem::StandardMapping, {}});
    for (const std::wstring& file : settings.mappingFileNames)
        items.push_back({TuningMenuItem::Mapping, file});
    return items;
}

BankMenu::BankMenu(const CRect& area, CControlListener* controlListener, ProgramStore& store,
                   UserSettings& userSettings, CBitmap* icon)
    : IconMenu(area, controlListener, CommandTag::BankMenu, store, icon), settings(userSettings)
{
}

void BankMenu::prepareToOpen()
{
    removeAllEntry();
    addEntry("Default");
    settings.scanBankFiles();
    addSeparator();
    // The same list the bank command chooses from, so a position always names its file.
    for (const std::wstring& file : bankMenuFiles(settings))
        addEntry(narrowOneToOne(file.substr(0, file.size() - 4)));
    if (getNbEntries() == 2)
        removeEntry(1);
}

PresetMenu::PresetMenu(const CRect& area, CControlListener* controlListener, ProgramStore& store, CBitmap* icon)
    : IconMenu(area, controlListener, CommandTag::ProgramMenu, store, icon)
{
    setNbItemsPerColumn(kProgramsPerColumn);
}

void PresetMenu::prepareToOpen()
{
    removeAllEntry();
    for (int number = 0; number < kNumPrograms; ++number) {
        char text[48];
        std::snprintf(text, sizeof text, "%03d: %s", number + 1, programs.record(number).name);
        addEntry(text);
    }
    checkEntryAlone(programs.currentNumber());
}
