#include "editor/IconMenu.h"

#include "gui/CBitmap.h"

#include <cstring>

IconMenu::IconMenu(const CRect& size, CControlListener* listener, long tag, ProgramStore& programs, CBitmap* icon)
    : ParamMenu(size, listener, tag, ElementStyle{}, programs)
{
    setBackground(icon);
}

void IconMenu::draw(CDrawContext* context)
{
    if (getBackground())
        getBackground()->draw(context, getViewSize());
    setDirty(false);
}

bool IconMenu::isTypeOf(const char* className) const
{
    return std::strcmp(className, "IconMenu") == 0 || ParamMenu::isTypeOf(className);
}
