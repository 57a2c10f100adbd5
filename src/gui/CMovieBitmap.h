// Shows one frame of a vertical image strip chosen by the value; takes no input.
#pragma once

#include "CControl.h"

class CMovieBitmap : public CControl {
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                 const CPoint& offset = CPoint());
    CMovieBitmap(const CRect& size, CControlListener* listener, long tag, long subPixmaps, CCoord heightOfOneImage,
                 CBitmap* background, const CPoint& offset = CPoint());

    long frameForValue() const;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    long subPixmaps;
    CCoord heightOfOneImage;
    CPoint offset;
};
