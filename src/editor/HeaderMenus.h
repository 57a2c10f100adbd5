// The icon menus of the header: window size, options (with the Theme and Settings submenus),
// banks and programs. The lists that change while the plug-in runs are rebuilt at each opening.
#pragma once

#include "editor/IconMenu.h"

struct UserSettings;

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
    ConfigMenu(const CRect& size, CControlListener* listener, ProgramStore& programs, UserSettings& settings,
               CBitmap* icon);
    ~ConfigMenu() override;

    COptionMenu* themeMenu() const { return themes; }
    COptionMenu* settingsMenu() const { return toggles; }

protected:
    void prepareToOpen() override;

private:
    UserSettings& settings;
    COptionMenu* themes;
    COptionMenu* toggles;
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
