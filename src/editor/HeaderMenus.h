// The icon menus of the header: window size, options (with the Theme and Settings submenus),
// banks and programs. The lists that change while the plug-in runs are rebuilt at each opening.
#pragma once

#include "editor/IconMenu.h"

#include <functional>
#include <string>
#include <vector>

struct UserSettings;

// An entry of the Tuning submenu: the standard scale, then the scale files, then the standard
// keyboard mapping and the mapping files.
struct TuningMenuItem {
    enum Kind { StandardScale, Scale, StandardMapping, Mapping, Separator };
    Kind kind = Separator;
    std::wstring file; // a Scale's or a Mapping's file in the Tunings folder
};
// The entries for the files found at the last scan, so a position always names the same file.
std::vector<TuningMenuItem> tuningMenuItems(const UserSettings& settings);

// What the options menu's last entries show of the editor's undo history.
struct HistoryMenuState {
    std::string undo = "Undo";
    std::string redo = "Redo";
    bool canUndo = false;
    bool canRedo = false;
    bool canCompare = false;
    bool comparing = false;
};

class ScaleMenu : public IconMenu {
public:
    ScaleMenu(const CRect& size, CControlListener* listener, ProgramStore& programs, UserSettings& settings,
              CBitmap* icon);

protected:
    void prepareToOpen() override;

private:
    UserSettings& settings;
};

class ConfigMenu : public IconMenu {
public:
    // After the entries of old, so their positions stay what hosts and tests know.
    static constexpr int kUndoEntry = 16;
    static constexpr int kRedoEntry = 17;
    static constexpr int kCompareEntry = 18;
    static constexpr int kTuningEntry = 20;
    using HistorySource = std::function<HistoryMenuState()>;

    ConfigMenu(const CRect& size, CControlListener* listener, ProgramStore& programs, UserSettings& settings,
               CBitmap* icon, HistorySource history = {});
    ~ConfigMenu() override;

    COptionMenu* themeMenu() const { return themes; }
    COptionMenu* settingsMenu() const { return toggles; }
    COptionMenu* tuningMenu() const { return tunings; }

protected:
    void prepareToOpen() override;

private:
    void showHistory(const HistoryMenuState& state);

    UserSettings& settings;
    COptionMenu* themes;
    COptionMenu* toggles;
    COptionMenu* mpe;
    COptionMenu* tunings;
    HistorySource history;
};

class BankMenu : public IconMenu {
public:
    BankMenu(const CRect& size, CControlListener* listener, ProgramStore& programs, UserSettings& settings,
             CBitmap* icon);

protected:
    void prepareToOpen() override;

private:
    UserSettings& settings;
};

class PresetMenu : public IconMenu {
public:
    PresetMenu(const CRect& size, CControlListener* listener, ProgramStore& programs, CBitmap* icon);

protected:
    void prepareToOpen() override;
};
