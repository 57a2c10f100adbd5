// The bridge between the plug-in's editor interface and the toolkit. A subclass builds its frame
// in open() after calling this class's open(), destroys it in close() before calling this
// class's close(), and reports its size through rectForNextOpen() so that hosts asking before
// the first open get the size the window will have.
#pragma once

#include "vst/AEffEditor.h"

class AudioEffectX;
class CFrame;
struct VstKeyCode;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    // While open: the frame's rectangle; before: rectForNextOpen().
    bool getRect(ERect** rect) override;
    // Stores the parent; false (and nothing opened) for a null parent.
    bool open(void* parentWindow) override;
    // Destroys a frame the subclass left behind, then forgets the parent. Safe when not open.
    void close() override;
    bool isOpen() const override { return systemWindow != nullptr; }
    // Lets the frame handle its window's events and redraw what is dirty.
    void idle() override;
    // Forwarded to the frame's focus view, then to the view under the pointer, then to
    // keyCommand.
    bool onKeyDown(int character, int virtualKey, float modifiers) override;
    bool onKeyUp(int character, int virtualKey, float modifiers) override;
    // 0 circular, 1 relative circular, 2 linear (CKnobMode).
    bool setKnobMode(int mode) override;

    // Host notifications around a gesture on a parameter (tags outside the effect's parameters
    // are not passed on).
    virtual void beginEdit(long index);
    virtual void endEdit(long index);
    // A key pressed in the window that no view took (the editor's shortcuts); true when used.
    virtual bool keyCommand(const VstKeyCode& /*key*/) { return false; }
    // A key let go in the window that no view took; true when used.
    virtual bool keyReleased(const VstKeyCode& /*key*/) { return false; }

    CFrame* getFrame() const { return frame; }

protected:
    // The rectangle the next open() will use; the default is the last one reported.
    virtual ERect rectForNextOpen() { return rect; }
    // Translates the VST modifier bits of effEditKeyDown to CButtonState bits.
    static long modifiersFromHost(float modifiers);

    CFrame* frame = nullptr;
    ERect rect{0, 0, 0, 0};
};
