// What views draw with. Coordinates are relative to the current origin; the frame moves the
// origin and narrows the clip for each container. CNativeDrawContext draws on a system canvas;
// tests may record calls with their own subclass.
#pragma once

#include "GuiTypes.h"

#include <string>

class CBitmap;
class CFontDesc;

namespace native {
class Canvas;
}

class CDrawContext {
public:
    virtual ~CDrawContext() = default;

    virtual void fillRect(const CRect& rect, const CColor& color) = 0;
    // One-pixel outline just inside rect.
    virtual void frameRect(const CRect& rect, const CColor& color) = 0;
    // The bitmap part starting at offset, into dest at 1:1; nothing for an empty bitmap.
    virtual void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset = CPoint()) = 0;
    // One line, vertically centred in rect, aligned horizontally, clipped to rect; a null font
    // means kNormalFont; nothing for a colour with alpha 0.
    virtual void drawString(const std::string& text, const CRect& rect, const CFontDesc* font, const CColor& color,
                            CHoriTxtAlign align = kCenterText) = 0;
    virtual CCoord getStringWidth(const std::string& text, const CFontDesc* font) = 0;

    // Saves origin and clip; restoreState() brings back the last saved pair.
    virtual void saveState() = 0;
    virtual void restoreState() = 0;
    virtual void moveOrigin(CCoord dx, CCoord dy) = 0;
    // Narrows the clip to its intersection with rect.
    virtual void clipTo(const CRect& rect) = 0;
};

// Draws on a system canvas (a window being painted, or an image in memory).
class CNativeDrawContext : public CDrawContext {
public:
    explicit CNativeDrawContext(native::Canvas& targetCanvas) : canvas(targetCanvas) {}
    void fillRect(const CRect& rect, const CColor& color) override;
    void frameRect(const CRect& rect, const CColor& color) override;
    void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset = CPoint()) override;
    void drawString(const std::string& text, const CRect& rect, const CFontDesc* font, const CColor& color,
                    CHoriTxtAlign align = kCenterText) override;
    CCoord getStringWidth(const std::string& text, const CFontDesc* font) override;
    void saveState() override;
    void restoreState() override;
    void moveOrigin(CCoord dx, CCoord dy) override;
    void clipTo(const CRect& rect) override;

private:
    native::Canvas& canvas;
};
