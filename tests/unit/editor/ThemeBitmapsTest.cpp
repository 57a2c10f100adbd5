// Images by name: built in, replaced by the theme's PNG, scaled by the bitmap factor.
#include "editor/ThemeBitmaps.h"
#include "settings/UserSettings.h"
#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct ThemeBitmaps : ::testing::Test {
    TemporaryFolder folder;
    FakeSystemServices system;

    ThemeBitmaps()
    {
        system.module = folder.path / "plugins" / "Morvelline.so";
        system.localData = folder.path / "appdata";
        fs::create_directories(themeFolder());
        writeAll(dataFolder() / "Settings.txt", "theme=Night\n");
    }
    fs::path dataFolder() const { return system.localData / "Hollowfen Software" / "Morvelline"; }
    fs::path themeFolder() const { return dataFolder() / "Themes" / "Night"; }
    void writeThemePng(const std::string& name, int width, int height)
    {
        native::RgbaPixels pixels;
        pixels.width = width;
        pixels.height = height;
        pixels.bytes.assign(size_t(width) * size_t(height) * 4, 200);
        std::string error;
        ASSERT_TRUE(native::writePngFile(pixels, themeFolder() / (name + ".png"), error)) << error;
    }
};

} // namespace

TEST_F(ThemeBitmaps, BuiltInImagesScaleToTruncatedSizes)
{
    UserSettings settings;
    const struct {
        const char* name;
        double factor;
        int width, height;
    } cases[] = {
        {"E_KnobMainBP", 1.0, 64, 6464},    {"e_knobmainbp", 1.5, 96, 9696}, {"E_KnobMainBP", 2.0 / 3, 42, 4309},
        {"C_SwitchMain2", 4.0 / 3, 85, 64}, {"E_BackMain", 2.0, 2336, 1264}, {"C_ButtonPageNext", 0.5, 12, 24},
        {"E_ButtonPageNext", 1.0, 0, 0},    {"NoSuchImage", 1.0, 0, 0},      {"E_MenuScale", 0.01, 0, 0},
        {"E_KnobMainBP", 1e9, 0, 0},
    };
    for (const auto& c : cases) {
        Bitmap bitmap(settings, c.name, c.factor);
        EXPECT_EQ(bitmap.getWidth(), c.width) << c.name << " x" << c.factor;
        EXPECT_EQ(bitmap.getHeight(), c.height) << c.name << " x" << c.factor;
        EXPECT_EQ(bitmap.isLoaded(), c.width > 0) << c.name;
    }
}

TEST_F(ThemeBitmaps, ThemePngReplacesFallsBackAndSurvivesCorruptFiles)
{
    writeThemePng("E_MenuScale", 10, 20);
    writeThemePng("E_OnlyInTheTheme", 4, 4);
    writeAll(themeFolder() / "E_MenuBank.png", "\x89PNG\r\n\x1a\nnot really a picture");
    writeAll(themeFolder() / "E_Broken.png", std::string(5000, '\xff'));
    fs::create_directories(themeFolder() / "E_MenuPreset.png"); // a folder, not a file
    UserSettings settings;
    ASSERT_EQ(settings.theme, L"Night");
    const struct {
        const char* name;
        int width, height;
    } cases[] = {
        {"E_MenuScale", 20, 40}, {"E_OnlyInTheTheme", 8, 8}, {"E_MenuConfig", 32, 32},
        {"E_MenuBank", 32, 32},  {"E_Broken", 0, 0},         {"E_MenuPreset", 32, 32},
    };
    for (const auto& c : cases) {
        Bitmap bitmap(settings, c.name, 2.0);
        EXPECT_EQ(bitmap.getWidth(), c.width) << c.name;
        EXPECT_EQ(bitmap.getHeight(), c.height) << c.name;
    }
    // Another theme does not see this theme's files.
    settings.theme = L"Extended";
    EXPECT_EQ(Bitmap(settings, "E_MenuScale", 1.0).getWidth(), 16);
}

TEST_F(ThemeBitmaps, ExampleThemeImagesFitTheirControlsAtEverySize)
{
    fs::path example = fs::path(MORVELLINE_EXAMPLE_THEMES) / "Glacier";
    fs::copy(example, themeFolder().parent_path() / "Glacier", fs::copy_options::recursive);
    writeAll(dataFolder() / "Settings.txt", "theme=Glacier\n");
    UserSettings settings;
    ASSERT_EQ(settings.theme, L"Glacier");
    EXPECT_EQ(settings.themeStyle.themeScale, 2);
    EXPECT_EQ(settings.themeStyle.bottomPadding, 3);
    EXPECT_EQ(settings.themeStyle.main3Value.fontFace, "Consolas");
    EXPECT_EQ(settings.themeStyle.voiceIndicatorOnColor, (ThemeColour{63, 184, 255, 255}));

    int images = 0;
    for (const auto& entry : fs::directory_iterator(example)) {
        std::string name = entry.path().stem().string();
        if (entry.path().extension() != ".png")
            continue;
        ++images;
        UserSettings builtIn;
        builtIn.theme = L"Extended";
        Bitmap native(builtIn, name, 1.0);
        ASSERT_TRUE(native.isLoaded()) << name << " replaces no built-in image";
        // The window background grows by the theme's bottom padding.
        int padding = name == "E_BackMain" ? 8 * settings.themeStyle.bottomPadding : 0;
        for (int scale = 1; scale <= 3; ++scale) {
            Bitmap themed(settings, name, bitmapScale(scale, settings.themeStyle.themeScale));
            double g = layoutScale(scale);
            EXPECT_NEAR(themed.getWidth(), native.getWidth() * g, 1) << name << " at size " << scale;
            EXPECT_NEAR(themed.getHeight(), (native.getHeight() + padding) * g, 1) << name << " at size " << scale;
        }
    }
    EXPECT_EQ(images, 26); // every image the wide layout asks for
}

TEST_F(ThemeBitmaps, OversizedThemeImagesAreRefusedBeforeDecodingAndSaidOnce)
{
    writeThemePng("E_MenuScale", 65, 64);  // the built-in is 16 x 16: past 4 times as wide
    writeThemePng("E_MenuConfig", 16, 65); // past 4 times as high
    writeThemePng("E_MenuBank", 64, 64);   // 4 times: still an image for the slot
    writeThemePng("E_MenuPreset", 8, 8);   // a small image in a file padded past the limit
    fs::resize_file(themeFolder() / "E_MenuPreset.png", 33u * 1024 * 1024);
    UserSettings settings;
    const struct {
        const char* name;
        int width;
        const char* said;
    } cases[] = {
        {"E_MenuScale", 16, "E_MenuScale.png is not used, it is 65 x 64 pixels"},
        {"E_MenuConfig", 16, "E_MenuConfig.png is not used, it is 16 x 65 pixels"},
        {"E_MenuBank", 64, nullptr},
        {"E_MenuPreset", 16, "E_MenuPreset.png is not used, the file is larger than 32 MB"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        for (int opening = 0; opening < 3; ++opening)
            EXPECT_EQ(Bitmap(settings, c.name, 1.0).getWidth(), c.width) << c.name;
        std::string said = testing::internal::GetCapturedStderr();
        if (!c.said) {
            EXPECT_EQ(said, "") << c.name;
            continue;
        }
        size_t first = said.find(c.said);
        EXPECT_NE(first, std::string::npos) << said;
        EXPECT_EQ(said.find(c.name, first + 1), std::string::npos) << "said more than once: " << said;
    }
}
