#include "editor/OnOffDisplay.h"

#include "gui/CDrawContext.h"

#include <cstring>

OnOffDisplay::OnOffDisplay(const CRect& size, const CColor& onColor, const CColor& offColor, long tag)
    : CControl(size, nullptr, tag), onColor(onColor), offColor(offColor)
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
