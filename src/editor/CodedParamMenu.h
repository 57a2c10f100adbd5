// The menu of a coded parameter (waveforms, filter types, modulation sources and targets): its
// entries and separators are the code table's, so an entry index is the parameter's code.
#pragma once

#include "editor/ParamMenu.h"
#include "params/CodeTables.h"

class CodedParamMenu : public ParamMenu {
public:
    CodedParamMenu(const CRect& size, CControlListener* listener, long tag, const ElementStyle& style,
                   ProgramStore& programs, CodeKind kind, int parameter);

    CodeKind codeKind() const { return kind; }
    int parameter() const { return parameterIndex; }
    // The entry a stored parameter value shows.
    void showStoredValue(float stored) { setValue(float(menuEntryForValue(kind, stored))); }

protected:
    void prepareToOpen() override;

private:
    CodeKind kind;
    int parameterIndex;
};
