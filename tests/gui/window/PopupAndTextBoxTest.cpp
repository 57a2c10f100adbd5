// Real pointer and key input (sent with xdotool) on the pop-up menu window and the text box.
#include "GuiTestSupport.h"
#include "WindowTestSupport.h"

#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "platform/NativeHostWindow.h"
#include "platform/linux/X11MenuLayout.h"

#include <cstdlib>
#include <string>

using guitest::RecordingListener;

namespace {

constexpr CRect kMenuRect(20, 20, 120, 40);
constexpr CRect kFieldRect(20, 100, 220, 124);

class RealInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xdotool is not installed";
        std::string error;
        // Without a window manager the window sits at the screen's top-left corner, so window
        // and screen coordinates agree.
        host = native::createHostWindow(300, 200, "input test", error);
        ASSERT_TRUE(host) << error;
        frame = new CFrame(CRect(0, 0, 300, 200), host->systemHandle());
        ASSERT_TRUE(frame->hasWindow()) << frame->windowError();
        menu = new COptionMenu(kMenuRect, &listener, 1012);
        for (const char* entry : {"Alpha", "Beta", "-", "Gamma"})
            menu->addEntry(entry);
        frame->addView(menu);
        field = new CTextEdit(kFieldRect, &listener, 1003, "Init");
        frame->addView(field);
        idle(5);
    }
    void TearDown() override
    {
        if (frame)
            frame->forget();
    }
    void idle(int times)
    {
        for (int i = 0; i < times; ++i) {
            frame->idle();
            host->processEvents();
        }
    }
    void xdotool(const std::string& arguments)
    {
        ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
    }
    void clickAt(const CRect& area)
    {
        xdotool("mousemove " + std::to_string((area.left + area.right) / 2) + " " +
                std::to_string((area.top + area.bottom) / 2) + " click 1");
    }
    bool idleUntilReported(size_t count)
    {
        return windowtest::idleUntil([&] { idle(1); }, [&] { return listener.reports.size() >= count; });
    }

    RecordingListener listener;
    std::unique_ptr<native::HostWindow> host;
    CFrame* frame = nullptr;
    COptionMenu* menu = nullptr;
    CTextEdit* field = nullptr;
};

} // namespace

TEST_F(RealInput, ClickOnThePopupChoosesTheEntryUnderIt)
{
    clickAt(kMenuRect);
    idle(5);
    // The menu opens below the control; entry 3 ("Gamma") comes after two rows and a separator.
    int top = kMenuRect.bottom + native::kMenuBorder + 2 * native::kMenuRowHeight + native::kMenuSeparatorHeight;
    clickAt(CRect(kMenuRect.left + 10, top, kMenuRect.left + 60, top + native::kMenuRowHeight));
    ASSERT_TRUE(idleUntilReported(3));
    EXPECT_EQ(listener.changes(), (std::vector<float>{3}));
    EXPECT_EQ(menu->textForValue(), "Gamma");
}

TEST_F(RealInput, EscapeAndAClickOutsideCloseThePopupWithoutAChoice)
{
    clickAt(kMenuRect);
    idle(5);
    xdotool("key Escape");
    idle(5);
    clickAt(kMenuRect);
    idle(5);
    clickAt(CRect(250, 150, 260, 160)); // outside the menu
    idle(5);
    EXPECT_TRUE(listener.reports.empty());
    // The frame gets clicks again: the menu is gone.
    clickAt(kMenuRect);
    idle(5);
    xdotool("key Escape");
    idle(5);
}

TEST_F(RealInput, TextBoxTakesTypingAndCommitsWithEnter)
{
    clickAt(kFieldRect);
    ASSERT_TRUE(windowtest::idleUntil([&] { idle(1); }, [&] { return field->isEditingText(); }));
    xdotool("type --delay 20 'Bass 2'");
    xdotool("key BackSpace key 3 key Return");
    ASSERT_TRUE(idleUntilReported(3));
    EXPECT_EQ(field->getText(), "Bass 3");
    EXPECT_EQ(listener.sequence(), "begin change end");
}

TEST_F(RealInput, EscapeCancelsTheTextBox)
{
    clickAt(kFieldRect);
    ASSERT_TRUE(windowtest::idleUntil([&] { idle(1); }, [&] { return field->isEditingText(); }));
    xdotool("type --delay 20 'xyz'");
    xdotool("key Escape");
    ASSERT_TRUE(idleUntilReported(2));
    EXPECT_EQ(field->getText(), "Init");
    EXPECT_EQ(listener.sequence(), "begin end");
}

TEST_F(RealInput, KeysTheHostForwardsReachTheOpenTextBox)
{
    clickAt(kFieldRect);
    ASSERT_TRUE(windowtest::idleUntil([&] { idle(1); }, [&] { return field->isEditingText(); }));
    for (VstKeyCode key : {VstKeyCode{'L', 0, 0}, VstKeyCode{'e', 0, 0}, VstKeyCode{'a', 0, 0},
                           VstKeyCode{0, VKEY_BACK, 0}, VstKeyCode{'d', 0, 0}, VstKeyCode{0, VKEY_RETURN, 0}})
        EXPECT_EQ(frame->onKeyDown(key), 1);
    idle(2);
    EXPECT_EQ(field->getText(), "Led");
    EXPECT_EQ(listener.sequence(), "begin change end");
}
