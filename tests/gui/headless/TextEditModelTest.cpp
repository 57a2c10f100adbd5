// The inline editing box's text, caret and selection under keys.
#include "platform/TextEditModel.h"

#include <gtest/gtest.h>

using native::KeyEvent;
using native::TextEditModel;
using native::TextKeyResult;

namespace {
KeyEvent typed(char c)
{
    return {static_cast<unsigned char>(c), 0, 0};
}
KeyEvent key(int virtualKey, unsigned modifiers = 0)
{
    return {0, virtualKey, modifiers};
}
enum { kBack = 1, kReturn = 4, kEscape = 6, kEnd = 9, kHome = 10, kLeft = 11, kRight = 13, kDelete = 22 };
} // namespace

TEST(TextEditModel, KeysEditTheTextAroundTheCaret)
{
    struct Case {
        const char* name;
        std::vector<KeyEvent> keys;
        std::string expected;
    } cases[] = {
        {"typing replaces the initial selection", {typed('N'), typed('e'), typed('w')}, "New"},
        {"End keeps the text", {key(kEnd), typed('!')}, "Pad 1!"},
        {"Home then Delete", {key(kHome), key(kDelete)}, "ad 1"},
        {"Backspace at the end", {key(kEnd), key(kBack), key(kBack)}, "Pad"},
        {"Left collapses the selection", {key(kLeft), typed('X')}, "XPad 1"},
        {"Shift+Left selects",
         {key(kEnd), key(kLeft, native::kShiftKey), key(kLeft, native::kShiftKey), typed('2')},
         "Pad2"},
        {"Right then Backspace", {key(kHome), key(kRight), key(kBack)}, "ad 1"},
        {"Backspace at the start does nothing", {key(kHome), key(kBack)}, "Pad 1"},
    };
    for (const Case& c : cases) {
        TextEditModel model("Pad 1");
        for (const KeyEvent& k : c.keys)
            EXPECT_EQ(model.applyKey(k), TextKeyResult::Changed) << c.name;
        EXPECT_EQ(model.text(), c.expected) << c.name;
    }
}

TEST(TextEditModel, EnterCommitsEscapeCancelsAndLengthIsLimited)
{
    TextEditModel model("abc", 5);
    EXPECT_EQ(model.applyKey(key(kReturn)), TextKeyResult::Commit);
    EXPECT_EQ(model.applyKey(key(kEscape)), TextKeyResult::Cancel);
    model.moveTo(3, false);
    model.insert("defgh");
    EXPECT_EQ(model.text(), "abcde");
    EXPECT_EQ(model.applyKey(typed('\x01')), TextKeyResult::Ignored) << "control characters are not typed";
    EXPECT_EQ(TextEditModel(std::string(300, 'x')).text().size(), 255u);
}
