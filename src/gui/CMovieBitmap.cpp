#include "CMovieBitmap.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           const CPoint& offset)
    : CMovieBitmap(size, listener, tag, background && size.height() > 0 ? background->getHeight() / size.height() : 0,
                   size.height(), background, offset)
{
}

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                           CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), subPixmaps(subPixmaps), heightOfOneImage(heightOfOneImage),
      offset(offset)
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

CMouseEventResult CMovieBitmap::onMouseDown(CPoint&, const long&) { return kMouseEventNotHandled; }

bool CMovieBitmap::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CMovieBitmap") == 0 || CControl::isTypeOf(className);
}
