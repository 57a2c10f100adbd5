#include "CAnimKnob.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
long framesIn(const CBitmap* bitmap, CCoord frameHeight)
{
    return bitmap && frameHeight > 0 ? bitmap->getHeight() / frameHeight : 0;
}
} // namespace

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                     const CPoint& offset)
    : CKnob(size, listener, tag, background), subPixmaps(framesIn(background, size.height())),
      heightOfOneImage(size.height()), offset(offset)
{
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background), subPixmaps(subPixmaps), heightOfOneImage(heightOfOneImage),
      offset(offset)
{
}

void CAnimKnob::setBackground(CBitmap* bitmap)
{
    CKnob::setBackground(bitmap);
    subPixmaps = framesIn(bitmap, heightOfOneImage);
}

long CAnimKnob::frameForValue() const
{
    if (subPixmaps < 1)
        return 0;
    float range = maxValue - minValue;
    float normalized = range != 0 ? (getValue() - minValue) / range : 0;
    long frame = std::lround(normalized * float(subPixmaps - 1));
    return std::clamp(frame, 0L, subPixmaps - 1);
}

void CAnimKnob::draw(CDrawContext* context)
{
    if (background && subPixmaps > 0)
        context->drawBitmap(*background, size, CPoint(offset.x, offset.y + frameForValue() * heightOfOneImage));
    setDirty(false);
}

bool CAnimKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CAnimKnob") == 0 || CKnob::isTypeOf(className);
}
