// What the editor needs from the plug-in that owns it, besides the effect interface: the
// program storage, the user settings and the engine's state for the lamps.
#pragma once

#include <cstdint>

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

protected:
    ~EditorHost() = default;
};
