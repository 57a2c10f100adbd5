// The text, caret and selection of an inline editing box, and what each key does to them.
#pragma once

#include "NativeGuiTypes.h"

#include <cstddef>
#include <string>

namespace native {

enum class TextKeyResult { Changed, Commit, Cancel, Ignored };

class TextEditModel {
public:
    // Starts with the whole text selected, so typing replaces it.
    explicit TextEditModel(std::string text = {}, size_t maxLength = 255);

    const std::string& text() const { return content; }
    size_t caret() const { return caretAt; }
    size_t selectionStart() const { return std::min(caretAt, anchor); }
    size_t selectionEnd() const { return std::max(caretAt, anchor); }
    bool hasSelection() const { return caretAt != anchor; }

    // Replaces the selection; stops at the maximum length.
    void insert(const std::string& typed);
    void backspace();
    void deleteForward();
    // Moves the caret; extend keeps the anchor (Shift).
    void moveTo(size_t position, bool extend);
    void selectAll();
    // Enter commits, Escape cancels, editing keys change the model.
    TextKeyResult applyKey(const KeyEvent& key);

private:
    void eraseSelection();

    std::string content;
    size_t maxLength;
    size_t caretAt;
    size_t anchor = 0;
};

} // namespace native
