#include "GdiplusCanvas.h"

#include "FontFaces.h"
#include "GdiplusImage.h"
#include "Latin1Text.h"

#include <algorithm>

namespace {

Gdiplus::Color toGdiplus(native::Color color)
{
    return Gdiplus::Color(color.alpha, color.red, color.green, color.blue);
}

Gdiplus::StringAlignment toGdiplus(native::TextAlign align)
{
    switch (align) {
    case native::TextAlign::Left:
        return Gdiplus::StringAlignmentNear;
    case native::TextAlign::Right:
        return Gdiplus::StringAlignmentFar;
    default:
        return Gdiplus::StringAlignmentCenter;
    }
}

// One line, never wrapped, and no padding around it so text lines up with the pixels it is given.
void oneLineFormat(Gdiplus::StringFormat& format, native::TextAlign align)
{
    format.SetAlignment(toGdiplus(align));
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    format.SetTrimming(Gdiplus::StringTrimmingNone);
}

// Wine's GDI+ leaves out every character that does not fit the layout width, NoWrap or not, and
// counts its own padding in: "12" in a 16-pixel cell came out as "1". The text is laid out in a
// box far wider than any line, placed so the alignment still lands on the rectangle, and only
// the clip cuts it to the rectangle (as on Linux).
Gdiplus::RectF anchoredLayout(const native::Rect& rect, native::TextAlign align)
{
    constexpr Gdiplus::REAL kSlack = 8192;
    const Gdiplus::REAL width = Gdiplus::REAL(rect.width()) + kSlack;
    Gdiplus::REAL left = Gdiplus::REAL(rect.left);
    if (align == native::TextAlign::Right)
        left = Gdiplus::REAL(rect.right) - width;
    else if (align != native::TextAlign::Left)
        left -= kSlack / 2;
    return Gdiplus::RectF(left, Gdiplus::REAL(rect.top), width, Gdiplus::REAL(rect.height()));
}

} // namespace

void prepareGraphics(Gdiplus::Graphics& graphics)
{
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
}

GdiplusCanvas::GdiplusCanvas(Gdiplus::Graphics& target) : graphics(target)
{
    prepareGraphics(graphics);
}

void GdiplusCanvas::save()
{
    savedStates.push_back(graphics.Save());
}

void GdiplusCanvas::restore()
{
    // An unmatched restore would throw away the caller's own state: ignore it.
    if (savedStates.empty())
        return;
    graphics.Restore(savedStates.back());
    savedStates.pop_back();
}

void GdiplusCanvas::translate(int dx, int dy)
{
    graphics.TranslateTransform(Gdiplus::REAL(dx), Gdiplus::REAL(dy));
}

void GdiplusCanvas::clip(const native::Rect& rect)
{
    Gdiplus::Rect area(rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height()));
    graphics.IntersectClip(area);
}

void GdiplusCanvas::fillRect(const native::Rect& rect, native::Color color)
{
    if (rect.isEmpty() || color.alpha == 0)
        return;
    Gdiplus::SolidBrush brush(toGdiplus(color));
    graphics.FillRectangle(&brush, rect.left, rect.top, rect.width(), rect.height());
}

void GdiplusCanvas::frameRect(const native::Rect& rect, native::Color color)
{
    if (rect.isEmpty() || color.alpha == 0)
        return;
    // Four edges that never overlap, so a translucent colour blends evenly at the corners.
    int w = rect.width(), h = rect.height();
    fillRect({rect.left, rect.top, rect.right, rect.top + 1}, color);
    if (h > 1)
        fillRect({rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    if (h > 2) {
        fillRect({rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1}, color);
        if (w > 1)
            fillRect({rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1}, color);
    }
}

void GdiplusCanvas::drawImage(const native::Image& image, const native::Rect& dest, int sourceX, int sourceY)
{
    auto* gdiplusImage = dynamic_cast<const GdiplusImage*>(&image);
    if (!gdiplusImage || dest.isEmpty())
        return;
    auto bitmap = gdiplusImage->gdiplusBitmap();
    if (!bitmap)
        return;
    // Only the part of the image that exists; a strip frame past the end draws nothing.
    int left = std::max(0, sourceX), top = std::max(0, sourceY);
    int right = std::min(image.width(), sourceX + dest.width());
    int bottom = std::min(image.height(), sourceY + dest.height());
    if (right <= left || bottom <= top)
        return;
    Gdiplus::Rect target(dest.left + (left - sourceX), dest.top + (top - sourceY), right - left, bottom - top);
    graphics.DrawImage(bitmap.get(), target, left, top, right - left, bottom - top, Gdiplus::UnitPixel);
}

void GdiplusCanvas::drawText(const std::string& text, const native::Rect& rect, const native::FontSpec& font,
                             native::Color color, native::TextAlign align)
{
    if (text.empty() || rect.isEmpty() || color.alpha == 0)
        return;
    auto gdiplusFont = createFont(font);
    if (!gdiplusFont)
        return;
    std::wstring wide = widenLatin1(text);
    Gdiplus::StringFormat format;
    oneLineFormat(format, align);
    Gdiplus::SolidBrush brush(toGdiplus(color));
    Gdiplus::RectF layout = anchoredLayout(rect, align);
    Gdiplus::GraphicsState state = graphics.Save();
    graphics.IntersectClip(Gdiplus::Rect(rect.left, rect.top, rect.width(), rect.height()));
    graphics.DrawString(wide.c_str(), INT(wide.size()), gdiplusFont.get(), layout, &format, &brush);
    graphics.Restore(state);
}

int GdiplusCanvas::textWidth(const std::string& text, const native::FontSpec& font)
{
    auto gdiplusFont = createFont(font);
    if (text.empty() || !gdiplusFont)
        return 0;
    std::wstring wide = widenLatin1(text);
    // The characters' own extent, without the padding MeasureString adds. (The typographic
    // string format would do too, but its C++ wrapper caches it past a GDI+ restart.)
    Gdiplus::StringFormat format;
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    Gdiplus::CharacterRange all(0, INT(wide.size()));
    format.SetMeasurableCharacterRanges(1, &all);
    Gdiplus::RectF layout(0, 0, 100000, 10000);
    Gdiplus::Region region;
    if (graphics.MeasureCharacterRanges(wide.c_str(), INT(wide.size()), gdiplusFont.get(), layout, &format, 1,
                                        &region) != Gdiplus::Ok)
        return 0;
    Gdiplus::RectF bounds;
    region.GetBounds(&bounds, &graphics);
    return int(bounds.Width + 0.999f);
}
