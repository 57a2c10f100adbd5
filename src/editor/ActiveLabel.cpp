#include "editor/ActiveLabel.h"

#include "editor/TextStyling.h"

#include <cstring>

ActiveLabel::ActiveLabel(const CRect& area, const std::string& name, const ElementStyle& nameTextStyle,
                         const ElementStyle& valueTextStyle, long controlTag)
    : CTextLabel(area, name), nameText(name), nameStyle(nameTextStyle), valueStyle(valueTextStyle)
{
    setTag(controlTag);
    applyTextStyle(*this, nameTextStyle);
}

void ActiveLabel::showName()
{
    if (showingValue) {
        showingValue = false;
        applyTextColours(*this, nameStyle);
    }
    setText(nameText);
}

void ActiveLabel::showValue(const std::string& valueText)
{
    if (!showingValue) {
        showingValue = true;
        applyTextColours(*this, valueStyle);
    }
    setText(valueText);
}

CMouseEventResult ActiveLabel::onMouseDown(CPoint& /*where*/, const long& /*buttons*/)
{
    return kMouseEventNotHandled;
}

bool ActiveLabel::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ActiveLabel") == 0 || CTextLabel::isTypeOf(className);
}
