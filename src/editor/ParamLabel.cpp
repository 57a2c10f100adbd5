#include "editor/ParamLabel.h"

#include "editor/TextStyling.h"
#include "vst/AudioEffect.h"

#include <cstring>

ParamLabel::ParamLabel(const CRect& area, const ElementStyle& style, const std::string& initialText,
                       AudioEffect* targetEffect, long controlTag)
    : CTextLabel(area, initialText), target(targetEffect)
{
    setTag(controlTag);
    applyTextStyle(*this, style);
    setMouseEnabled(targetEffect != nullptr);
}

CMouseEventResult ParamLabel::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if (target && (buttons & kLButton))
        target->setParameter(VstInt32(getTag()), (buttons & kControl) ? 2.0f : 1.0f);
    return kMouseEventNotHandled;
}

bool ParamLabel::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ParamLabel") == 0 || CTextLabel::isTypeOf(className);
}
