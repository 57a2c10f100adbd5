#include "CHorizontalSwitch.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CHorizontalSwitch::CHorizontalSwitch(const CRect& area, CControlListener* controlListener, long controlTag,
                                     long frameCount, CCoord frameHeight, long iMaxPositions, CBitmap* backgroundImage,
                                     const CPoint& imageOffset)
    : CControl(area, controlListener, controlTag, backgroundImage), subPixmaps(frameCount),
      heightOfOneImage(frameHeight), maxPositions(std::max(1L, iMaxPositions)), offset(imageOffset)
{
}

long CHorizontalSwitch::positionForValue() const
{
    if (maxPositions < 2)
        return 0;
    float range = maxValue - minValue;
    float normalized = range != 0 ? (getValue() - minValue) / range : 0;
    return std::clamp(std::lround(normalized * float(maxPositions - 1)), 0L, maxPositions - 1);
}

void CHorizontalSwitch::draw(CDrawContext* context)
{
    if (background && subPixmaps > 0) {
        long frame = std::min(positionForValue(), subPixmaps - 1);
        context->drawBitmap(*background, size, CPoint(offset.x, offset.y + frame * heightOfOneImage));
    }
    setDirty(false);
}

void CHorizontalSwitch::followPointer(const CPoint& where)
{
    CCoord width = std::max(1, size.width());
    long position = std::clamp(long((where.x - size.left) * maxPositions / width), 0L, maxPositions - 1);
    float newValue =
        maxPositions > 1 ? minValue + (maxValue - minValue) * float(position) / float(maxPositions - 1) : minValue;
    if (newValue != getValue()) {
        setValue(newValue);
        notifyValueChanged();
    }
}

CMouseEventResult CHorizontalSwitch::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    followPointer(where);
    return kMouseEventHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseMoved(CPoint& where, const long& /*buttons*/)
{
    followPointer(where);
    return kMouseEventHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseUp(CPoint& /*where*/, const long& /*buttons*/)
{
    endEdit();
    return kMouseEventHandled;
}

bool CHorizontalSwitch::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CHorizontalSwitch") == 0 || CControl::isTypeOf(className);
}
