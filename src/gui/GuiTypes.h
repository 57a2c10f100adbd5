// Geometry, colours, input flags and event results of the toolkit.
#pragma once

#include "platform/NativeGuiTypes.h"

#include <algorithm>
#include <cstdint>

using CCoord = int;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;
    constexpr CPoint() = default;
    constexpr CPoint(CCoord atX, CCoord atY) : x(atX), y(atY) {}
    CPoint& offset(CCoord dx, CCoord dy)
    {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint&) const = default;
};

// Half-open: left and top inside, right and bottom outside.
struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;
    constexpr CRect() = default;
    constexpr CRect(CCoord leftEdge, CCoord topEdge, CCoord rightEdge, CCoord bottomEdge)
        : left(leftEdge), top(topEdge), right(rightEdge), bottom(bottomEdge)
    {
    }
    CCoord width() const { return right - left; }
    CCoord height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    CRect& offset(CCoord dx, CCoord dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    bool pointInside(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    // Intersection; empty when they do not overlap.
    CRect& bound(const CRect& other)
    {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::max(left, std::min(right, other.right));
        bottom = std::max(top, std::min(bottom, other.bottom));
        return *this;
    }
    bool rectOverlap(const CRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool operator==(const CRect&) const = default;
};

// Red, green, blue, alpha; alpha 255 is opaque and alpha 0 draws nothing.
struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
    bool operator==(const CColor&) const = default;
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kTransparentCColor{0, 0, 0, 0};

// Buttons and modifiers of a mouse event, as one bit set ("buttons" in the event calls).
enum CButtonState : long {
    kLButton = native::kLeftButton,
    kMButton = native::kMiddleButton,
    kRButton = native::kRightButton,
    kShift = native::kShiftKey,
    kControl = native::kControlKey,
    kAlt = native::kAltKey,
    kDoubleClick = native::kDoubleClick,
};

enum CMouseEventResult {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled,
    kMouseEventNotHandled,
    // Handled, and the view wants no moves or the release of this press.
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
};

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

// Virtual key codes as VST hosts pass them in effEditKeyDown.
enum VstVirtualKey {
    VKEY_BACK = 1,
    VKEY_TAB,
    VKEY_CLEAR,
    VKEY_RETURN,
    VKEY_PAUSE,
    VKEY_ESCAPE,
    VKEY_SPACE,
    VKEY_NEXT,
    VKEY_END,
    VKEY_HOME,
    VKEY_LEFT,
    VKEY_UP,
    VKEY_RIGHT,
    VKEY_DOWN,
    VKEY_PAGEUP,
    VKEY_PAGEDOWN,
    VKEY_SELECT,
    VKEY_PRINT,
    VKEY_ENTER,
    VKEY_SNAPSHOT,
    VKEY_INSERT,
    VKEY_DELETE,
    VKEY_HELP,
};

// A key event: character (0 when none), virtual key (0 when none), CButtonState modifier bits.
struct VstKeyCode {
    long character = 0;
    unsigned char virt = 0;
    long modifier = 0;
};

inline native::Rect toNative(const CRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}
inline native::Color toNative(const CColor& c)
{
    return {c.red, c.green, c.blue, c.alpha};
}
