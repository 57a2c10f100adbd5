// The label under a main-section knob: the knob's name, or its value text while the user
// handles the knob. Font and alignment stay the name style's; only the colours switch.
#pragma once

#include "gui/CTextLabel.h"
#include "settings/ThemeStyle.h"

class ActiveLabel : public CTextLabel {
public:
    ActiveLabel(const CRect& size, const std::string& name, const ElementStyle& nameStyle,
                const ElementStyle& valueStyle, long tag);

    void showName();
    void showValue(const std::string& valueText);
    bool isShowingValue() const { return showingValue; }
    const std::string& name() const { return nameText; }

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    std::string nameText;
    ElementStyle nameStyle;
    ElementStyle valueStyle;
    bool showingValue = false;
};
