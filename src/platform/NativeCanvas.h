// A drawing surface: a window being painted or an RGBA image in memory (headless rendering).
// Coordinates are pixels relative to the current origin; every call is clipped to the current
// clip. One implementation per system (cairo on Linux, GDI+ on Windows).
#pragma once

#include "NativeGuiTypes.h"
#include "NativeImage.h"

#include <memory>
#include <string>

namespace native {

class Canvas {
public:
    virtual ~Canvas() = default;

    // Saves origin and clip; restore() brings back the last saved pair.
    virtual void save() = 0;
    virtual void restore() = 0;
    // Moves the origin by (dx, dy).
    virtual void translate(int dx, int dy) = 0;
    // Narrows the clip to the intersection with rect.
    virtual void clip(const Rect& rect) = 0;

    virtual void fillRect(const Rect& rect, Color color) = 0;
    // A one-pixel outline just inside rect.
    virtual void frameRect(const Rect& rect, Color color) = 0;
    // Copies the image part that starts at (sourceX, sourceY) into dest at 1:1, blended by alpha.
    virtual void drawImage(const Image& image, const Rect& dest, int sourceX, int sourceY) = 0;
    // One line of 8-bit text (each byte one Latin-1 character), vertically centred in rect,
    // aligned horizontally, clipped to rect; nothing for a colour with alpha 0.
    virtual void drawText(const std::string& text, const Rect& rect, const FontSpec& font, Color color,
                          TextAlign align) = 0;
    virtual int textWidth(const std::string& text, const FontSpec& font) = 0;
};

// A canvas over an RGBA image in memory, transparent at first; works without a display.
class ImageCanvas : public Canvas {
public:
    virtual RgbaPixels pixels() const = 0;
};

// Null for a size below 1 pixel.
std::unique_ptr<ImageCanvas> createImageCanvas(int width, int height);

// The installed font family that text in this face is drawn with: the face itself, a metrically
// close replacement, or a generic sans-serif or monospace family. Never empty.
std::string resolvedFontFamily(const std::string& face);

} // namespace native
