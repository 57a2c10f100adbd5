// A selector of subPixmaps positions across its width: a click or drag picks the position under
// the pointer, value = position / (positions - 1). The bitmap holds one image per position,
// stacked, heightOfOneImage each.
#pragma once

#include "CControl.h"

class CHorizontalSwitch : public CControl {
public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps, CCoord heightOfOneImage,
                      long iMaxPositions, CBitmap* background, const CPoint& offset = CPoint());

    long positionForValue() const;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    void followPointer(const CPoint& where);

    long subPixmaps;
    CCoord heightOfOneImage;
    long maxPositions;
    CPoint offset;
};
