#include "CairoCanvas.h"

#include "CairoImage.h"

namespace native {

std::string latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void CairoCanvas::setColor(Color color)
{
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

void CairoCanvas::clip(const Rect& rect)
{
    cairo_rectangle(cr, rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height()));
    cairo_clip(cr);
}

void CairoCanvas::fillRect(const Rect& rect, Color color)
{
    if (color.alpha == 0 || rect.isEmpty())
        return;
    setColor(color);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr);
}

void CairoCanvas::frameRect(const Rect& rect, Color color)
{
    if (color.alpha == 0 || rect.isEmpty())
        return;
    setColor(color);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, rect.left + 0.5, rect.top + 0.5, rect.width() - 1, rect.height() - 1);
    cairo_stroke(cr);
}

void CairoCanvas::drawImage(const Image& image, const Rect& dest, int sourceX, int sourceY)
{
    auto* cairoImage = dynamic_cast<const CairoImage*>(&image);
    if (!cairoImage || dest.isEmpty())
        return;
    cairo_save(cr);
    cairo_set_source_surface(cr, cairoImage->cairoSurface(), dest.left - sourceX, dest.top - sourceY);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, dest.left, dest.top, dest.width(), dest.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

void CairoCanvas::selectFont(const FontSpec& font)
{
    std::string family = resolvedFontFamily(font.face);
    cairo_select_font_face(cr, family.c_str(), CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.sizePixels > 0 ? font.sizePixels : 12);
}

void CairoCanvas::drawText(const std::string& text, const Rect& rect, const FontSpec& font, Color color,
                           TextAlign align)
{
    if (color.alpha == 0 || text.empty() || rect.isEmpty())
        return;
    std::string utf8 = latin1ToUtf8(text);
    cairo_save(cr);
    clip(rect);
    selectFont(font);
    cairo_font_extents_t fontExtents;
    cairo_font_extents(cr, &fontExtents);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, utf8.c_str(), &extents);
    double x = rect.left;
    if (align == TextAlign::Center)
        x = rect.left + (rect.width() - extents.x_advance) / 2;
    else if (align == TextAlign::Right)
        x = rect.right - extents.x_advance;
    double y = rect.top + (rect.height() - (fontExtents.ascent + fontExtents.descent)) / 2 + fontExtents.ascent;
    cairo_move_to(cr, int(x + 0.5), int(y + 0.5));
    setColor(color);
    cairo_show_text(cr, utf8.c_str());
    cairo_restore(cr);
}

int CairoCanvas::textWidth(const std::string& text, const FontSpec& font)
{
    if (text.empty())
        return 0;
    std::string utf8 = latin1ToUtf8(text);
    cairo_save(cr);
    selectFont(font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, utf8.c_str(), &extents);
    cairo_restore(cr);
    return int(extents.x_advance + 0.5);
}

RgbaPixels CairoCanvas::pixels() const
{
    return imageSurface ? pixelsOfSurface(imageSurface) : RgbaPixels{};
}

namespace {

// Owns the image surface and the context that the canvas draws with.
class OwningImageCanvas : public CairoCanvas {
public:
    OwningImageCanvas(cairo_surface_t* ownedSurface, cairo_t* ownedContext)
        : CairoCanvas(ownedContext, ownedSurface), surface(ownedSurface), context(ownedContext)
    {
    }
    ~OwningImageCanvas() override
    {
        cairo_destroy(context);
        cairo_surface_destroy(surface);
    }

private:
    cairo_surface_t* surface;
    cairo_t* context;
};

} // namespace

std::unique_ptr<ImageCanvas> createImageCanvas(int width, int height)
{
    if (width < 1 || height < 1)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_unique<OwningImageCanvas>(surface, cairo_create(surface));
}

} // namespace native
