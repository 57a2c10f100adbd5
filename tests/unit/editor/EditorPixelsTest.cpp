// What the editor draws: both layouts at every size, knob frames by value, and value texts that
// fit their rectangles.
#include "EditorTestSupport.h"

#include "editor/ThemeBitmaps.h"
#include "gui/CDrawContext.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/HeadlessRender.h"
#include "platform/NativeCanvas.h"

#include <cmath>

using namespace editortest;

namespace {

struct Pixels : EditorFixture {};

// Pixels that differ from the window's background colour.
int drawnPixels(const native::RgbaPixels& image)
{
    int count = 0;
    for (int y = 0; y < image.height; y += 4)
        for (int x = 0; x < image.width; x += 4) {
            native::Color c = image.at(x, y);
            count += (c.red || c.green || c.blue) ? 1 : 0;
        }
    return count;
}

} // namespace

TEST_F(Pixels, BothLayoutsDrawAtEverySize)
{
    for (const char* theme : {"Extended", "Compact"})
        for (int scale = 1; scale <= 3; ++scale) {
            writeSettings(scale, theme);
            openEditor();
            native::RgbaPixels image = renderView(frame());
            EXPECT_EQ(image.width, frame().getWidth());
            EXPECT_GT(drawnPixels(image), image.width * image.height / 16 / 2) << theme << " " << scale;
            editor().close();
        }
}

TEST_F(Pixels, KnobShowsTheFrameOfItsValue)
{
    openEditor();
    Bitmap strip(create().userSettings(), "E_KnobMainCW", 1.0);
    ASSERT_TRUE(strip.isLoaded());
    native::RgbaPixels frames = strip.nativeImage()->pixels();
    CRect r = withTag(Param::FltCut, "CAnimKnob")[0].rect;
    for (float value : {0.0f, 0.5f, 1.0f}) {
        create().setParameter(Param::FltCut, value);
        native::RgbaPixels image = renderView(frame());
        const int top = int(std::lround(value * 100)) * 64;
        int compared = 0, differing = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                native::Color want = frames.at(x, top + y);
                if (want.alpha != 255)
                    continue;
                native::Color got = image.at(r.left + x, r.top + y);
                ++compared;
                differing += std::abs(int(got.red) - want.red) + std::abs(int(got.green) - want.green) > 6;
            }
        EXPECT_GT(compared, 500) << value;
        EXPECT_LT(differing, compared / 100 + 1) << "value " << value;
    }
}

TEST_F(Pixels, ValueTextsFitTheirRectanglesAtSmall)
{
    openEditor();
    auto canvas = native::createImageCanvas(8, 8);
    CNativeDrawContext context(*canvas);
    for (float sync : {0.0f, 1.0f}) {
        for (int index : {Param::Lfo1Sync, Param::DlySync, Param::RvbSync})
            create().setParameter(index, sync);
        for (const Placed& p : controls()) {
            auto* display = dynamic_cast<CParamDisplay*>(p.control);
            if (!display || !display->isTypeOf("ParamDisplay"))
                continue;
            for (int step = 0; step <= 200; ++step) {
                display->setValue(float(step) / 200.0f);
                std::string text = display->textForValue();
                EXPECT_LE(context.getStringWidth(text, display->getFont()), p.rect.width())
                    << "tag " << display->getTag() << " \"" << text << "\"";
            }
        }
    }
}

// A matrix slot shows its chosen source and target whole.
TEST_F(Pixels, MatrixMenuEntriesFitTheirBoxesAtSmall)
{
    openEditor();
    auto canvas = native::createImageCanvas(8, 8);
    CNativeDrawContext context(*canvas);
    for (long tag : {1037L, 1061L})
        for (const Placed& p : withTag(tag, "COptionMenu")) {
            auto* menu = dynamic_cast<COptionMenu*>(p.control);
            for (long entry = 0; entry < menu->getNbEntries(); ++entry)
                EXPECT_LE(context.getStringWidth(menu->getEntry(entry), menu->getFont()), p.rect.width())
                    << "\"" << menu->getEntry(entry) << "\"";
        }
}

TEST_F(Pixels, WithoutADataFolderTheEditorLooksAsWithAnEmptyOne)
{
    for (const wchar_t* theme : {L"Extended", L"Compact"}) {
        writeSettings(1, theme == std::wstring(L"Compact") ? "Compact" : "Extended");
        openEditor();
        native::RgbaPixels withFolder = renderView(frame());
        editor().close();
        plugin->dispatcher(effClose, 0, 0, nullptr, 0);
        plugin = nullptr;

        system.localData.clear();
        create().userSettings().theme = theme; // chosen in the theme menu, as there is no file
        openEditor();
        native::RgbaPixels withoutFolder = renderView(frame());
        ASSERT_EQ(withoutFolder.width, withFolder.width);
        ASSERT_EQ(withoutFolder.height, withFolder.height);
        EXPECT_TRUE(withoutFolder.bytes == withFolder.bytes);
        editor().close();
        plugin->dispatcher(effClose, 0, 0, nullptr, 0);
        plugin = nullptr;
        system.localData = folder.path / "appdata";
    }
}
