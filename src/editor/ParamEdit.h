// A text field in a theme style that opens for editing only on Ctrl+left click, so a plain
// click on the program name never starts typing by accident. A marker after the text can show
// that the program differs from its saved state.
#pragma once

#include "gui/CTextEdit.h"
#include "settings/ThemeStyle.h"

class ParamEdit : public CTextEdit {
public:
    ParamEdit(const CRect& size, CControlListener* listener, long tag, const ElementStyle& style);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    void draw(CDrawContext* context) override;
    void setMarked(bool marked);
    bool isMarked() const { return marked; }
    // The text drawn after the name while marked.
    static constexpr const char* kMarker = " *";
    bool isTypeOf(const char* className) const override;

private:
    bool marked = false;
};
