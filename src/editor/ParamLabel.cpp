#include "editor/ParamLabel.h"

#include "editor/TextStyling.h"
#include "vst/AudioEffect.h"

#include <cstring>

ParamLabel::ParamLabel(const CRect& size, const ElementStyle& style, const std::string& text, AudioEffect* target,
                       long tag)
    : CTextLabel(size, text), target(target)
{
    setTag(tag);
    applyTextStyle(*this, style);
    setMouseEnabled(target != nullptr);
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
