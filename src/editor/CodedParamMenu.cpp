#include "editor/CodedParamMenu.h"

#include "params/ProgramStore.h"

CodedParamMenu::CodedParamMenu(const CRect& area, CControlListener* controlListener, long controlTag,
                               const ElementStyle& style, ProgramStore& store, CodeKind codeKind, int parameter)
    : ParamMenu(area, controlListener, controlTag, style, store), kind(codeKind), parameterIndex(parameter)
{
    for (int code = 0; code < codeCount(codeKind); ++code) {
        if (codeIsSeparator(codeKind, code)) {
            addSeparator();
        } else {
            const char* text = codeMenuText(codeKind, code);
            addEntry(text ? text : "");
        }
    }
}

void CodedParamMenu::prepareToOpen()
{
    // The mark follows the program itself, whatever the menu last showed.
    if (parameterIndex >= 0)
        checkEntryAlone(menuEntryForValue(kind, programs.current().get(parameterIndex)));
}
