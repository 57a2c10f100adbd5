// The copy/paste menus of the sound sections. The oscillator's also toggles the sub-oscillator's
// follow switches and picks its alternative mode, marked from the current program.
#pragma once

#include "editor/IconMenu.h"

class SectionMenu : public IconMenu {
public:
    SectionMenu(const CRect& size, CControlListener* listener, long tag, ProgramStore& programs, CBitmap* icon);

protected:
    // Copy and Paste are commands, not a state to show: nothing is marked.
    void prepareToOpen() override;
};

class OscMenu : public IconMenu {
public:
    // oscillator: 1 or 2
    OscMenu(const CRect& size, CControlListener* listener, int oscillator, ProgramStore& programs, CBitmap* icon);

protected:
    void prepareToOpen() override;

private:
    int followPw, followVolume, altMode;
};
