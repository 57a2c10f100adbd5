#include "editor/ParamLabel.h"

#include "editor/TextStyling.h"
#include "editor/EditorHost.h"
#include "presets/MidiLearnCommands.h"

#include <cstring>

ParamLabel::ParamLabel(const CRect& area, const ElementStyle& style, const std::string& initialText,
                       EditorHost* commandTarget, long controlTag)
    : CTextLabel(area, initialText), target(commandTarget)
{
    setTag(controlTag);
    applyTextStyle(*this, style);
    setMouseEnabled(commandTarget != nullptr);
}

CMouseEventResult ParamLabel::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if (target && (buttons & kLButton))
        target->editorCommand(int(getTag()), (buttons & kControl) ? kClearAssignmentValue : 1.0f);
    return kMouseEventNotHandled;
}

bool ParamLabel::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ParamLabel") == 0 || CTextLabel::isTypeOf(className);
}
