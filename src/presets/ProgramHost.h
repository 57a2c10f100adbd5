// What the program operations need from the plug-in instance. The plug-in implements it; tests
// can stand in for it.
#pragma once

#include "params/ProgramStore.h"
#include "settings/UserSettings.h"

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
};
