// The message box drawn inside the editor's window when the system has no dialog program.
#include "editor/MessageOverlay.h"
#include "gui/CFrame.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

void click(CFrame& frame, const CRect& place)
{
    CPoint where((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    frame.onMouseDown(where, kLButton);
    frame.onMouseUp(where, kLButton);
}

} // namespace

TEST(MessageOverlay, ShowsTheTextsAndAnswersTheClickedButton)
{
    struct Case {
        MessageButtons buttons;
        MessageAnswer clicked;
        std::vector<const char*> labels;
    };
    const Case cases[] = {
        {MessageButtons::Ok, MessageAnswer::Ok, {"OK"}},
        {MessageButtons::YesNo, MessageAnswer::Yes, {"Yes", "No"}},
        {MessageButtons::YesNoCancel, MessageAnswer::Yes, {"Yes", "No", "Cancel"}},
        {MessageButtons::YesNoCancel, MessageAnswer::Cancel, {"Yes", "No", "Cancel"}},
    };
    for (const Case& c : cases) {
        CFrame frame(CRect(0, 0, 600, 400), nullptr);
        int rounds = 0;
        MessageAnswer answer = askInFrame(
            frame, L"Initialize the bank?\r\nSelect No to use the defaults.", L"Bank", c.buttons, [] { return true; },
            5s,
            [&](MessageOverlay& overlay) {
                ++rounds;
                EXPECT_EQ(overlay.titleText(), "Bank");
                EXPECT_EQ(overlay.textLines(),
                          (std::vector<std::string>{"Initialize the bank?", "Select No to use the defaults."}));
                // The click lands on the overlay even though it was added over the editor.
                EXPECT_TRUE(frame.isChild(&overlay));
                click(frame, overlay.buttonRect(c.clicked));
            });
        EXPECT_EQ(answer, c.clicked) << c.labels.back();
        EXPECT_EQ(rounds, 1);
        EXPECT_EQ(frame.getNbViews(), 0) << "the overlay stays behind";
    }
}

TEST(MessageOverlay, EscapeTimeOutAndAClosedWindowRefuse)
{
    CFrame frame(CRect(0, 0, 600, 400), nullptr);
    auto escape = [&](MessageOverlay&) {
        VstKeyCode key;
        key.virt = VKEY_ESCAPE;
        frame.onKeyDown(key);
    };
    auto open = [] { return true; };
    EXPECT_EQ(askInFrame(frame, L"Q", L"T", MessageButtons::YesNo, open, 5s, escape), MessageAnswer::No);
    EXPECT_EQ(askInFrame(frame, L"Q", L"T", MessageButtons::YesNoCancel, open, 5s, escape), MessageAnswer::Cancel);
    EXPECT_EQ(askInFrame(frame, L"Q", L"T", MessageButtons::YesNoCancel, open, 30ms), MessageAnswer::Cancel);
    EXPECT_EQ(frame.getNbViews(), 0);
    // A click outside the buttons answers nothing.
    auto miss = [&](MessageOverlay&) { click(frame, CRect(0, 0, 4, 4)); };
    EXPECT_EQ(askInFrame(frame, L"Q", L"T", MessageButtons::YesNo, open, 40ms, miss), MessageAnswer::No);
}
