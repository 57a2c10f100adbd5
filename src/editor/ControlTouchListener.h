// What the knobs tell the editor besides value changes: which control the user handles, so the
// label under it can show its value and MIDI learn knows the selected parameter.
#pragma once

class CControl;

class ControlTouchListener {
public:
    virtual void controlTouched(CControl* control, bool held) = 0;
    virtual void controlReleased(CControl* control) = 0;

protected:
    ~ControlTouchListener() = default;
};
