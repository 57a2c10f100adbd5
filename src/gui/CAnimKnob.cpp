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

CAnimKnob::CAnimKnob(const CRect& area, CControlListener* controlListener, long controlTag, CBitmap* backgroundImage,
                     const CPoint& imageOffset)
    : CKnob(area, controlListener, controlTag, backgroundImage), subPixmaps(framesIn(backgroundImage, area.height())),
      heightOfOneImage(area.height()), offset(imageOffset)
{
}

CAnimKnob::CAnimKnob(const CRect& area, CControlListener* controlListener, long controlTag, long frameCount,
                     CCoord frameHeight, CBitmap* backgroundImage, const CPoint& imageOffset)
    : CKnob(area, controlListener, controlTag, backgroundImage), subPixmaps(frameCount), heightOfOneImage(frameHeight),
      offset(imageOffset)
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
