#include "editor/ParamDisplay.h"

#include "editor/TextStyling.h"

#include <cstring>

ParamDisplay::ParamDisplay(const CRect& size, const ElementStyle& style, long tag, float initialValue)
    : CParamDisplay(size), style(style)
{
    setTag(tag);
    setValue(initialValue);
    applyTextStyle(*this, style);
    // Takes no clicks: the invisible knob above it does the work.
    setMouseEnabled(false);
}

bool ParamDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ParamDisplay") == 0 || CParamDisplay::isTypeOf(className);
}

CView* ParamDisplay::newCopy() const
{
    auto* copy = new ParamDisplay(getViewSize(), style, getTag(), getValue());
    copy->setValueToStringProc(valueToString, valueToStringUserData);
    return copy;
}
