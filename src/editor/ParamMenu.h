// A pop-up menu in a theme style whose value is the index of its chosen entry. Before it opens
// it marks the current entry; Ctrl+click chooses the first entry without opening.
#pragma once

#include "gui/COptionMenu.h"
#include "settings/ThemeStyle.h"

class ProgramStore;

class ParamMenu : public COptionMenu {
public:
    ParamMenu(const CRect& size, CControlListener* listener, long tag, const ElementStyle& style,
              ProgramStore& programs);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

protected:
    // Subclasses refresh entries and marks here, just before the menu opens.
    virtual void prepareToOpen();
    // Whether Ctrl+click chooses the first entry without opening.
    virtual bool choosesFirstOnCtrlClick() const { return true; }

    ProgramStore& programs;
};
