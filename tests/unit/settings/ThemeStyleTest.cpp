// Theme.txt reading over the built-in defaults, the theme's place in loadSettings, and the
// scale factors.
#include "settings/UserSettings.h"
#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <random>

namespace fs = std::filesystem;

namespace {

ThemeStyle defaults()
{
    ThemeStyle style;
    style.resetThemeDefaults(true);
    return style;
}

ThemeStyle afterText(const std::string& text)
{
    ThemeStyle style = defaults();
    style.applyThemeText(text);
    return style;
}

} // namespace

TEST(ThemeStyle, DefaultsOfTheBuiltInThemes)
{
    ThemeStyle style = defaults();
    EXPECT_EQ(style.voiceIndicatorOnColor, (ThemeColour{255, 119, 0, 255}));
    EXPECT_EQ(style.themeScale, 1);
    EXPECT_EQ(style.main1Title.fontFace, "Arial");
    EXPECT_EQ(style.main1Title.fontSize, 14);
    EXPECT_EQ(style.main1Title.alignment, 0);
    EXPECT_EQ(style.main3Name.fontSize, 10);
    EXPECT_EQ(style.main3Value.fontColour, (ThemeColour{255, 136, 68, 255}));
    EXPECT_EQ(style.main2Value.fontColour, (ThemeColour{255, 255, 255, 178}));
    EXPECT_EQ(style.presetName.backColour, (ThemeColour{85, 85, 85, 0}));
    EXPECT_EQ(style.presetName.faceStyle, 1);
    style.resetThemeDefaults(false);
    EXPECT_FALSE(style.extendedTheme);
}

TEST(ThemeStyle, ValueFormats)
{
    struct Case {
        const char* text;
        ThemeColour expected;
    } colours[] = {
        {"mainBackColor=1 2 3 4", {1, 2, 3, 4}},
        {"mainBackColor=256 0x101 -1 010", {0, 1, 255, 8}},
        {"mainBackColor=1 2 3", {0, 0, 0, 255}},          // too few fields: unchanged
        {"mainBackColor=1  3 4", {1, 0, 3, 4}},           // empty field reads 0
        {"mainBackColor=9 8 7 6 5 4", {9, 8, 7, 6}},      // extra fields ignored
        {"mainBackColor=1 2 3 4 # dark", {0, 0, 0, 255}}, // a comment anywhere: line skipped
        {"mainBackColor=1 2 3 4\r\n", {1, 2, 3, 4}},
        {"MainBackColor=1 2 3 4", {0, 0, 0, 255}}, // keys are case-sensitive
        {"mainBackColor 1 2 3 4", {0, 0, 0, 255}},
        {"mainBackColor=1 1 1 1\nmainBackColor=2 2 2 2", {2, 2, 2, 2}},
    };
    for (const Case& c : colours)
        EXPECT_EQ(afterText(c.text).mainBackColor, c.expected) << c.text;

    const std::pair<const char*, const char*> fonts[] = {
        {"2", "Trebuchet MS"}, {"0x1", "Consolas"}, {"3", "Arial"}, {"", "Arial"}, {"01", "Consolas"}};
    for (auto [value, face] : fonts) {
        ThemeStyle style = afterText(std::string("main1TitleFont=") + value);
        EXPECT_EQ(style.main1Title.fontFace, face) << value;
        EXPECT_EQ(style.main1Title.fontSize, 14);
    }

    const std::pair<const char*, bool> flags[] = {
        {"1", true}, {"0", false}, {"01", false}, {"1 ", false}, {"true", false}};
    for (auto [value, expected] : flags)
        EXPECT_EQ(afterText(std::string("extendedTheme=") + value).extendedTheme, expected) << value;

    ThemeStyle sized =
        afterText("themeScale=2\nsidePadding=0x10\ntopPadding=-3\nbottomPadding=x\ntopSpacing=010\nbottomSpacing=7");
    EXPECT_EQ(sized.themeScale, 2);
    EXPECT_EQ(sized.sidePadding, 16);
    EXPECT_EQ(sized.topPadding, 0);
    EXPECT_EQ(sized.bottomPadding, 0);
    EXPECT_EQ(sized.topSpacing, 8);
    EXPECT_EQ(sized.bottomSpacing, 7);
}

TEST(ThemeStyle, NumbersOutOfRangeAreIgnored)
{
    const struct {
        int ThemeStyle::*field;
        const char* key;
        int highest;
    } fields[] = {
        {&ThemeStyle::sidePadding, "sidePadding", 256},     {&ThemeStyle::topPadding, "topPadding", 256},
        {&ThemeStyle::bottomPadding, "bottomPadding", 256}, {&ThemeStyle::topSpacing, "topSpacing", 256},
        {&ThemeStyle::bottomSpacing, "bottomSpacing", 256}, {&ThemeStyle::themeScale, "themeScale", 3},
    };
    for (const auto& f : fields) {
        const std::string set = std::string(f.key) + "=2\n" + f.key + "=";
        for (const char* wild : {"-1", "-100", "2000", "0x7fffffff", "2147483647", "-2147483648", "99999999999"})
            EXPECT_EQ(afterText(set + wild).*f.field, 2) << f.key << "=" << wild;
        EXPECT_EQ(afterText(set + std::to_string(f.highest + 1)).*f.field, 2) << f.key;
        EXPECT_EQ(afterText(set + std::to_string(f.highest)).*f.field, f.highest) << f.key;
        EXPECT_EQ(afterText(set + "0").*f.field, 0) << f.key;
    }
}

TEST(ThemeStyle, EveryElementKeyReachesItsOwnField)
{
    ThemeStyle style =
        afterText("sub1NameBackColor=1 2 3 4\npresetNameFrameColor=5 6 7 8\nmain3ValueFont=1\n"
                  "main2TitleFontColor=9 9 9 9\nmain1TitleBackColor=1 1 1 1\nmain1TitleFrameColor=1 1 1 1");
    ThemeStyle expected = defaults();
    expected.sub1Name.backColour = {1, 2, 3, 4};
    expected.presetName.frameColour = {5, 6, 7, 8};
    expected.main3Value.fontFace = "Consolas";
    expected.main2Title.fontColour = {9, 9, 9, 9};
    EXPECT_TRUE(style == expected); // main1Title has no back or frame key
}

TEST(ThemeStyle, HostileFilesChangeNothingTheyShouldNot)
{
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& byte : noise)
        byte = char(random() & 0xFF);
    afterText(noise); // must not crash
    for (char& byte : noise)
        if (byte == '=')
            byte = ' '; // without an "=" no line is a setting: nothing may change
    EXPECT_TRUE(afterText(noise) == defaults());

    std::string longLine = "mainBackColor=" + std::string(1 << 20, '7');
    ThemeStyle style = afterText(longLine + "\nvoiceIndicatorOnColor=1 2 3 4");
    EXPECT_EQ(style.mainBackColor, (ThemeColour{0, 0, 0, 255}));
    EXPECT_EQ(style.voiceIndicatorOnColor, (ThemeColour{1, 2, 3, 4}));

    style = defaults();
    style.readThemeFile("/nonexistent/Theme.txt");
    EXPECT_TRUE(style == defaults());
}

TEST(ThemeStyle, ScaleFactors)
{
    struct Case {
        int scale, themeScale;
        double layout, bitmap;
    } cases[] = {
        {1, 1, 1.0, 1.0},     {2, 1, 1.5, 1.5},  {3, 1, 2.0, 2.0},  {1, 2, 1.0, 2.0 / 3}, {2, 2, 1.5, 1.0},
        {3, 2, 2.0, 4.0 / 3}, {1, 3, 1.0, 0.5},  {2, 3, 1.5, 0.75}, {3, 3, 2.0, 1.0},     {0, 1, 1.0, 1.0},
        {99999, 1, 1.0, 1.0}, {1, -1, 1.0, 1.0}, {2, 0, 1.5, 3.0},  {3, 2147483647, 2.0, 2.0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(layoutScale(c.scale), c.layout) << c.scale;
        EXPECT_DOUBLE_EQ(bitmapScale(c.scale, c.themeScale), c.bitmap) << c.scale << "/" << c.themeScale;
    }
}

struct ThemeLoading : ::testing::Test {
    TemporaryFolder folder;
    FakeSystemServices system;

    ThemeLoading()
    {
        system.module = folder.path / "plugins" / "Morvelline.so";
        system.localData = folder.path / "appdata";
        fs::create_directories(themes());
    }
    fs::path data() const { return system.localData / "Hollowfen Software" / "Morvelline"; }
    fs::path themes() const { return data() / "Themes"; }
    void writeTheme(const std::string& name, const std::string& text)
    {
        fs::create_directories(themes() / name);
        writeAll(themes() / name / "Theme.txt", text);
    }
};

TEST_F(ThemeLoading, LoadSettingsResetsAndReadsTheChosenTheme)
{
    writeTheme("Compact", "extendedTheme=1\nsidePadding=2\n");
    writeTheme("Extended", "topPadding=3\n");
    writeTheme("Night", "mainBackColor=1 2 3 255\n");
    const struct {
        const char* theme;
        bool extended;
        int side, top;
        ThemeColour back;
    } cases[] = {
        {"Compact", true, 2, 0, {0, 0, 0, 255}},
        {"Extended", true, 0, 3, {0, 0, 0, 255}},
        {"Night", true, 0, 0, {1, 2, 3, 255}},
        {"Missing", true, 0, 3, {0, 0, 0, 255}}, // falls back to "Extended", with its Theme.txt
    };
    for (const auto& c : cases) {
        writeAll(data() / "Settings.txt", std::string("theme=") + c.theme + "\n");
        UserSettings settings;
        settings.themeStyle.sidePadding = 5; // a leftover of the previous load is reset
        settings.loadSettings();
        EXPECT_EQ(settings.themeStyle.extendedTheme, c.extended) << c.theme;
        EXPECT_EQ(settings.themeStyle.sidePadding, c.side) << c.theme;
        EXPECT_EQ(settings.themeStyle.topPadding, c.top) << c.theme;
        EXPECT_EQ(settings.themeStyle.mainBackColor, c.back) << c.theme;
    }
    fs::remove_all(themes() / "Compact");
    writeAll(data() / "Settings.txt", "theme=Compact\n");
    EXPECT_FALSE(UserSettings().themeStyle.extendedTheme);
}

TEST_F(ThemeLoading, WithoutDataFolderTheThemeHasItsDefaults)
{
    system.localData.clear();
    UserSettings settings;
    ThemeStyle expected;
    expected.resetThemeDefaults(true);
    EXPECT_TRUE(settings.themeStyle == expected);
    settings.theme = L"Compact"; // chosen in the theme menu: there is no file to read it from
    settings.loadSettings();
    expected.resetThemeDefaults(false);
    EXPECT_TRUE(settings.themeStyle == expected);
}
