// The editor interface the effect base talks to; the GUI toolkit's editor bridge derives from it.
#pragma once

#include "vstabi.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* owner) : effect(owner) {}
    virtual ~AEffEditor() = default;

    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow)
    {
        systemWindow = parentWindow;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() const { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(int /*key*/, int /*virtualKey*/, float /*modifiers*/) { return false; }
    virtual bool onKeyUp(int /*key*/, int /*virtualKey*/, float /*modifiers*/) { return false; }
    virtual bool setKnobMode(int /*mode*/) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
