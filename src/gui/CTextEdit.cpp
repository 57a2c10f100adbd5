#include "CTextEdit.h"

#include "CFontDesc.h"
#include "CFrame.h"

#include <cstring>

CTextEdit::CTextEdit(const CRect& area, CControlListener* controlListener, long controlTag,
                     const std::string& initialText, CBitmap* backgroundImage)
    : CTextLabel(area, initialText, backgroundImage)
{
    setListener(controlListener);
    setTag(controlTag);
}

CTextEdit::~CTextEdit() = default;

CMouseEventResult CTextEdit::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    CFrame* frame = getFrame();
    if (!frame || frame->getFocusView() == this)
        return kMouseEventNotHandled;
    beginEdit();
    frame->setFocusView(this);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::takeFocus()
{
    CFrame* frame = getFrame();
    if (!frame || boxOpen)
        return;
    native::TextEditRequest request;
    CRect area = size;
    request.rect = toNative(localToFrame(area));
    request.text = getText();
    request.font = (font ? font : kNormalFont)->fontSpec();
    request.textColor = toNative(fontColor.alpha ? fontColor : kBlackCColor);
    request.backColor = toNative(backColor.alpha ? backColor : kWhiteCColor);
    request.align = horiAlign == kLeftText    ? native::TextAlign::Left
                    : horiAlign == kRightText ? native::TextAlign::Right
                                              : native::TextAlign::Center;
    // The callback can outlive this view only inside the window, which the frame closes first.
    boxOpen = frame->beginTextEdit(
        request, [this](bool committed, const std::string& newText) { finishEditing(committed, newText); });
    if (!boxOpen) {
        if (isEditing())
            endEdit();
        if (frame->getFocusView() == this)
            frame->setFocusView(nullptr);
    }
    setDirty();
}

void CTextEdit::looseFocus()
{
    if (boxOpen)
        if (CFrame* frame = getFrame())
            frame->endTextEdit(true);
}

long CTextEdit::onKeyDown(VstKeyCode& key)
{
    CFrame* frame = getFrame();
    return boxOpen && frame && frame->textEditKey(key) ? 1 : -1;
}

void CTextEdit::finishEditing(bool committed, const std::string& newText)
{
    boxOpen = false;
    if (committed) {
        setText(newText.substr(0, maxLength));
        notifyValueChanged();
    }
    if (isEditing())
        endEdit();
    CFrame* frame = getFrame();
    if (frame && frame->getFocusView() == this)
        frame->setFocusView(nullptr);
    setDirty();
}

void CTextEdit::draw(CDrawContext* context)
{
    // The open box covers the field; drawing the old text under it would only flicker.
    drawText(context, boxOpen ? std::string() : getText());
    setDirty(false);
}

bool CTextEdit::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextEdit") == 0 || CTextLabel::isTypeOf(className);
}
