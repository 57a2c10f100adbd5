#include "editor/ActiveLabel.h"

#include "editor/TextStyling.h"

#include <cstring>

ActiveLabel::ActiveLabel(const CRect& size, const std::string& name, const ElementStyle& nameStyle,
                         const ElementStyle& valueStyle, long tag)
    : CTextLabel(size, name), nameText(name), nameStyle(nameStyle), valueStyle(valueStyle)
{
    setTag(tag);
    applyTextStyle(*this, nameStyle);
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
