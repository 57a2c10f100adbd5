// The instrument seen by the program operations and the editor's commands.
#pragma once

#include "editor/CommandHost.h"

class InstrumentCore;

class CoreCommandHost final : public CommandHost {
public:
    explicit CoreCommandHost(InstrumentCore& owner) : core(owner) {}

    ProgramStore& programStore() override;
    UserSettings& userSettings() override;
    void setProgram(int number) override;
    void nextProgram() override;
    void previousProgram() override;
    void initProgram(int number) override;
    void initBank(bool useCurrent) override;
    void loadDefaultBank() override;
    void refreshValues() override;
    void refreshHostDisplay() override;
    void allNotesOff() override;
    std::string programNameFieldText() override;
    void* editorWindow() override;
    // Without a dialog program, the instance's own open editor asks in its window.
    void askUser(const std::wstring& text, const std::wstring& title, MessageIcon icon, MessageButtons buttons,
                 AnswerHandler then) override;

private:
    InstrumentCore& core;
};
