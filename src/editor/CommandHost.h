// What the editor's commands need from the plug-in besides the program operations: the window
// that owns the dialogs, the questions to the user and the text of the program name field.
#pragma once

#include "platform/SystemServices.h"
#include "presets/ProgramHost.h"

#include <functional>
#include <string>

class CommandHost : public ProgramHost {
public:
    // The text of the editor's program name field.
    virtual std::string programNameFieldText() = 0;
    // The editor window, owner of message boxes and dialogs (may be null).
    virtual void* editorWindow() = 0;

    using AnswerHandler = std::function<void(MessageAnswer)>;
    // Shows a message or asks a question; then (may be empty) receives the answer. The system's
    // message box answers before this returns; a host whose open editor asks in its own window
    // returns at once and calls then from a later idle, or never when the window closes first.
    virtual void askUser(const std::wstring& text, const std::wstring& title, MessageIcon icon, MessageButtons buttons,
                         AnswerHandler then)
    {
        MessageAnswer answer = systemServices().messageBox(editorWindow(), text, title, icon, buttons);
        if (then)
            then(answer);
    }
};
