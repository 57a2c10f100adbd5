#include "editor/ParamDisplay.h"

#include "editor/TextStyling.h"

#include <cstring>

ParamDisplay::ParamDisplay(const CRect& area, const ElementStyle& textStyle, long controlTag, float initialValue)
    : CParamDisplay(area), style(textStyle)
{
    setTag(controlTag);
    setValue(initialValue);
    applyTextStyle(*this, textStyle);
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
