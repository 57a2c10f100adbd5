#include "CDrawContext.h"

#include "CBitmap.h"
#include "CFontDesc.h"
#include "platform/NativeCanvas.h"

namespace {
native::TextAlign toNative(CHoriTxtAlign align)
{
    switch (align) {
    case kLeftText:
        return native::TextAlign::Left;
    case kRightText:
        return native::TextAlign::Right;
    default:
        return native::TextAlign::Center;
    }
}
} // namespace

void CNativeDrawContext::fillRect(const CRect& rect, const CColor& color)
{
    if (color.alpha)
        canvas.fillRect(::toNative(rect), ::toNative(color));
}

void CNativeDrawContext::frameRect(const CRect& rect, const CColor& color)
{
    if (color.alpha)
        canvas.frameRect(::toNative(rect), ::toNative(color));
}

void CNativeDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset)
{
    if (const native::Image* image = bitmap.nativeImage())
        canvas.drawImage(*image, ::toNative(dest), offset.x, offset.y);
}

void CNativeDrawContext::drawString(const std::string& text, const CRect& rect, const CFontDesc* font,
                                    const CColor& color, CHoriTxtAlign align)
{
    if (color.alpha == 0 || text.empty())
        return;
    canvas.drawText(text, ::toNative(rect), (font ? font : kNormalFont)->fontSpec(), ::toNative(color),
                    toNative(align));
}

CCoord CNativeDrawContext::getStringWidth(const std::string& text, const CFontDesc* font)
{
    return canvas.textWidth(text, (font ? font : kNormalFont)->fontSpec());
}

void CNativeDrawContext::saveState()
{
    canvas.save();
}
void CNativeDrawContext::restoreState()
{
    canvas.restore();
}
void CNativeDrawContext::moveOrigin(CCoord dx, CCoord dy)
{
    canvas.translate(dx, dy);
}
void CNativeDrawContext::clipTo(const CRect& rect)
{
    canvas.clip(::toNative(rect));
}
