// A push button: value 1 while pressed with the pointer over it, 0 again on release; each change
// is reported. The bitmap holds the released state above the pressed state.
#pragma once

#include "CControl.h"

class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    CPoint offset;
};
