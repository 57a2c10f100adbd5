#include "plugin/PluginProgramHost.h"

#include "editor/Editor.h"
#include "plugin/Plugin.h"

ProgramStore& PluginProgramHost::programStore()
{
    return plugin.programStore();
}
UserSettings& PluginProgramHost::userSettings()
{
    return plugin.userSettings();
}
void PluginProgramHost::setProgram(int number)
{
    plugin.setProgram(number);
}
void PluginProgramHost::nextProgram()
{
    plugin.nextProgram();
}
void PluginProgramHost::previousProgram()
{
    plugin.previousProgram();
}
void PluginProgramHost::initProgram(int number)
{
    plugin.initProgram(number);
}
void PluginProgramHost::initBank(bool useCurrent)
{
    plugin.initBank(useCurrent);
}
void PluginProgramHost::loadDefaultBank()
{
    plugin.loadDefaultBank();
}
void PluginProgramHost::refreshValues()
{
    plugin.refreshValues();
}
void PluginProgramHost::refreshHostDisplay()
{
    plugin.updateDisplay();
}
void PluginProgramHost::allNotesOff()
{
    plugin.allNotesOff();
}

std::string PluginProgramHost::programNameFieldText()
{
    Editor* editor = plugin.pluginEditor();
    return editor ? editor->programNameText() : std::string();
}

void* PluginProgramHost::editorWindow()
{
    Editor* editor = plugin.pluginEditor();
    return editor ? editor->windowHandle() : nullptr;
}

void PluginProgramHost::askUser(const std::wstring& text, const std::wstring& title, MessageIcon icon,
                                MessageButtons buttons, AnswerHandler then)
{
    MessageAnswer answer = systemServices().messageBox(editorWindow(), text, title, icon, buttons);
    Editor* editor = plugin.pluginEditor();
    if (answer == MessageAnswer::Unavailable && editor && editor->askInWindow(text, title, buttons, then))
        return;
    if (then)
        then(answer);
}
