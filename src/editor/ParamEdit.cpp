#include "editor/ParamEdit.h"

#include "editor/TextStyling.h"
#include "gui/CFrame.h"

#include <cstring>

ParamEdit::ParamEdit(const CRect& area, CControlListener* controlListener, long controlTag, const ElementStyle& style)
    : CTextEdit(area, controlListener, controlTag)
{
    applyTextStyle(*this, style);
}

CMouseEventResult ParamEdit::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if ((buttons & (kLButton | kControl)) != (kLButton | kControl))
        return kMouseEventNotHandled;
    CFrame* frame = getFrame();
    if (!frame || frame->getFocusView() == this || isEditingText())
        return kMouseEventNotHandled;
    beginEdit();
    frame->setFocusView(this);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void ParamEdit::draw(CDrawContext* context)
{
    if (!marked || isEditingText()) {
        CTextEdit::draw(context);
        return;
    }
    drawText(context, getText() + kMarker);
    setDirty(false);
}

void ParamEdit::setMarked(bool mark)
{
    if (mark != marked) {
        marked = mark;
        setDirty();
    }
}

bool ParamEdit::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ParamEdit") == 0 || CTextEdit::isTypeOf(className);
}
