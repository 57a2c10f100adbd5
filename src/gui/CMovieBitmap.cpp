#include "CMovieBitmap.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CMovieBitmap::CMovieBitmap(const CRect& area, CControlListener* controlListener, long controlTag,
                           CBitmap* backgroundImage, const CPoint& imageOffset)
    : CMovieBitmap(area, controlListener, controlTag,
                   backgroundImage && area.height() > 0 ? backgroundImage->getHeight() / area.height() : 0,
                   area.height(), backgroundImage, imageOffset)
{
}

CMovieBitmap::CMovieBitmap(const CRect& area, CControlListener* controlListener, long controlTag, long frameCount,
                           CCoord frameHeight, CBitmap* backgroundImage, const CPoint& imageOffset)
    : CControl(area, controlListener, controlTag, backgroundImage), subPixmaps(frameCount),
      heightOfOneImage(frameHeight), offset(imageOffset)
{
}

long CMovieBitmap::frameForValue() const
{
    if (subPixmaps < 1)
        return 0;
    float range = maxValue - minValue;
    float normalized = range != 0 ? (getValue() - minValue) / range : 0;
    return std::clamp(std::lround(normalized * float(subPixmaps - 1)), 0L, subPixmaps - 1);
}

void CMovieBitmap::draw(CDrawContext* context)
{
    if (background && subPixmaps > 0)
        context->drawBitmap(*background, size, CPoint(offset.x, offset.y + frameForValue() * heightOfOneImage));
    setDirty(false);
}

CMouseEventResult CMovieBitmap::onMouseDown(CPoint&, const long&)
{
    return kMouseEventNotHandled;
}

bool CMovieBitmap::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CMovieBitmap") == 0 || CControl::isTypeOf(className);
}
