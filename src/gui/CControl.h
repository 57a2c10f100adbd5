// A view with a value: a tag, a value (0..1, or an entry index for menus), a default value, a
// listener told of every change the user makes, and begin-edit/end-edit around each gesture.
#pragma once

#include "CView.h"

#include <atomic>

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    // The user changed the control's value.
    virtual void valueChanged(CControl* control) = 0;
    // A gesture starts and ends (a drag, a click, a text edit).
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0, CBitmap* background = nullptr);

    // Stores the value and marks the control dirty when it differs; never draws, so any thread
    // may call it.
    virtual void setValue(float value);
    virtual float getValue() const { return value.load(std::memory_order_relaxed); }
    virtual void setMax(float newMax) { maxValue = newMax; }
    virtual void setDefaultValue(float newDefault) { defaultValue = newDefault; }
    virtual float getDefaultValue() const { return defaultValue; }

    void setTag(long newTag) { tag = newTag; }
    long getTag() const { return tag; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    CControlListener* getListener() const { return listener; }
    // Tells the listener (and through the frame's editor, the host) that a gesture starts / ends.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editing; }

    // The amount one wheel step or arrow key moves the value.
    void setWheelInc(float increment) { wheelInc = increment; }

    // Ctrl+left click: the default value, notified only when it differs. True when it was such
    // a click (the caller then handles nothing more).
    bool checkDefaultValue(long buttons);
    // Sets the default value inside a gesture; notifies only when the value changed.
    void resetToDefault();
    // Calls the listener's valueChanged when there is one.
    void notifyValueChanged();

    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    bool isTypeOf(const char* className) const override;

protected:
    CControlListener* listener;
    long tag;
    std::atomic<float> value{0};
    float lastDrawnValue = -1;
    float minValue = 0;
    float maxValue = 1;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    bool editing = false;
};
