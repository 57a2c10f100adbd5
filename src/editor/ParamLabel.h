// Text in a theme style. With a target it is also a button: a left click sends the command
// (tag, 1) and a Ctrl+left click (tag, 2) to the target.
#pragma once

#include "gui/CTextLabel.h"
#include "settings/ThemeStyle.h"

class EditorHost;

class ParamLabel : public CTextLabel {
public:
    ParamLabel(const CRect& size, const ElementStyle& style, const std::string& text = "", EditorHost* target = nullptr,
               long tag = 0);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    EditorHost* target;
};
