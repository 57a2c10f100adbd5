#include "instrument/CoreCommandHost.h"

#include "editor/Editor.h"
#include "instrument/InstrumentCore.h"

ProgramStore& CoreCommandHost::programStore()
{
    return core.programStore();
}
UserSettings& CoreCommandHost::userSettings()
{
    return core.userSettings();
}
void CoreCommandHost::setProgram(int number)
{
    core.selectProgram(number);
}
void CoreCommandHost::nextProgram()
{
    core.selectProgram(core.currentProgram() + 1);
}
void CoreCommandHost::previousProgram()
{
    core.selectProgram(core.currentProgram() - 1);
}
void CoreCommandHost::initProgram(int number)
{
    core.initProgram(number);
}
void CoreCommandHost::initBank(bool useCurrent)
{
    core.initBank(useCurrent);
}
void CoreCommandHost::loadDefaultBank()
{
    core.loadDefaultBank();
}
void CoreCommandHost::refreshValues()
{
    core.refreshValues();
}
void CoreCommandHost::refreshHostDisplay()
{
    core.formatAdapter().reportAllValuesChanged();
}
void CoreCommandHost::allNotesOff()
{
    core.allNotesOff();
}

std::string CoreCommandHost::programNameFieldText()
{
    Editor* editor = core.editor();
    return editor ? editor->programNameText() : std::string();
}

void* CoreCommandHost::editorWindow()
{
    Editor* editor = core.editor();
    return editor ? editor->windowHandle() : nullptr;
}

void CoreCommandHost::askUser(const std::wstring& text, const std::wstring& title, MessageIcon icon,
                              MessageButtons buttons, AnswerHandler then)
{
    MessageAnswer answer = systemServices().messageBox(editorWindow(), text, title, icon, buttons);
    Editor* editor = core.editor();
    if (answer == MessageAnswer::Unavailable && editor && editor->askInWindow(text, title, buttons, then))
        return;
    if (then)
        then(answer);
}
