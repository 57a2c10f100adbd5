// Drawing with GDI+, on a window's back buffer or on an image in memory.
#pragma once

#include "GdiplusSession.h"
#include "platform/NativeCanvas.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <vector>

class GdiplusCanvas : public native::Canvas {
public:
    // Draws through graphics, which must outlive the canvas.
    explicit GdiplusCanvas(Gdiplus::Graphics& graphics);

    void save() override;
    void restore() override;
    void translate(int dx, int dy) override;
    void clip(const native::Rect& rect) override;
    void fillRect(const native::Rect& rect, native::Color color) override;
    void frameRect(const native::Rect& rect, native::Color color) override;
    void drawImage(const native::Image& image, const native::Rect& dest, int sourceX, int sourceY) override;
    void drawText(const std::string& text, const native::Rect& rect, const native::FontSpec& font, native::Color color,
                  native::TextAlign align) override;
    int textWidth(const std::string& text, const native::FontSpec& font) override;

private:
    GdiplusUse gdiplus;
    Gdiplus::Graphics& graphics;
    std::vector<Gdiplus::GraphicsState> savedStates;
};

// Sets the modes every canvas draws with: exact pixel rectangles, smooth text.
void prepareGraphics(Gdiplus::Graphics& graphics);
