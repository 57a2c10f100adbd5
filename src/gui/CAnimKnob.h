// A knob drawn as one frame of a vertical image strip: frame round(value x (frames - 1)).
#pragma once

#include "CKnob.h"

class CAnimKnob : public CKnob {
public:
    // Frames are the view's height tall; their count is the bitmap's height / frame height.
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
              const CPoint& offset = CPoint());
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps, CCoord heightOfOneImage,
              CBitmap* background, const CPoint& offset = CPoint());

    long getNumSubPixmaps() const { return subPixmaps; }
    // The frame the current value shows.
    long frameForValue() const;

    void draw(CDrawContext* context) override;
    void setBackground(CBitmap* bitmap) override;
    bool isTypeOf(const char* className) const override;

private:
    long subPixmaps;
    CCoord heightOfOneImage;
    CPoint offset;
};
