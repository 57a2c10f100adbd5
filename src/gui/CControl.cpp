#include "CControl.h"

#include "AEffGUIEditor.h"
#include "CFrame.h"

#include <cstring>

CControl::CControl(const CRect& area, CControlListener* controlListener, long controlTag, CBitmap* backgroundImage)
    : CView(area), listener(controlListener), tag(controlTag)
{
    setBackground(backgroundImage);
}

void CControl::setValue(float newValue)
{
    value.store(newValue, std::memory_order_relaxed);
}

void CControl::beginEdit()
{
    editing = true;
    if (listener)
        listener->controlBeginEdit(this);
    if (CFrame* frame = getFrame(); frame && frame->getEditor())
        frame->getEditor()->beginEdit(tag);
}

void CControl::endEdit()
{
    editing = false;
    if (CFrame* frame = getFrame(); frame && frame->getEditor())
        frame->getEditor()->endEdit(tag);
    if (listener)
        listener->controlEndEdit(this);
}

bool CControl::checkDefaultValue(long buttons)
{
    if ((buttons & (kLButton | kControl)) != (kLButton | kControl) || (buttons & (kRButton | kMButton)))
        return false;
    resetToDefault();
    return true;
}

void CControl::resetToDefault()
{
    if (getValue() == defaultValue)
        return;
    beginEdit();
    setValue(defaultValue);
    notifyValueChanged();
    endEdit();
}

void CControl::notifyValueChanged()
{
    if (listener)
        listener->valueChanged(this);
}

bool CControl::isDirty() const
{
    return CView::isDirty() || getValue() != lastDrawnValue;
}

void CControl::setDirty(bool newDirty)
{
    CView::setDirty(newDirty);
    if (!newDirty)
        lastDrawnValue = getValue();
}

bool CControl::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CControl") == 0 || CView::isTypeOf(className);
}
