#include "CKickButton.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <cstring>

CKickButton::CKickButton(const CRect& area, CControlListener* controlListener, long controlTag,
                         CBitmap* backgroundImage, const CPoint& imageOffset)
    : CControl(area, controlListener, controlTag, backgroundImage), offset(imageOffset)
{
}

void CKickButton::draw(CDrawContext* context)
{
    if (background)
        context->drawBitmap(*background, size, CPoint(offset.x, offset.y + (getValue() != 0 ? size.height() : 0)));
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    setValue(1);
    notifyValueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const long& /*buttons*/)
{
    // Pressed only while the pointer is over the button; the listener hears each change.
    float pressed = size.pointInside(where) ? 1.0f : 0.0f;
    if (pressed != getValue()) {
        setValue(pressed);
        notifyValueChanged();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& /*where*/, const long& /*buttons*/)
{
    if (getValue() != 0) {
        setValue(0);
        notifyValueChanged();
    }
    endEdit();
    return kMouseEventHandled;
}

bool CKickButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CKickButton") == 0 || CControl::isTypeOf(className);
}
