#include "editor/OnOffDisplay.h"

#include "gui/CDrawContext.h"

#include <cstring>

OnOffDisplay::OnOffDisplay(const CRect& area, const CColor& colorOn, const CColor& colorOff, long controlTag)
    : CControl(area, nullptr, controlTag), onColor(colorOn), offColor(colorOff)
{
    setMouseEnabled(false);
}

void OnOffDisplay::draw(CDrawContext* context)
{
    context->fillRect(getViewSize(), getValue() != 0.0f ? onColor : offColor);
    setDirty(false);
}

bool OnOffDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "OnOffDisplay") == 0 || CControl::isTypeOf(className);
}

CView* OnOffDisplay::newCopy() const
{
    auto* copy = new OnOffDisplay(getViewSize(), onColor, offColor, getTag());
    copy->setValue(getValue());
    return copy;
}
