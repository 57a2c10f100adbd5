#include "editor/ParamKnob.h"

#include "editor/ControlTouchListener.h"

#include <cstring>

namespace {

constexpr float kWheelStep = 0.025f;
constexpr float kFineFactor = 20.0f;
constexpr long kModifiers = kShift | kControl | kAlt;

// The plain gestures that show the knob's value under it while held.
bool isTouchGesture(long buttons)
{
    const long pressed = buttons & (kLButton | kRButton | kMButton);
    const long mods = buttons & kModifiers;
    if (buttons & kDoubleClick)
        return false;
    if (pressed == kRButton)
        return mods == 0;
    return pressed == kLButton && (mods == 0 || mods == kShift || mods == kAlt);
}

} // namespace

ParamKnob::ParamKnob(const CRect& area, CControlListener* controlListener, ControlTouchListener* touchListener,
                     long controlTag, CBitmap* strip)
    : CAnimKnob(area, controlListener, controlTag, kFrames, area.width(), strip), touch(touchListener)
{
    setWheelInc(kWheelStep);
    setZoomFactor(kFineFactor);
}

CMouseEventResult ParamKnob::onMouseDown(CPoint& where, const long& buttons)
{
    if (isTouchGesture(buttons) && touch)
        touch->controlTouched(this, true);
    // Double-click and Ctrl+click return to the default value, as one edit that sends nothing
    // when the knob is already there.
    return CAnimKnob::onMouseDown(where, buttons);
}

CMouseEventResult ParamKnob::onMouseUp(CPoint& where, const long& buttons)
{
    if (touch)
        touch->controlReleased(this);
    return CAnimKnob::onMouseUp(where, buttons);
}

CMouseEventResult ParamKnob::onMouseExited(CPoint& where, const long& buttons)
{
    if (touch)
        touch->controlReleased(this);
    return CAnimKnob::onMouseExited(where, buttons);
}

bool ParamKnob::onWheel(const CPoint& where, const float& distance, const long& buttons)
{
    if (!getMouseEnabled())
        return false;
    if (!touch)
        return CAnimKnob::onWheel(where, distance, buttons);
    touch->controlTouched(this, true);
    touch->controlNudging(true);
    const bool used = CAnimKnob::onWheel(where, distance, buttons);
    touch->controlNudging(false);
    return used;
}

long ParamKnob::onKeyDown(VstKeyCode& key)
{
    const bool arrow = key.virt == VKEY_UP || key.virt == VKEY_DOWN || key.virt == VKEY_LEFT || key.virt == VKEY_RIGHT;
    if (!arrow || !touch)
        return CAnimKnob::onKeyDown(key);
    touch->controlTouched(this, true);
    touch->controlNudging(true);
    const long used = CAnimKnob::onKeyDown(key);
    touch->controlNudging(false);
    return used;
}

bool ParamKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "ParamKnob") == 0 || CAnimKnob::isTypeOf(className);
}
