// A knob bound to a parameter or command: an image strip of 101 frames, or no image at all when
// it lies over a value text so that dragging the text changes the value. It tells the editor
// while the user handles it, and returns to its default value on double-click.
#pragma once

#include "gui/CAnimKnob.h"

class ControlTouchListener;

class ParamKnob : public CAnimKnob {
public:
    static constexpr long kFrames = 101;

    ParamKnob(const CRect& size, CControlListener* listener, ControlTouchListener* touch, long tag, CBitmap* strip);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    long onKeyDown(VstKeyCode& key) override;
    bool isTypeOf(const char* className) const override;

private:
    ControlTouchListener* touch;
};
