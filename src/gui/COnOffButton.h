// A switch: a click toggles the value between 0 and 1. The bitmap holds the off state above the
// on state, each the view's height.
#pragma once

#include "CControl.h"

class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;
};
