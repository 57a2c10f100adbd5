// What views put into pixels, rendered without a display.
#include "GuiTestSupport.h"

#include "gui/CAnimKnob.h"
#include "gui/CFontDesc.h"
#include "gui/COnOffButton.h"
#include "gui/CTabView.h"
#include "gui/CTextLabel.h"
#include "gui/HeadlessRender.h"
#include "platform/NativeCanvas.h"

#include <gtest/gtest.h>

using guitest::makeBitmap;
using guitest::makeStrip;

namespace {

constexpr native::Color kBackground{10, 20, 30, 255};

CViewContainer* panel(int width = 100, int height = 100)
{
    auto* container = new CViewContainer(CRect(0, 0, width, height));
    container->setBackgroundColor({kBackground.red, kBackground.green, kBackground.blue, 255});
    return container;
}

int pixelsOtherThan(const native::RgbaPixels& image, native::Color colour, const CRect& area)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += !(image.at(x, y) == colour);
    return count;
}

} // namespace

TEST(Drawing, BitmapScaledByOneAndAHalfLandsOnTheExpectedPixels)
{
    // Four 4x4 quadrants; scaled to 12x12 each becomes 6x6, drawn at (10, 20).
    CBitmap* quadrants = makeBitmap(8, 8, [](int x, int y) -> native::Color {
        return x < 4 ? (y < 4 ? native::Color{255, 0, 0, 255} : native::Color{0, 0, 255, 255})
                     : (y < 4 ? native::Color{0, 255, 0, 255} : native::Color{255, 255, 255, 255});
    });
    quadrants->scaleTo(12, 12);
    ASSERT_EQ(quadrants->getWidth(), 12);
    ASSERT_EQ(quadrants->getHeight(), 12);
    CViewContainer* root = panel();
    root->addView(new CView(CRect(10, 20, 22, 32)));
    root->getView(0)->setBackground(quadrants);
    quadrants->forget();
    native::RgbaPixels image = renderView(*root);
    struct {
        int x, y;
        native::Color expected;
    } probes[] = {
        {11, 21, {255, 0, 0, 255}},     {14, 24, {255, 0, 0, 255}},                        // inside the red quadrant
        {20, 21, {0, 255, 0, 255}},     {11, 30, {0, 0, 255, 255}},                        // green, blue
        {20, 30, {255, 255, 255, 255}}, {9, 20, kBackground},                              // white; left of the image
        {22, 25, kBackground},          {15, 32, kBackground},      {15, 19, kBackground}, // right, below, above
    };
    for (const auto& probe : probes)
        EXPECT_EQ(image.at(probe.x, probe.y), probe.expected) << "at " << probe.x << "," << probe.y;
    root->forget();
}

TEST(Drawing, KnobStripShowsTheFrameOfItsValue)
{
    CBitmap* strip = makeStrip(20, 20, 101, guitest::frameColour);
    CViewContainer* root = panel(40, 40);
    auto* knob = new CAnimKnob(CRect(10, 10, 30, 30), nullptr, 0, strip);
    strip->forget();
    root->addView(knob);
    EXPECT_EQ(knob->getNumSubPixmaps(), 101);
    for (auto [value, frame] : {std::pair{0.0f, 0}, {0.5f, 50}, {1.0f, 100}, {0.333f, 33}}) {
        knob->setValue(value);
        native::RgbaPixels image = renderView(*root);
        EXPECT_EQ(image.at(15, 15), guitest::frameColour(frame)) << "value " << value;
        EXPECT_EQ(image.at(15, 29), guitest::frameColour(frame)) << "value " << value << ", last row";
    }
    root->forget();
}

TEST(Drawing, OnOffButtonShowsItsTwoStates)
{
    const native::Color off{50, 50, 50, 255}, on{250, 120, 0, 255};
    CBitmap* states = makeStrip(16, 16, 2, [&](int frame) { return frame ? on : off; });
    CViewContainer* root = panel(40, 40);
    auto* button = new COnOffButton(CRect(4, 4, 20, 20), nullptr, 0, states);
    states->forget();
    root->addView(button);
    for (auto [value, expected] : {std::pair{0.0f, off}, {1.0f, on}, {0.5f, on}}) {
        button->setValue(value);
        EXPECT_EQ(renderView(*root).at(12, 12), expected) << "value " << value;
    }
    root->forget();
}

TEST(Drawing, TextIsDrawnInItsColourInsideItsRectangleAndNotAtAlphaZero)
{
    const CRect box(10, 10, 90, 40);
    for (const char* face : {"Arial", "Consolas", "Trebuchet MS", "No Such Face At All"}) {
        for (uint8_t alpha : {uint8_t(255), uint8_t(0)}) {
            CViewContainer* root = panel();
            auto* label = new CTextLabel(box, "HHH");
            auto* font = new CFontDesc(face, 16, kBoldFace);
            label->setFont(font);
            font->forget();
            label->setTransparency(true);
            label->setFontColor({255, 0, 0, alpha});
            label->setFrameColor(kTransparentCColor);
            root->addView(label);
            native::RgbaPixels image = renderView(*root);
            int red = 0;
            for (int y = box.top; y < box.bottom; ++y)
                for (int x = box.left; x < box.right; ++x) {
                    native::Color c = image.at(x, y);
                    red += c.red > 150 && c.green < 60 && c.blue < 60;
                }
            EXPECT_EQ(pixelsOtherThan(image, kBackground, CRect(0, 0, 100, box.top)) +
                          pixelsOtherThan(image, kBackground, CRect(0, box.bottom, 100, 100)) +
                          pixelsOtherThan(image, kBackground, CRect(0, 0, box.left, 100)) +
                          pixelsOtherThan(image, kBackground, CRect(box.right, 0, 100, 100)),
                      0)
                << face << ": nothing outside the rectangle";
            if (alpha)
                EXPECT_GT(red, 20) << face << ": the text shows in its colour";
            else
                EXPECT_EQ(pixelsOtherThan(image, kBackground, box), 0) << face << ": alpha 0 draws nothing";
            root->forget();
        }
    }
}

TEST(Drawing, MissingFacesFallBackToInstalledOnes)
{
    for (const char* face : {"Arial", "Consolas", "Trebuchet MS", "", "No Such Face At All"})
        EXPECT_FALSE(native::resolvedFontFamily(face).empty()) << face;
    EXPECT_NE(native::resolvedFontFamily("Arial"), native::resolvedFontFamily("Consolas"))
        << "a proportional face and a monospace face stay different";
}

TEST(Drawing, TabViewShowsOnlyTheSelectedPage)
{
    const CColor pageColours[] = {{200, 0, 0, 255}, {0, 0, 200, 255}, {0, 200, 0, 255}};
    CViewContainer* root = panel();
    auto* tabs = new CTabView(CRect(0, 0, 100, 100));
    for (const CColor& colour : pageColours) {
        auto* page = new CViewContainer(CRect(0, 0, 100, 100));
        page->setBackgroundColor(colour);
        tabs->addTab(page);
    }
    root->addView(tabs);
    for (long selected : {0L, 2L, 1L}) {
        tabs->selectTab(selected);
        const CColor& c = pageColours[selected];
        EXPECT_EQ(renderView(*root).at(50, 50), (native::Color{c.red, c.green, c.blue, 255})) << "page " << selected;
    }
    root->forget();
}

TEST(Drawing, ViewTreeWritesAPngFileAndReportsAnUnwritableOne)
{
    CViewContainer* root = panel(30, 20);
    std::string error;
    std::filesystem::path file = std::filesystem::temp_directory_path() / "morvelline-gui-test.png";
    ASSERT_TRUE(renderViewToPng(*root, file, error)) << error;
    auto back = native::loadPngFile(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width(), 30);
    EXPECT_EQ(back->pixels().at(5, 5), kBackground);
    std::filesystem::remove(file);
    EXPECT_FALSE(renderViewToPng(*root, "/no/such/folder/x.png", error));
    EXPECT_NE(error.find("/no/such/folder/x.png"), std::string::npos) << error;
    root->forget();
}

TEST(Drawing, BadImageDataGivesAnEmptyBitmap)
{
    const unsigned char notPng[] = "\x89PNG\r\n\x1a\n but then nothing that decodes";
    CBitmap bitmap(notPng, sizeof notPng);
    EXPECT_FALSE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getWidth(), 0);
    CBitmap missing(std::filesystem::path("/no/such/image.png"));
    EXPECT_FALSE(missing.isLoaded());
    bitmap.scaleTo(10, 10); // nothing to scale: stays empty, no crash
    EXPECT_FALSE(bitmap.isLoaded());
}
