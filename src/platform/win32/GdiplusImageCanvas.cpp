// A canvas over an image in memory, for headless rendering and tests.
#include "GdiplusCanvas.h"
#include "GdiplusImage.h"

namespace {

class GdiplusImageCanvas final : public native::ImageCanvas {
public:
    GdiplusImageCanvas(std::unique_ptr<Gdiplus::Bitmap> target)
        : bitmap(std::move(target)), graphics(bitmap.get()), canvas(graphics)
    {
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    }

    void save() override { canvas.save(); }
    void restore() override { canvas.restore(); }
    void translate(int dx, int dy) override { canvas.translate(dx, dy); }
    void clip(const native::Rect& rect) override { canvas.clip(rect); }
    void fillRect(const native::Rect& rect, native::Color color) override { canvas.fillRect(rect, color); }
    void frameRect(const native::Rect& rect, native::Color color) override { canvas.frameRect(rect, color); }
    void drawImage(const native::Image& image, const native::Rect& dest, int sourceX, int sourceY) override
    {
        canvas.drawImage(image, dest, sourceX, sourceY);
    }
    void drawText(const std::string& text, const native::Rect& rect, const native::FontSpec& font, native::Color color,
                  native::TextAlign align) override
    {
        canvas.drawText(text, rect, font, color, align);
    }
    int textWidth(const std::string& text, const native::FontSpec& font) override
    {
        return canvas.textWidth(text, font);
    }

    native::RgbaPixels pixels() const override
    {
        const_cast<Gdiplus::Graphics&>(graphics).Flush(Gdiplus::FlushIntentionSync);
        return pixelsOfBitmap(*bitmap);
    }

private:
    GdiplusUse gdiplus;
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    Gdiplus::Graphics graphics;
    GdiplusCanvas canvas;
};

} // namespace

std::unique_ptr<native::ImageCanvas> native::createImageCanvas(int width, int height)
{
    if (width < 1 || height < 1 || width > 32767 || height > 32767)
        return nullptr;
    GdiplusUse gdiplus;
    if (!gdiplus.ok())
        return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return std::make_unique<GdiplusImageCanvas>(std::move(bitmap));
}
