#include "COnOffButton.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <cstring>

COnOffButton::COnOffButton(const CRect& area, CControlListener* controlListener, long controlTag,
                           CBitmap* backgroundImage)
    : CControl(area, controlListener, controlTag, backgroundImage)
{
}

void COnOffButton::draw(CDrawContext* context)
{
    if (background)
        context->drawBitmap(*background, size, CPoint(0, getValue() != 0 ? size.height() : 0));
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    setValue(getValue() != 0 ? 0.0f : 1.0f);
    notifyValueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COnOffButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "COnOffButton") == 0 || CControl::isTypeOf(className);
}
