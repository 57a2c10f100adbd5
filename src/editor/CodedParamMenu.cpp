#include "editor/CodedParamMenu.h"

#include "params/ProgramStore.h"

CodedParamMenu::CodedParamMenu(const CRect& size, CControlListener* listener, long tag, const ElementStyle& style,
                               ProgramStore& programs, CodeKind kind, int parameter)
    : ParamMenu(size, listener, tag, style, programs), kind(kind), parameterIndex(parameter)
{
    for (int code = 0; code < codeCount(kind); ++code) {
        if (codeIsSeparator(kind, code)) {
            addSeparator();
        } else {
            const char* text = codeMenuText(kind, code);
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
