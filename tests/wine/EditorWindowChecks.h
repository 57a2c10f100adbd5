// Opens a plug-in's editor in a real window, as a host would, and checks it draws, answers idle
// and clicks, closes cleanly and survives many open/close cycles and bad parents.
#pragma once

#include "vst/vstabi.h"

#include <windows.h>

#include <string>

struct HostRecord {
    int beginEdits = 0;
    int endEdits = 0;
    int automations = 0;
};

extern HostRecord hostRecord;

void check(bool ok, const char* what);

// Two effects from two copies of one DLL open their editors side by side, each in its own window
// class, and the first still opens after the second copy is unloaded.
void checkTwoModuleCopies(AEffect* first, AEffect* second, HMODULE secondModule);

// Writes the editor's picture to screenshotFile (a Windows path) when it is not null; with a click
// point, a press there and a drag upwards must make one edit gesture that changes a parameter; with
// a parameter index too, the drag must raise that parameter and a wheel step there lower it.
// A parameter menu to open with a click at `at` and answer with the entry `entry`, which must set
// `parameter` to `value`.
struct MenuPick {
    POINT at;
    int parameter;
    std::wstring entry;
    float value;
};

// With a parameter, Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y must undo and redo the wheel step and the
// drag, each value reaching the host as an edit. With the options menu's point and the text of
// its Undo entry after the menu pick, that entry must undo the pick, and "Compare With Saved"
// must show the parameter's value from before the drag and then the edited one again.
struct HistoryMenu {
    POINT at;
    std::wstring undoEntry;
};

void checkEditorWindow(AEffect* fx, const wchar_t* screenshotFile, const POINT* click, int parameter = -1,
                       const MenuPick* menuPick = nullptr, const HistoryMenu* historyMenu = nullptr);
