#include "editor/ParamMenu.h"

#include "editor/TextStyling.h"

#include <cstring>

ParamMenu::ParamMenu(const CRect& area, CControlListener* controlListener, long controlTag, const ElementStyle& style,
                     ProgramStore& store)
    : COptionMenu(area, controlListener, controlTag), programs(store)
{
    applyTextStyle(*this, style);
    setDefaultValue(0.0f);
}

void ParamMenu::prepareToOpen()
{
    checkEntryAlone(getCurrentIndex());
}

CMouseEventResult ParamMenu::onMouseDown(CPoint& where, const long& buttons)
{
    prepareToOpen();
    if ((buttons & (kLButton | kControl)) == (kLButton | kControl) && getListener() && choosesFirstOnCtrlClick()) {
        beginEdit();
        float before = getValue();
        setValue(getDefaultValue());
        if (getValue() != before)
            notifyValueChanged();
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    return COptionMenu::onMouseDown(where, buttons);
}

bool ParamMenu::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ParamMenu") == 0 || COptionMenu::isTypeOf(className);
}
