// A menu shown as an icon (the header menus and the sections' copy/paste menus) rather than as
// the text of its entry.
#pragma once

#include "editor/ParamMenu.h"

class IconMenu : public ParamMenu {
public:
    IconMenu(const CRect& size, CControlListener* listener, long tag, ProgramStore& programs, CBitmap* icon);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

protected:
    // The first entry of an icon menu is a command ("Save Preset...", "Default" bank), never a
    // value to return to, so Ctrl+click opens the menu like any click.
    bool choosesFirstOnCtrlClick() const override { return false; }
};
