// The message box drawn inside the editor's window when the system has no dialog program: it
// never holds the host's thread, and each editor asks in its own window.
#include "editor/MessageOverlay.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

using editortest::EditorFixture;

namespace {

void click(CFrame& frame, const CRect& place)
{
    CPoint where((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    frame.onMouseDown(where, kLButton);
    frame.onMouseUp(where, kLButton);
}

// Clicks a button of the panel the editor shows, then lets the host's idle come.
void answer(Editor& editor, MessageAnswer button)
{
    ASSERT_NE(editor.shownQuestion(), nullptr);
    click(*editor.getFrame(), editor.shownQuestion()->buttonRect(button));
    editor.idle();
}

} // namespace

TEST(MessageOverlay, ShowsTheTextsAndAnswersTheClickedButtonOrTheKey)
{
    struct Case {
        MessageButtons buttons;
        MessageAnswer clicked; // Escape and Return stand for themselves; Unavailable: a miss
        int key;
        MessageAnswer expected;
    };
    const Case cases[] = {
        {MessageButtons::Ok, MessageAnswer::Ok, 0, MessageAnswer::Ok},
        {MessageButtons::YesNo, MessageAnswer::Yes, 0, MessageAnswer::Yes},
        {MessageButtons::YesNoCancel, MessageAnswer::No, 0, MessageAnswer::No},
        {MessageButtons::YesNoCancel, MessageAnswer::Cancel, 0, MessageAnswer::Cancel},
        {MessageButtons::YesNo, MessageAnswer::Unavailable, VKEY_ESCAPE, MessageAnswer::No},
        {MessageButtons::YesNoCancel, MessageAnswer::Unavailable, VKEY_ESCAPE, MessageAnswer::Cancel},
        {MessageButtons::YesNo, MessageAnswer::Unavailable, VKEY_RETURN, MessageAnswer::Yes},
    };
    for (const Case& c : cases) {
        CFrame frame(CRect(0, 0, 600, 400), nullptr);
        auto* overlay = new MessageOverlay(
            frame.getViewSize(), L"Initialize the bank?\r\nSelect No to use the defaults.", L"Bank", c.buttons);
        frame.addView(overlay);
        frame.setFocusView(overlay);
        EXPECT_EQ(overlay->titleText(), "Bank");
        EXPECT_EQ(overlay->textLines(),
                  (std::vector<std::string>{"Initialize the bank?", "Select No to use the defaults."}));
        click(frame, CRect(0, 0, 4, 4)); // outside the buttons: no answer
        EXPECT_FALSE(overlay->answered());
        if (c.key) {
            VstKeyCode key{};
            key.virt = static_cast<unsigned char>(c.key);
            frame.onKeyDown(key);
        } else {
            click(frame, overlay->buttonRect(c.clicked));
        }
        EXPECT_TRUE(overlay->answered());
        EXPECT_EQ(overlay->answer(), c.expected) << int(c.buttons) << " key " << c.key;
    }
}

TEST_F(EditorFixture, AQuestionInTheWindowReturnsAtOnceAndItsCommandGoesOnAtIdle)
{
    system.noDialogProgram = true;
    Editor& ed = openEditor();
    ProgramStore& store = plugin->programStore();
    const float defaultVolume = kParamTable[Param::Volume].defaultValue;
    plugin->setParameter(Param::Volume, 0.1f);

    // Initialize Preset: the command returns with the question on screen and nothing done yet.
    plugin->instrument().editorCommand(1005, 5.0f);
    ASSERT_NE(ed.shownQuestion(), nullptr);
    EXPECT_EQ(ed.shownQuestion()->titleText(), "Initialize Preset");
    EXPECT_EQ(store.value(Param::Volume), 0.1f);
    ed.idle(); // idles without an answer change nothing
    EXPECT_EQ(store.value(Param::Volume), 0.1f);
    answer(ed, MessageAnswer::No);
    EXPECT_EQ(ed.shownQuestion(), nullptr);
    EXPECT_EQ(store.value(Param::Volume), 0.1f);

    // Two commands in a row: the second question waits for the first answer.
    plugin->instrument().editorCommand(1005, 5.0f);
    plugin->instrument().editorCommand(1005, 9.0f); // Initialize Bank
    EXPECT_EQ(ed.shownQuestion()->titleText(), "Initialize Preset");
    answer(ed, MessageAnswer::Yes);
    EXPECT_EQ(store.value(Param::Volume), defaultVolume);
    ASSERT_NE(ed.shownQuestion(), nullptr);
    EXPECT_EQ(ed.shownQuestion()->titleText(), "Initialize Bank");
    store.record(40).set(Param::Volume, 0.2f);
    answer(ed, MessageAnswer::Cancel);
    EXPECT_EQ(store.record(40).get(Param::Volume), 0.2f);

    // A question still open when the window closes is refused, and the next window is clear.
    plugin->instrument().editorCommand(1005, 9.0f);
    ASSERT_NE(ed.shownQuestion(), nullptr);
    ed.close();
    EXPECT_EQ(ed.shownQuestion(), nullptr);
    EXPECT_EQ(store.record(40).get(Param::Volume), 0.2f);
    ASSERT_TRUE(ed.openHeadless());
    ed.idle();
    EXPECT_EQ(ed.shownQuestion(), nullptr);
    EXPECT_EQ(store.record(40).get(Param::Volume), 0.2f);
}

TEST_F(EditorFixture, EachEditorAsksInItsOwnWindow)
{
    system.noDialogProgram = true;
    Editor& first = openEditor();
    Plugin* other = static_cast<Plugin*>(AudioEffect::fromAeffect(createEffectInstance(editortest::host)));
    Editor& second = *other->pluginEditor();
    ASSERT_TRUE(second.openHeadless());
    plugin->setParameter(Param::Volume, 0.1f);

    plugin->instrument().editorCommand(1005, 5.0f);
    EXPECT_NE(first.shownQuestion(), nullptr);
    EXPECT_EQ(second.shownQuestion(), nullptr) << "instance 1 asked in instance 2's window";
    // The other window closing takes nothing from the first.
    second.close();
    answer(first, MessageAnswer::Yes);
    EXPECT_EQ(plugin->getParameter(Param::Volume), kParamTable[Param::Volume].defaultValue);

    // And the second instance asks in its own window again once reopened.
    ASSERT_TRUE(second.openHeadless());
    other->setParameter(Param::Volume, 0.3f);
    other->instrument().editorCommand(1005, 5.0f);
    EXPECT_EQ(first.shownQuestion(), nullptr);
    answer(second, MessageAnswer::Yes);
    EXPECT_EQ(other->getParameter(Param::Volume), kParamTable[Param::Volume].defaultValue);
    other->dispatcher(effClose, 0, 0, nullptr, 0);
}
