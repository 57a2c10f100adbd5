// What the format-free core asks of the format adapter that owns it: its editor, and telling
// its host about changes the host did not make.
#pragma once

class Editor;

class InstrumentFormat {
public:
    // The adapter's editor, or null before it exists.
    virtual Editor* formatEditor() const = 0;
    // The user moved a control: the host records the new value (automation).
    virtual void reportUserEdit(int index, float value) = 0;
    // The user grabbed or let go of a control.
    virtual void reportGesture(int index, bool begins) = 0;
    // Values or program names changed all at once: the host reads them anew.
    virtual void reportAllValuesChanged() = 0;
    // A key the editor did not use (see EditorHost::editorKey); true when the format used it.
    virtual bool editorKey(int /*character*/, int /*virtualKey*/, unsigned /*modifiers*/, bool /*pressed*/)
    {
        return false;
    }

protected:
    ~InstrumentFormat() = default;
};
