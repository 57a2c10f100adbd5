// The test plug-in's editor in a real window on a virtual display, driven through the dispatcher
// as hosts drive it.
#include "DemoControls.h"
#include "WindowTestSupport.h"

#include "platform/NativeHostWindow.h"

#include <cstdint>

using windowtest::LoadedTestPlugin;

namespace {

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin.effect) << dlerror();
        std::string error;
        host = native::createHostWindow(kDemoWidth, kDemoHeight, "editor test", error);
        ASSERT_TRUE(host) << error;
    }
    void idle(int times)
    {
        for (int i = 0; i < times; ++i) {
            plugin.dispatch(effEditIdle);
            host->processEvents();
        }
    }
    native::RgbaPixels capture()
    {
        native::RgbaPixels pixels;
        std::string error;
        EXPECT_TRUE(host->capture(pixels, error)) << error;
        return pixels;
    }

    LoadedTestPlugin plugin;
    std::unique_ptr<native::HostWindow> host;
};

} // namespace

TEST_F(EditorWindow, ReportsItsSizeBeforeOpeningAndDrawsInsideTheHostWindow)
{
    ERect* rect = nullptr;
    ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->right - rect->left, kDemoWidth);
    EXPECT_EQ(rect->bottom - rect->top, kDemoHeight);
    for (int round = 0; round < 2; ++round) { // open, close, and open again
        ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, host->systemHandle()), 1);
        bool drawn = windowtest::idleUntil([&] { idle(1); },
                                           [&] {
                                               return capture().at(470, 120) == native::Color{34, 36, 44, 255};
                                           });
        EXPECT_TRUE(drawn) << "round " << round << ": the panel's background never showed";
        native::RgbaPixels pixels = capture();
        native::Color knobFace = pixels.at(kDemoKnobRect.left + 12, kDemoKnobRect.top + 30);
        EXPECT_EQ(knobFace, (native::Color{70, 70, 78, 255})) << "round " << round;
        EXPECT_EQ(plugin.dispatch(effEditClose), 1);
    }
}

TEST_F(EditorWindow, SurvivesTwoHundredOpenCloseCycles)
{
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, host->systemHandle()), 1) << "cycle " << cycle;
        idle(cycle % 3); // also closing without ever idling
        plugin.dispatch(effEditClose);
    }
    // Open twice without a close between, as some hosts do.
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, host->systemHandle()), 1);
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, host->systemHandle()), 1);
    idle(2);
    plugin.dispatch(effEditClose);
}

TEST_F(EditorWindow, RefusesNullAndUnknownParentsAndToleratesCallsWhileClosed)
{
    plugin.dispatch(effEditClose);
    plugin.dispatch(effEditIdle);
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 'a', 0, nullptr, 0), 0);
    EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x7ffffff0))), 0);
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
    EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, host->systemHandle()), 1) << "a good parent still works after";
    idle(2);
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 0, VKEY_UP, nullptr, 0), 0) << "no view under the pointer takes it";
    plugin.dispatch(effEditClose);
}
