// What the program operations need from the plug-in instance. The plug-in implements it; tests
// can stand in for it.
#pragma once

#include "params/ProgramStore.h"
#include "platform/SystemServices.h"
#include "settings/UserSettings.h"

#include <functional>
#include <string>

class ProgramHost {
public:
    virtual ~ProgramHost() = default;

    virtual ProgramStore& programStore() = 0;
    virtual UserSettings& userSettings() = 0;

    virtual void setProgram(int number) = 0;
    virtual void nextProgram() = 0;
    virtual void previousProgram() = 0;
    virtual void initProgram(int number) = 0;
    virtual void initBank(bool useCurrent) = 0;
    virtual void loadDefaultBank() = 0;

    // Sends all values of the current program to the open editor and refreshes the host.
    virtual void refreshValues() = 0;
    // Asks the host to refresh its display (names, values).
    virtual void refreshHostDisplay() = 0;
    virtual void allNotesOff() = 0;
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
