#include "CKnob.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
std::atomic<long> knobMode{kCircularMode};
constexpr float kPi = 3.14159265f;
// The knob's sweep: from 7:30 o'clock clockwise to 4:30, 270 degrees.
constexpr float kSweepStart = 1.25f * kPi;
constexpr float kSweep = 1.5f * kPi;
} // namespace

CKnob::CKnob(const CRect& area, CControlListener* controlListener, long controlTag, CBitmap* backgroundImage)
    : CControl(area, controlListener, controlTag, backgroundImage)
{
}

void CKnob::setKnobMode(long mode)
{
    knobMode = mode;
}
long CKnob::getKnobMode()
{
    return knobMode;
}

float CKnob::valueFromAngle(const CPoint& where) const
{
    float dx = float(where.x) - (size.left + size.right) * 0.5f;
    float dy = (size.top + size.bottom) * 0.5f - float(where.y);
    float angle = std::atan2(dy, dx); // counter-clockwise from 3 o'clock
    float fromStart = kSweepStart - angle;
    while (fromStart < 0)
        fromStart += 2 * kPi;
    while (fromStart >= 2 * kPi)
        fromStart -= 2 * kPi;
    // The dead zone at the bottom goes to the nearer end.
    if (fromStart > kSweep)
        return fromStart > kSweep + (2 * kPi - kSweep) / 2 ? minValue : maxValue;
    return minValue + (maxValue - minValue) * fromStart / kSweep;
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (checkDefaultValue(buttons))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (buttons & kDoubleClick) {
        resetToDefault();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    dragging = true;
    dragStart = where;
    dragStartValue = getValue();
    fineDrag = (buttons & kShift) != 0;
    // Alt swaps linear and circular dragging for this drag.
    bool linear = getKnobMode() == kLinearMode;
    circularDrag = (buttons & kAlt) ? linear : !linear;
    dragStartAngleValue = valueFromAngle(where);
    beginEdit();
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const long& /*buttons*/)
{
    if (!dragging)
        return kMouseEventNotHandled;
    float range = maxValue - minValue;
    float newValue;
    if (circularDrag && getKnobMode() == kRelativCircularMode)
        newValue = dragStartValue + valueFromAngle(where) - dragStartAngleValue;
    else if (circularDrag)
        newValue = valueFromAngle(where);
    else {
        float pixels = float(linearRange) * (fineDrag ? zoomFactor : 1.0f);
        newValue = dragStartValue + range * float(dragStart.y - where.y) / pixels;
    }
    newValue = std::clamp(newValue, std::min(minValue, maxValue), std::max(minValue, maxValue));
    if (newValue != getValue()) {
        setValue(newValue);
        notifyValueChanged();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint& /*where*/, const long& /*buttons*/)
{
    if (!dragging)
        return kMouseEventNotHandled;
    dragging = false;
    endEdit();
    return kMouseEventHandled;
}

bool CKnob::onWheel(const CPoint& /*where*/, const float& distance, const long& buttons)
{
    if (!getMouseEnabled())
        return false;
    float step = distance * wheelInc * ((buttons & kShift) ? 0.1f : 1.0f);
    float newValue = std::clamp(getValue() + step, std::min(minValue, maxValue), std::max(minValue, maxValue));
    if (newValue == getValue())
        return true;
    beginEdit();
    setValue(newValue);
    notifyValueChanged();
    endEdit();
    return true;
}

long CKnob::onKeyDown(VstKeyCode& key)
{
    float direction;
    switch (key.virt) {
    case VKEY_UP:
    case VKEY_RIGHT:
        direction = 1;
        break;
    case VKEY_DOWN:
    case VKEY_LEFT:
        direction = -1;
        break;
    default:
        return -1;
    }
    float step = direction * wheelInc * ((key.modifier & kShift) ? 0.1f : 1.0f);
    float newValue = std::clamp(getValue() + step, std::min(minValue, maxValue), std::max(minValue, maxValue));
    if (newValue != getValue()) {
        beginEdit();
        setValue(newValue);
        notifyValueChanged();
        endEdit();
    }
    return 1;
}

bool CKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CKnob") == 0 || CControl::isTypeOf(className);
}
