// Mouse, wheel and key input through the frame's dispatch, as a window delivers it.
#include "GuiTestSupport.h"

#include "gui/CAnimKnob.h"
#include "gui/CFrame.h"
#include "gui/CKickButton.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CTabView.h"
#include "gui/CTextEdit.h"

#include <gtest/gtest.h>

using guitest::RecordingListener;

namespace {

class Gestures : public ::testing::Test {
protected:
    void SetUp() override { CKnob::setKnobMode(kLinearMode); }
    void TearDown() override { frame->forget(); }

    CAnimKnob* addKnob(float value, float defaultValue = 0.5f)
    {
        auto* knob = new CAnimKnob(CRect(20, 20, 84, 84), &listener, 7, nullptr);
        knob->setValue(value);
        knob->setDefaultValue(defaultValue);
        knob->setWheelInc(0.025f);
        frame->addView(knob);
        return knob;
    }
    void press(int x, int y, long buttons)
    {
        CPoint p(x, y);
        frame->onMouseDown(p, buttons);
    }
    void move(int x, int y, long buttons = kLButton)
    {
        CPoint p(x, y);
        frame->onMouseMoved(p, buttons);
    }
    void release(int x, int y)
    {
        CPoint p(x, y);
        frame->onMouseUp(p, kLButton);
    }
    void drag(int fromY, int toY, long buttons)
    {
        press(50, fromY, buttons);
        for (int step = 1; step <= 4; ++step)
            move(50, fromY + (toY - fromY) * step / 4, buttons);
        release(50, toY);
    }

    RecordingListener listener;
    CFrame* frame = new CFrame(CRect(0, 0, 200, 200), nullptr);
};

} // namespace

TEST_F(Gestures, LinearDragMovesHalfARangePerHundredPixelsAndTwentyTimesFinerWithShift)
{
    struct {
        long modifiers;
        float expected;
    } cases[] = {{0, 0.7f}, {kShift, 0.225f}};
    for (const auto& c : cases) {
        CAnimKnob* knob = addKnob(0.2f);
        listener.reports.clear();
        drag(60, -40, kLButton | c.modifiers); // 100 pixels up
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-5) << "modifiers " << c.modifiers;
        EXPECT_EQ(listener.sequence(), "begin change change change change end");
        frame->removeView(knob);
    }
}

TEST_F(Gestures, DragStopsAtTheEndsOfTheRange)
{
    CAnimKnob* knob = addKnob(0.9f);
    drag(60, -300, kLButton);
    EXPECT_EQ(knob->getValue(), 1.0f);
    drag(60, 600, kLButton);
    EXPECT_EQ(knob->getValue(), 0.0f);
}

TEST_F(Gestures, AltDragFollowsTheAngleAroundTheKnob)
{
    CAnimKnob* knob = addKnob(0.0f);
    press(52, 52, kLButton | kAlt); // centre of the knob
    move(52, 0, kLButton | kAlt);   // straight up: the middle of the sweep
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.02f);
    move(100, 52, kLButton | kAlt); // 3 o'clock: five sixths of the way
    EXPECT_NEAR(knob->getValue(), 5.0f / 6.0f, 0.02f);
    release(100, 52);
}

TEST_F(Gestures, DoubleClickAndCtrlClickResetToTheDefaultOnlyWhenItDiffers)
{
    for (long gesture : {long(kLButton | kDoubleClick), long(kLButton | kControl)}) {
        CAnimKnob* knob = addKnob(0.3f, 0.5f);
        listener.reports.clear();
        press(50, 50, gesture);
        release(50, 50);
        EXPECT_EQ(knob->getValue(), 0.5f);
        EXPECT_EQ(listener.sequence(), "begin change end") << "gesture " << gesture;
        listener.reports.clear();
        press(50, 50, gesture);
        release(50, 50);
        EXPECT_EQ(listener.sequence(), "") << "already at the default: nothing to report";
        frame->removeView(knob);
    }
}

TEST_F(Gestures, WheelStepsByTheIncrementAndStopsAtOne)
{
    CAnimKnob* knob = addKnob(0.99f);
    frame->onWheel(CPoint(50, 50), 1, 0);
    EXPECT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(listener.sequence(), "begin change end");
    listener.reports.clear();
    frame->onWheel(CPoint(50, 50), 1, 0);
    EXPECT_EQ(listener.sequence(), "");
    frame->onWheel(CPoint(50, 50), -2, kShift);
    EXPECT_NEAR(knob->getValue(), 0.995f, 1e-6);
}

TEST_F(Gestures, ArrowKeysStepTheKnobUnderThePointer)
{
    CAnimKnob* knob = addKnob(0.5f);
    move(50, 50, 0);
    struct {
        unsigned char key;
        float expected;
    } steps[] = {{VKEY_UP, 0.525f}, {VKEY_RIGHT, 0.55f}, {VKEY_DOWN, 0.525f}, {VKEY_LEFT, 0.5f}};
    for (const auto& step : steps) {
        VstKeyCode key{0, step.key, 0};
        EXPECT_EQ(frame->onKeyDown(key), 1);
        EXPECT_NEAR(knob->getValue(), step.expected, 1e-6) << int(step.key);
    }
    VstKeyCode other{'x', 0, 0};
    EXPECT_EQ(frame->onKeyDown(other), -1);
}

TEST_F(Gestures, KickButtonReportsOneThenZero)
{
    auto* kick = new CKickButton(CRect(10, 10, 26, 26), &listener, 1001, nullptr);
    frame->addView(kick);
    press(15, 15, kLButton);
    release(15, 15);
    EXPECT_EQ(listener.changes(), (std::vector<float>{1, 0}));
    EXPECT_EQ(listener.sequence(), "begin change change end");
}

TEST_F(Gestures, HorizontalSwitchPicksThePositionUnderThePointer)
{
    auto* selector = new CHorizontalSwitch(CRect(0, 0, 100, 20), &listener, 5, 5, 20, 5, nullptr);
    frame->addView(selector);
    press(5, 10, kLButton);
    move(65, 10);
    move(99, 10);
    release(99, 10);
    // The first position is the value it already had: nothing to report there.
    EXPECT_EQ(listener.changes(), (std::vector<float>{0.75f, 1.0f}));
}

TEST_F(Gestures, TabButtonSelectsItsPage)
{
    auto* tabs = new CTabView(CRect(0, 100, 200, 200), nullptr, kPositionBottom, 24);
    for (int i = 0; i < 3; ++i) {
        // 70 pixels wide images give 64-pixel buttons.
        CBitmap* image = guitest::makeStrip(70, 24, 2, [](int) { return native::Color{9, 9, 9, 255}; });
        tabs->addTab(new CViewContainer(CRect(0, 0, 200, 76)), image);
        image->forget();
    }
    frame->addView(tabs);
    EXPECT_EQ(tabs->tabButtonRect(1), CRect(64, 176, 128, 200));
    press(130, 190, kLButton); // third button
    EXPECT_EQ(tabs->getCurrentSelectedTab(), 2);
    press(10, 190, kLButton);
    EXPECT_EQ(tabs->getCurrentSelectedTab(), 0);
    EXPECT_FALSE(tabs->getTab(2)->isVisible());
}

TEST_F(Gestures, RemovingTheDraggedViewEndsTheDragSafely)
{
    CAnimKnob* knob = addKnob(0.2f);
    press(50, 50, kLButton);
    frame->removeView(knob);
    move(50, 10);
    release(50, 10);
    EXPECT_EQ(frame->getMouseCaptureView(), nullptr);
}

TEST_F(Gestures, TextEditWithoutAWindowEndsItsGestureAtOnce)
{
    auto* field = new CTextEdit(CRect(10, 10, 110, 30), &listener, 1003, "Name");
    frame->addView(field);
    press(20, 20, kLButton);
    EXPECT_EQ(listener.sequence(), "begin end");
    EXPECT_FALSE(field->isEditingText());
    EXPECT_EQ(field->getText(), "Name");
}
