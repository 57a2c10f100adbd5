// Text in a theme style. With a target it is also a button: a left click sends (tag, 1) and a
// Ctrl+left click (tag, 2) to the target's parameter setter.
#pragma once

#include "gui/CTextLabel.h"
#include "settings/ThemeStyle.h"

class AudioEffect;

class ParamLabel : public CTextLabel {
public:
    ParamLabel(const CRect& size, const ElementStyle& style, const std::string& text = "",
               AudioEffect* target = nullptr, long tag = 0);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    AudioEffect* target;
};
