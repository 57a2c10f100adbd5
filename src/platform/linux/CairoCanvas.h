// The canvas over a cairo context: window painting and image surfaces alike.
#pragma once

#include "../NativeCanvas.h"

#include <cairo.h>

namespace native {

class CairoCanvas : public ImageCanvas {
public:
    // Borrows cr; surface (optional) is the image whose pixels() this canvas reports.
    CairoCanvas(cairo_t* context, cairo_surface_t* image = nullptr) : cr(context), imageSurface(image) {}

    void save() override { cairo_save(cr); }
    void restore() override { cairo_restore(cr); }
    void translate(int dx, int dy) override { cairo_translate(cr, dx, dy); }
    void clip(const Rect& rect) override;
    void fillRect(const Rect& rect, Color color) override;
    void frameRect(const Rect& rect, Color color) override;
    void drawImage(const Image& image, const Rect& dest, int sourceX, int sourceY) override;
    void drawText(const std::string& text, const Rect& rect, const FontSpec& font, Color color,
                  TextAlign align) override;
    int textWidth(const std::string& text, const FontSpec& font) override;
    RgbaPixels pixels() const override;

private:
    void selectFont(const FontSpec& font);
    void setColor(Color color);

    cairo_t* cr;
    cairo_surface_t* imageSurface;
};

// Latin-1 bytes to UTF-8, for cairo's text calls.
std::string latin1ToUtf8(const std::string& text);

} // namespace native
