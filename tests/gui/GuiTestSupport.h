// Images made in memory and a listener that records what controls report, for the toolkit tests.
#pragma once

#include "gui/CBitmap.h"
#include "gui/CControl.h"
#include "platform/NativeImage.h"

#include <functional>
#include <string>
#include <vector>

namespace guitest {

using PixelFunction = std::function<native::Color(int x, int y)>;

inline CBitmap* makeBitmap(int width, int height, const PixelFunction& pixel)
{
    native::RgbaPixels pixels{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            native::Color c = pixel(x, y);
            uint8_t* p = &pixels.bytes[(size_t(y) * size_t(width) + size_t(x)) * 4];
            p[0] = c.red, p[1] = c.green, p[2] = c.blue, p[3] = c.alpha;
        }
    return new CBitmap(native::imageFromPixels(pixels));
}

// A vertical strip of frames, each one flat colour: frame i is colourOf(i).
inline CBitmap* makeStrip(int width, int frameHeight, int frames, const std::function<native::Color(int)>& colourOf)
{
    return makeBitmap(width, frameHeight * frames, [&](int, int y) { return colourOf(y / frameHeight); });
}

// Frame i of a 101-frame strip: red = i, so a pixel tells which frame is drawn.
inline native::Color frameColour(int frame)
{
    return {uint8_t(frame), 40, 200, 255};
}

struct Report {
    std::string what; // "begin", "change", "end"
    long tag;
    float value;
};

class RecordingListener : public CControlListener {
public:
    void valueChanged(CControl* c) override { reports.push_back({"change", c->getTag(), c->getValue()}); }
    void controlBeginEdit(CControl* c) override { reports.push_back({"begin", c->getTag(), c->getValue()}); }
    void controlEndEdit(CControl* c) override { reports.push_back({"end", c->getTag(), c->getValue()}); }

    std::vector<float> changes() const
    {
        std::vector<float> values;
        for (const Report& r : reports)
            if (r.what == "change")
                values.push_back(r.value);
        return values;
    }
    // "begin change change end" and so on.
    std::string sequence() const
    {
        std::string text;
        for (const Report& r : reports)
            text += (text.empty() ? "" : " ") + r.what;
        return text;
    }
    std::vector<Report> reports;
};

} // namespace guitest
