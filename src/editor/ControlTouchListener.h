// What the knobs tell the editor besides value changes: which control the user handles, so the
// label under it can show its value and MIDI learn knows the selected parameter.
#pragma once

class CControl;

class ControlTouchListener {
public:
    virtual void controlTouched(CControl* control, bool held) = 0;
    virtual void controlReleased(CControl* control) = 0;
    // Around a wheel or arrow-key step of a control (its edit gesture comes in between), so the
    // steps of one turn of the wheel can count as one edit.
    virtual void controlNudging(bool /*begins*/) {}

protected:
    ~ControlTouchListener() = default;
};
