// What the editor needs from the instrument that owns it: the program storage, the user
// settings, the parameters and the engine's state for the lamps.
#pragma once

#include <cstdint>

class EditHistory;
class ProgramStore;
struct UserSettings;

class EditorHost {
public:
    virtual ProgramStore& programStore() = 0;
    virtual UserSettings& userSettings() = 0;
    // Bit k set while voice k sounds (its second amplifier counted where the routing uses it).
    virtual uint32_t soundingVoices() const = 0;
    virtual bool anyNoteHeld() const = 0;
    // A command of the editor's own controls (CommandTag). Called on the UI thread only; the
    // host's parameter calls never reach the commands.
    virtual void editorCommand(int tag, float value) = 0;
    // The user moved a parameter's control: the value is stored and the host records it.
    virtual void editParameter(int index, float value) = 0;
    // The user grabbed (true) or let go of a parameter's control.
    virtual void parameterGesture(int index, bool begins) = 0;
    // The display text of a parameter's current value.
    virtual void formatParameterText(int index, char* text) = 0;
    // The instance's undo history, kept while editor windows come and go; null: each editor
    // keeps its own.
    virtual EditHistory* editHistory() { return nullptr; }
    // A key pressed or let go in the editor that no control and no shortcut used (modifiers:
    // the toolkit's kShift, kControl, kAlt bits); true when the host used it.
    virtual bool editorKey(int /*character*/, int /*virtualKey*/, unsigned /*modifiers*/, bool /*pressed*/)
    {
        return false;
    }

protected:
    ~EditorHost() = default;
};
