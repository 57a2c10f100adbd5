// Plain value types shared by the toolkit and its drawing and window back-ends. No system header
// may appear here: the toolkit includes this from platform-neutral code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace native {

struct Point {
    int x = 0;
    int y = 0;
};

// Half-open: left and top inside, right and bottom outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
};

// Straight (not premultiplied) alpha; alpha 0 draws nothing.
struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
    bool operator==(const Color&) const = default;
};

enum class TextAlign { Left, Center, Right };

// A face as the themes name it ("Arial", "Consolas", "Trebuchet MS"); the back-end falls back to
// a close installed face, then to a generic sans-serif or monospace face.
struct FontSpec {
    std::string face;
    double sizePixels = 12;
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

// Mouse buttons and modifier keys of one event, as one bit set (the toolkit uses the same bits).
enum InputFlags : unsigned {
    kLeftButton = 1u << 0,
    kMiddleButton = 1u << 1,
    kRightButton = 1u << 2,
    kShiftKey = 1u << 3,
    kControlKey = 1u << 4,
    kAltKey = 1u << 5,
    kDoubleClick = 1u << 7,
};

// A key as VST hosts report it: character (0 when none), a VstVirtualKey code (0 when none), the
// InputFlags modifier bits.
struct KeyEvent {
    int character = 0;
    int virtualKey = 0;
    unsigned modifiers = 0;
};

// An RGBA image in memory, rows top to bottom, 4 bytes per pixel, straight alpha.
struct RgbaPixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;
    Color at(int x, int y) const
    {
        const uint8_t* p = &bytes[(size_t(y) * size_t(width) + size_t(x)) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

} // namespace native
