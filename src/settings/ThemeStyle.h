// A theme's paddings, colours and text styles, read from its Theme.txt over built-in defaults,
// and the factors by which a window size step enlarges positions, fonts and images.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

struct ThemeColour {
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const ThemeColour&) const = default;
};

struct ElementStyle {
    std::string fontFace; // empty: the toolkit's standard font
    int fontSize = 12;    // pixels before scaling
    int faceStyle = 0;    // 1 = bold
    int alignment = 1;    // 0 left, 1 centred
    ThemeColour fontColour{0, 0, 0, 255};
    ThemeColour backColour;
    ThemeColour frameColour;
    bool operator==(const ElementStyle&) const = default;
};

// Theme.txt values outside 0..these are ignored. With the largest paddings the "Large" window
// still fits the 16-bit rectangle a host is told.
constexpr int kMaxThemePadding = 256; // units of 8 pixels
constexpr int kMaxThemeScale = 3;

// Member initializers are the values a theme holds before its first reset; loading settings
// always resets it, with or without a data folder.
struct ThemeStyle {
    int sidePadding = 0; // units of 8 pixels, like the other paddings and spacings
    int topPadding = 0;
    int bottomPadding = 0;
    int topSpacing = 0;
    int bottomSpacing = 0;
    int themeScale = 1; // the window size step the theme's images were drawn for
    bool extendedTheme = true;
    ThemeColour mainBackColor{0, 0, 0, 255};
    ThemeColour voiceIndicatorOnColor{255, 119, 0, 255};
    ThemeColour voiceIndicatorOffColor{34, 34, 34, 255};

    ElementStyle main1Title, main1Menu, main1Name, main1Value;
    ElementStyle main2Title, main2Name, main2Value;
    ElementStyle main3Name, main3Value;
    ElementStyle sub1Title, sub1Name, sub1Value;
    ElementStyle masterVol, presetNumber, presetName;

    bool operator==(const ThemeStyle&) const = default;

    // Every field to the built-in theme's defaults; extended selects the wide layout.
    void resetThemeDefaults(bool extended);
    // Applies a Theme.txt over the current values; a file that cannot be opened changes nothing.
    void readThemeFile(const std::filesystem::path& path);
    // The same for text already in memory.
    void applyThemeText(std::string_view text);
};

// Factor g for positions, sizes and fonts: 1.5 for "Medium", 2 for "Large", else 1.
double layoutScale(int scale);
// Factor f for images: (scale + 1) / (themeScale + 1).
double bitmapScale(int scale, int themeScale);
