// The Windows back-end of the toolkit on its own, under Wine: GDI+ drawing into images, PNG
// files, font fallback, and a real child window with its input, text edit box and menus.
// Exit code 0 when every check passed.
#include "platform/NativeCanvas.h"
#include "platform/NativeWindow.h"
#include "platform/win32/GdiplusSession.h"
#include "platform/win32/Win32PopupMenu.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {
int failures = 0;
} // namespace

void check(bool ok, const std::string& what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok)
        ++failures;
}

namespace {

using native::Color;
const Color red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255};
const Color clear{0, 0, 0, 0};

native::RgbaPixels solidPixels(int width, int height, Color color)
{
    native::RgbaPixels pixels{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        pixels.bytes.insert(pixels.bytes.end(), {color.red, color.green, color.blue, color.alpha});
    return pixels;
}

void setPixel(native::RgbaPixels& pixels, int x, int y, Color color)
{
    uint8_t* p = &pixels.bytes[(size_t(y) * size_t(pixels.width) + size_t(x)) * 4];
    p[0] = color.red, p[1] = color.green, p[2] = color.blue, p[3] = color.alpha;
}

// A 2x2 block per colour: red, green on top; blue, white below.
native::RgbaPixels quadrants()
{
    native::RgbaPixels pixels = solidPixels(4, 4, red);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setPixel(pixels, x, y, y < 2 ? (x < 2 ? red : green) : (x < 2 ? blue : white));
    return pixels;
}

int pixelsWhere(const native::RgbaPixels& pixels, const native::Rect& area, bool inside, bool (*test)(Color))
{
    int count = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            bool in = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            count += in == inside && test(pixels.at(x, y));
        }
    return count;
}

void checkRectangles()
{
    auto canvas = native::createImageCanvas(20, 20);
    canvas->fillRect({2, 2, 8, 8}, red);
    canvas->frameRect({10, 10, 16, 16}, blue);
    canvas->save();
    canvas->translate(5, 12);
    canvas->clip({0, 0, 2, 2});
    canvas->fillRect({0, 0, 10, 10}, green);
    canvas->restore();
    auto p = canvas->pixels();
    check(p.at(2, 2) == red && p.at(7, 7) == red && p.at(8, 8) == clear && p.at(1, 2) == clear,
          "fillRect covers exactly its half-open rectangle");
    check(p.at(10, 10) == blue && p.at(15, 15) == blue && p.at(15, 10) == blue && p.at(12, 12) == clear &&
              p.at(16, 16) == clear,
          "frameRect draws a one-pixel outline just inside");
    check(p.at(5, 12) == green && p.at(6, 13) == green && p.at(7, 12) == clear && p.at(5, 14) == clear,
          "translate and clip move and bound the drawing");
    check(native::createImageCanvas(0, 5) == nullptr, "no canvas below one pixel");
}

void checkImages()
{
    auto image = native::imageFromPixels(quadrants());
    auto scaled = image ? image->scaled(6, 6) : nullptr;
    check(scaled && scaled->width() == 6 && scaled->height() == 6, "an image scales to a size");
    auto canvas = native::createImageCanvas(12, 12);
    if (scaled)
        canvas->drawImage(*scaled, {3, 3, 9, 9}, 0, 0);
    auto p = canvas->pixels();
    check(p.at(3, 3) == red && p.at(8, 3) == green && p.at(3, 8) == blue && p.at(8, 8) == white,
          "a 4-pixel image scaled by 1.5 and drawn at (3, 3) keeps its corners in place");
    check(p.at(2, 2) == clear && p.at(9, 9) == clear && p.at(9, 3) == clear, "nothing lands outside the scaled image");

    // A strip of three 2x2 frames: red, green, blue from the top.
    native::RgbaPixels stripPixels = solidPixels(2, 6, red);
    for (int x = 0; x < 2; ++x)
        for (int y = 2; y < 6; ++y)
            setPixel(stripPixels, x, y, y < 4 ? green : blue);
    auto strip = native::imageFromPixels(stripPixels);
    auto frames = native::createImageCanvas(8, 2);
    for (int frame = 0; frame < 4; ++frame)
        frames->drawImage(*strip, {frame * 2, 0, frame * 2 + 2, 2}, 0, frame * 2);
    auto f = frames->pixels();
    check(f.at(0, 0) == red && f.at(3, 1) == green && f.at(4, 0) == blue && f.at(7, 1) == clear,
          "each frame of a strip is drawn from its offset; a frame past the end draws nothing");
    check(native::imageFromPixels({3, 3, {1, 2, 3}}) == nullptr, "inconsistent pixels make no image");
}

void checkPngFiles()
{
    native::RgbaPixels pixels = quadrants();
    setPixel(pixels, 0, 0, clear);
    auto file = std::filesystem::temp_directory_path() / "winbackendtest.png";
    std::string error;
    check(native::writePngFile(pixels, file, error), "a PNG file is written");
    auto loaded = native::loadPngFile(file);
    check(loaded && loaded->pixels().bytes == pixels.bytes, "a PNG file reads back pixel for pixel");
    std::vector<char> bytes(std::filesystem::file_size(file));
    FILE* in = _wfopen(file.c_str(), L"rb");
    if (in) {
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
        std::fclose(in);
    }
    auto decoded = native::decodePng(bytes.data(), bytes.size());
    check(decoded && decoded->width() == 4 && decoded->height() == 4, "PNG bytes in memory decode");
    check(native::decodePng(bytes.data(), bytes.size() / 2) == nullptr, "a cut-off PNG is refused");
    check(native::decodePng("GIF89a....", 10) == nullptr && native::decodePng(nullptr, 0) == nullptr,
          "bytes that are not PNG are refused");
    check(native::loadPngFile(file.string() + ".missing") == nullptr, "a missing file is refused");
    check(!native::writePngFile({}, file, error) && !error.empty(), "an empty image is not written");
    std::filesystem::remove(file);
}

bool isReddish(Color c)
{
    return c.alpha > 100 && c.red > 120 && c.green < 90 && c.blue < 90;
}

bool isVisible(Color c)
{
    return c.alpha != 0;
}

void checkText()
{
    const native::Rect box{10, 10, 110, 40};
    for (const char* face : {"Arial", "Consolas", "Trebuchet MS", "No Such Face"}) {
        std::string family = native::resolvedFontFamily(face);
        auto canvas = native::createImageCanvas(120, 50);
        canvas->drawText("Morvelline", box, {face, 20, true}, {220, 30, 30, 255}, native::TextAlign::Left);
        auto p = canvas->pixels();
        check(!family.empty() && pixelsWhere(p, box, true, isReddish) > 30 &&
                  pixelsWhere(p, box, false, isVisible) == 0,
              std::string("text in \"") + face + "\" (drawn with \"" + family +
                  "\") is drawn in its colour inside its box");
    }
    auto canvas = native::createImageCanvas(120, 50);
    canvas->drawText("Morvelline", box, {"Arial", 20, false}, {220, 30, 30, 0}, native::TextAlign::Center);
    check(pixelsWhere(canvas->pixels(), box, true, isVisible) == 0, "text with alpha 0 draws nothing");
    int shortWidth = canvas->textWidth("Osc", {"Arial", 14, false});
    check(shortWidth > 10 && canvas->textWidth("Osc Osc Osc", {"Arial", 14, false}) > 3 * shortWidth,
          "text width grows with the text");
    canvas.reset();
    // GDI+ has stopped with the last canvas: a new start must measure the same.
    check(native::createImageCanvas(10, 10)->textWidth("Osc", {"Arial", 14, false}) == shortWidth,
          "text is measured alike after GDI+ stops and starts again");
}

// Columns from the first to the last one with clearly visible ink; 0 when there is none.
int inkWidth(const native::RgbaPixels& pixels)
{
    int first = pixels.width, last = -1;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.at(x, y).alpha > 80)
                first = std::min(first, x), last = std::max(last, x);
    return last < first ? 0 : last - first + 1;
}

// The matrix's slot numbers sit in cells only a little wider than "10": every digit must show,
// in every alignment.
void checkNarrowText()
{
    const native::FontSpec font{"Arial", 12, true};
    const native::Rect cell{12, 0, 28, 24};
    const std::pair<native::TextAlign, const char*> aligns[] = {
        {native::TextAlign::Left, "left"}, {native::TextAlign::Center, "centred"}, {native::TextAlign::Right, "right"}};
    for (const auto& [align, name] : aligns) {
        int widths[2] = {};
        const char* texts[2] = {"1", "12"};
        for (int i = 0; i < 2; ++i) {
            auto canvas = native::createImageCanvas(40, 24);
            canvas->drawText(texts[i], cell, font, {220, 30, 30, 255}, align);
            widths[i] = inkWidth(canvas->pixels());
        }
        check(widths[0] > 0 && widths[1] >= widths[0] + 5,
              std::string("\"12\" ") + name + " in a 16-pixel cell shows both digits (ink " +
                  std::to_string(widths[1]) + " px, \"1\" " + std::to_string(widths[0]) + " px)");
    }
}

} // namespace

// In winwindowtest.cpp.
void checkWindow();
void checkMenus();

int main()
{
    checkRectangles();
    checkImages();
    checkPngFiles();
    checkText();
    checkNarrowText();
    check(GdiplusSession::users() == 0, "GDI+ stops when the last canvas is gone");
    // Images may outlive every window (a cache, a static freed at unload): they hold no GDI+.
    auto kept = native::imageFromPixels(quadrants());
    check(kept && GdiplusSession::users() == 0, "an image alone does not keep GDI+ running");
    auto later = native::createImageCanvas(4, 4);
    later->drawImage(*kept, {0, 0, 4, 4}, 0, 0);
    check(later->pixels().at(3, 3) == white, "an image made in one GDI+ session draws in the next");
    later.reset();
    checkWindow();
    checkMenus();
    check(GdiplusSession::users() == 0, "GDI+ stops when the last window is gone");
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
