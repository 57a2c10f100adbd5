// Knob behaviour shared by the drawn knobs: linear vertical dragging (200 pixels for the full
// range, the zoom factor times finer with Shift), circular dragging (by the knob mode, or with
// Alt held when the drag starts), wheel steps, arrow keys, and the default value on Ctrl+click
// and double-click. Draws nothing itself.
#pragma once

#include "CControl.h"

enum CKnobMode { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr);

    // Process-wide, as hosts set it through effSetEditKnobMode.
    static void setKnobMode(long mode);
    static long getKnobMode();

    // How many times finer dragging gets with Shift.
    void setZoomFactor(float factor) { zoomFactor = factor; }

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    // value += distance x wheelInc (x 0.1 with Shift), limited to min..max.
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    // Up/Right raise and Down/Left lower by wheelInc (x 0.1 with Shift).
    long onKeyDown(VstKeyCode& key) override;
    bool isTypeOf(const char* className) const override;

protected:
    float valueFromAngle(const CPoint& where) const;

    CCoord linearRange = 200;
    float zoomFactor = 20;
    bool dragging = false;
    bool circularDrag = false;
    bool fineDrag = false;
    CPoint dragStart;
    float dragStartValue = 0;
    float dragStartAngleValue = 0;
};
