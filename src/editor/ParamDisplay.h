// A parameter's value as text in a theme style; the editor gives it the text procedure.
#pragma once

#include "gui/CParamDisplay.h"
#include "settings/ThemeStyle.h"

class ParamDisplay : public CParamDisplay {
public:
    ParamDisplay(const CRect& size, const ElementStyle& style, long tag, float initialValue = 0.0f);

    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

private:
    ElementStyle style;
};
