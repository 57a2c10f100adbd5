// A message or question drawn inside the editor's own window, for systems without a dialog
// program: a dimmed panel over the whole editor with the title, the text and its buttons.
#pragma once

#include "gui/CView.h"
#include "platform/SystemServices.h"

#include <string>
#include <vector>

class MessageOverlay : public CView {
public:
    MessageOverlay(const CRect& size, const std::wstring& text, const std::wstring& title, MessageButtons buttons);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long onKeyDown(VstKeyCode& key) override;

    bool answered() const { return hasAnswer; }
    MessageAnswer answer() const { return chosen; }
    // The answer given by Escape, by a time-out or by the window going away.
    MessageAnswer refusal() const;
    // A button's place in frame coordinates; empty when the overlay has no such button.
    CRect buttonRect(MessageAnswer button) const;
    const std::string& titleText() const { return title; }
    const std::vector<std::string>& textLines() const { return lines; }

private:
    void choose(MessageAnswer answer);

    std::string title;
    std::vector<std::string> lines;
    std::vector<MessageAnswer> buttonAnswers;
    bool hasAnswer = false;
    MessageAnswer chosen = MessageAnswer::Cancel;
};
