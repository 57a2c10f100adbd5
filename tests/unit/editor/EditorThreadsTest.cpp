// An open editor under a host that automates from another thread while the user-interface
// thread idles and draws, resets the engine and loads banks. Run under ThreadSanitizer in CI.
#include "EditorTestSupport.h"

#include "gui/HeadlessRender.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace editortest;

TEST_F(EditorFixture, AutomationFromAnotherThreadWhileTheWindowIdlesDrawsAndReloads)
{
    openEditor();
    std::atomic<bool> stop{false};
    std::thread automation([&] {
        float v = 0.0f;
        while (!stop.load()) {
            for (int i = 0; i < kNumParams; ++i)
                create().setParameter(i, v);
            v = v >= 1.0f ? 0.0f : v + 0.0625f;
        }
    });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int round = 0;
    while (std::chrono::steady_clock::now() < end) {
        editor().idle();
        native::RgbaPixels pixels = renderView(frame());
        ASSERT_EQ(pixels.width, 1168);
        if (++round % 4 == 0) {
            create().dispatcher(effMainsChanged, 0, 0, nullptr, 0); // engine reset
            create().dispatcher(effMainsChanged, 0, 1, nullptr, 0);
            create().loadDefaultBank();
        }
        if (round % 7 == 0) { // closing and reopening while values keep coming
            editor().close();
            openEditor();
        }
    }
    stop = true;
    automation.join();
    EXPECT_TRUE(editor().isOpen());
    editor().idle();
}
