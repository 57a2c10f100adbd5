#include "../TextEditModel.h"

#include <algorithm>

namespace native {

namespace {
// The key codes VST hosts and our windows use.
enum Keys {
    kBack = 1,
    kReturn = 4,
    kEscape = 6,
    kEnd = 9,
    kHome = 10,
    kLeft = 11,
    kRight = 13,
    kEnter = 19,
    kDelete = 22
};
} // namespace

TextEditModel::TextEditModel(std::string text, size_t lengthLimit)
    : content(std::move(text)), maxLength(lengthLimit), caretAt(content.size())
{
    if (content.size() > maxLength)
        content.resize(maxLength);
    caretAt = content.size();
}

void TextEditModel::eraseSelection()
{
    size_t start = selectionStart();
    content.erase(start, selectionEnd() - start);
    caretAt = anchor = start;
}

void TextEditModel::insert(const std::string& typed)
{
    eraseSelection();
    std::string part = typed.substr(0, maxLength > content.size() ? maxLength - content.size() : 0);
    content.insert(caretAt, part);
    caretAt += part.size();
    anchor = caretAt;
}

void TextEditModel::backspace()
{
    if (!hasSelection() && caretAt > 0)
        anchor = caretAt - 1;
    eraseSelection();
}

void TextEditModel::deleteForward()
{
    if (!hasSelection() && caretAt < content.size())
        anchor = caretAt + 1;
    eraseSelection();
}

void TextEditModel::moveTo(size_t position, bool extend)
{
    caretAt = std::min(position, content.size());
    if (!extend)
        anchor = caretAt;
}

void TextEditModel::selectAll()
{
    anchor = 0;
    caretAt = content.size();
}

TextKeyResult TextEditModel::applyKey(const KeyEvent& key)
{
    const bool shift = key.modifiers & kShiftKey;
    switch (key.virtualKey) {
    case kReturn:
    case kEnter:
        return TextKeyResult::Commit;
    case kEscape:
        return TextKeyResult::Cancel;
    case kBack:
        backspace();
        return TextKeyResult::Changed;
    case kDelete:
        deleteForward();
        return TextKeyResult::Changed;
    case kHome:
        moveTo(0, shift);
        return TextKeyResult::Changed;
    case kEnd:
        moveTo(content.size(), shift);
        return TextKeyResult::Changed;
    case kLeft:
        // Without Shift an existing selection collapses to its start.
        moveTo(!shift && hasSelection() ? selectionStart() : (caretAt > 0 ? caretAt - 1 : 0), shift);
        return TextKeyResult::Changed;
    case kRight:
        moveTo(!shift && hasSelection() ? selectionEnd() : caretAt + 1, shift);
        return TextKeyResult::Changed;
    default:
        break;
    }
    if ((key.modifiers & kControlKey) && (key.character == 'a' || key.character == 'A' || key.character == 1)) {
        selectAll();
        return TextKeyResult::Changed;
    }
    if (key.character >= 32 && key.character != 127 && key.character < 256 && !(key.modifiers & kControlKey)) {
        insert(std::string(1, char(key.character)));
        return TextKeyResult::Changed;
    }
    return TextKeyResult::Ignored;
}

} // namespace native
