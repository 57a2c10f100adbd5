#include "editor/IconMenu.h"

#include "gui/CBitmap.h"

#include <cstring>

IconMenu::IconMenu(const CRect& area, CControlListener* controlListener, long controlTag, ProgramStore& store,
                   CBitmap* icon)
    : ParamMenu(area, controlListener, controlTag, ElementStyle{}, store)
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
