// A text field in a theme style that opens for editing only on Ctrl+left click, so a plain
// click on the program name never starts typing by accident.
#pragma once

#include "gui/CTextEdit.h"
#include "settings/ThemeStyle.h"

class ParamEdit : public CTextEdit {
public:
    ParamEdit(const CRect& size, CControlListener* listener, long tag, const ElementStyle& style);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;
};
