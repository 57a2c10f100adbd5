// A lamp: its rectangle filled with the on colour while the value is not 0, else the off colour.
#pragma once

#include "gui/CControl.h"

class OnOffDisplay : public CControl {
public:
    OnOffDisplay(const CRect& size, const CColor& onColor, const CColor& offColor, long tag = 0);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

private:
    CColor onColor;
    CColor offColor;
};
