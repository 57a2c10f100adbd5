#include "settings/ThemeStyle.h"

#include "platform/TextLines.h"

#include <cstdlib>

namespace {

struct ElementDefaults {
    const char* name;
    ElementStyle ThemeStyle::*member;
    int fontSize;
    int alignment;
    ThemeColour font, back, frame;
};

constexpr ThemeColour kClear{0, 0, 0, 0};
constexpr ThemeColour kMenuBack{51, 51, 51, 255};
constexpr ThemeColour kMenuFrame{17, 17, 17, 255};
constexpr ThemeColour kSoftWhite{255, 255, 255, 178};
constexpr ThemeColour kBrightWhite{255, 255, 255, 204};

// In the order their keys are matched.
const ElementDefaults kElements[] = {
    {"main1Title", &ThemeStyle::main1Title, 14, 0, kClear, kClear, kClear},
    {"main1Menu", &ThemeStyle::main1Menu, 12, 1, kBrightWhite, kMenuBack, kMenuFrame},
    {"main1Name", &ThemeStyle::main1Name, 12, 1, kClear, kClear, kClear},
    {"main1Value", &ThemeStyle::main1Value, 12, 1, kBrightWhite, kMenuBack, kMenuFrame},
    {"main2Title", &ThemeStyle::main2Title, 14, 0, kClear, kClear, kClear},
    {"main2Name", &ThemeStyle::main2Name, 12, 1, kClear, kClear, kClear},
    {"main2Value", &ThemeStyle::main2Value, 12, 1, kSoftWhite, kMenuBack, kMenuFrame},
    {"main3Name", &ThemeStyle::main3Name, 10, 1, kClear, kClear, kClear},
    {"main3Value", &ThemeStyle::main3Value, 12, 1, {255, 136, 68, 255}, kClear, kClear},
    {"sub1Title", &ThemeStyle::sub1Title, 14, 0, kClear, kClear, kClear},
    {"sub1Name", &ThemeStyle::sub1Name, 12, 1, kSoftWhite, kClear, kClear},
    {"sub1Value", &ThemeStyle::sub1Value, 12, 1, kSoftWhite, kClear, kClear},
    {"masterVol", &ThemeStyle::masterVol, 12, 1, kSoftWhite, kClear, kClear},
    {"presetNumber", &ThemeStyle::presetNumber, 12, 0, kSoftWhite, kClear, kClear},
    {"presetName", &ThemeStyle::presetName, 12, 0, kSoftWhite, {85, 85, 85, 0}, kClear},
};

// Splits at every single space; fewer than four fields leave the colour as it was.
void parseColour(const std::string& value, ThemeColour& colour)
{
    long fields[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        if (start > value.size())
            return;
        size_t space = value.find(' ', start);
        std::string field = value.substr(start, space == std::string::npos ? std::string::npos : space - start);
        fields[i] = std::strtol(field.c_str(), nullptr, 0);
        start = space == std::string::npos ? value.size() + 1 : space + 1;
    }
    colour = {uint8_t(fields[0] & 0xFF), uint8_t(fields[1] & 0xFF), uint8_t(fields[2] & 0xFF),
              uint8_t(fields[3] & 0xFF)};
}

void parseFontFace(const std::string& value, ElementStyle& element)
{
    switch (readBase0Integer(value)) {
    case 1:
        element.fontFace = "Consolas";
        break;
    case 2:
        element.fontFace = "Trebuchet MS";
        break;
    default:
        element.fontFace = "Arial";
        break;
    }
}

bool applyElementKey(ThemeStyle& style, const std::string& key, const std::string& value)
{
    for (const ElementDefaults& element : kElements) {
        std::string_view name = element.name;
        if (key.compare(0, name.size(), name) != 0)
            continue;
        std::string_view suffix = std::string_view(key).substr(name.size());
        ElementStyle& target = style.*element.member;
        // The section titles of the first style group have no fill and no frame to set.
        bool titleOnly = name == "main1Title";
        if (suffix == "Font")
            parseFontFace(value, target);
        else if (suffix == "FontColor")
            parseColour(value, target.fontColour);
        else if (suffix == "BackColor" && !titleOnly)
            parseColour(value, target.backColour);
        else if (suffix == "FrameColor" && !titleOnly)
            parseColour(value, target.frameColour);
        else
            continue;
        return true;
    }
    return false;
}

// A number outside the range is ignored: a negative padding would leave no window to open, a
// huge one a window past the 16-bit rectangle the host is told, and a huge themeScale images
// scaled to nothing.
void readInRange(const std::string& value, int lowest, int highest, int& field)
{
    int number = readBase0Integer(value);
    if (number >= lowest && number <= highest)
        field = number;
}

void applyThemeKey(ThemeStyle& style, const std::string& key, const std::string& value)
{
    if (key == "mainBackColor")
        parseColour(value, style.mainBackColor);
    else if (key == "voiceIndicatorOnColor")
        parseColour(value, style.voiceIndicatorOnColor);
    else if (key == "voiceIndicatorOffColor")
        parseColour(value, style.voiceIndicatorOffColor);
    else if (applyElementKey(style, key, value))
        return;
    else if (key == "extendedTheme")
        style.extendedTheme = value == "1";
    else if (key == "themeScale")
        readInRange(value, 0, kMaxThemeScale, style.themeScale);
    else if (key == "sidePadding")
        readInRange(value, 0, kMaxThemePadding, style.sidePadding);
    else if (key == "topPadding")
        readInRange(value, 0, kMaxThemePadding, style.topPadding);
    else if (key == "bottomPadding")
        readInRange(value, 0, kMaxThemePadding, style.bottomPadding);
    else if (key == "topSpacing")
        readInRange(value, 0, kMaxThemePadding, style.topSpacing);
    else if (key == "bottomSpacing")
        readInRange(value, 0, kMaxThemePadding, style.bottomSpacing);
}

void applyThemeLines(ThemeStyle& style, LineReader& reader)
{
    std::string line;
    while (!reader.atEnd()) {
        reader.readLine(line);
        if (line.find('#') != std::string::npos)
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        applyThemeKey(style, line.substr(0, equals), line.substr(equals + 1));
    }
}

} // namespace

void ThemeStyle::resetThemeDefaults(bool extended)
{
    *this = ThemeStyle{};
    extendedTheme = extended;
    for (const ElementDefaults& defaults : kElements) {
        ElementStyle& element = this->*defaults.member;
        element.fontFace = "Arial";
        element.fontSize = defaults.fontSize;
        element.faceStyle = 1;
        element.alignment = defaults.alignment;
        element.fontColour = defaults.font;
        element.backColour = defaults.back;
        element.frameColour = defaults.frame;
    }
}

void ThemeStyle::readThemeFile(const std::filesystem::path& path)
{
    LineReader reader(path);
    if (reader.isOpen())
        applyThemeLines(*this, reader);
}

void ThemeStyle::applyThemeText(std::string_view text)
{
    LineReader reader(text);
    applyThemeLines(*this, reader);
}

double layoutScale(int scale)
{
    if (scale == 2)
        return 1.5;
    if (scale == 3)
        return 2.0;
    return 1.0;
}

double bitmapScale(int scale, int themeScale)
{
    // A hand-edited size step outside 1..3 lays the window out as "Small"; the images follow it
    // so they stay the size of their controls. A theme scale below 0 would divide by zero or
    // flip the images, and one past the range shrinks them to nothing: the default of 1 stands in.
    if (scale < 1 || scale > 3)
        scale = 1;
    if (themeScale < 0 || themeScale > kMaxThemeScale)
        themeScale = 1;
    return double(scale + 1) / double(themeScale + 1);
}
