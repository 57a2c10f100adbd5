// A text field: a left click begins an edit and opens the system's editing box over the field.
// Enter or a click elsewhere commits: the text is set and the listener's valueChanged called;
// Escape cancels. Both end the edit.
#pragma once

#include "CTextLabel.h"

class CTextEdit : public CTextLabel {
public:
    CTextEdit(const CRect& size, CControlListener* listener, long tag, const std::string& text = "",
              CBitmap* background = nullptr);
    ~CTextEdit() override;

    // True while the editing box is open.
    bool isEditingText() const { return boxOpen; }
    // Longest text the box accepts (bytes).
    void setMaxLength(size_t length) { maxLength = length; }

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // Opens the editing box (the frame calls it when the field gets the focus).
    void takeFocus() override;
    // Commits an open box.
    void looseFocus() override;
    // While the box is open, keys forwarded by the host go into it.
    long onKeyDown(VstKeyCode& key) override;
    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

private:
    void finishEditing(bool committed, const std::string& newText);

    bool boxOpen = false;
    size_t maxLength = 255;
};
