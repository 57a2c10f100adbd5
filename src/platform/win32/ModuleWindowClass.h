// The window class of the editor's windows. Its name carries this module's load address, so two
// copies of the plug-in (a 64-bit DLL renamed, or two builds) loaded into one process never
// share a class whose window procedure lives in the other copy.
#pragma once

#include <windows.h>

class ModuleWindowClass {
public:
    // Registers the class on first use; null on failure.
    static const wchar_t* acquire(WNDPROC procedure);
    // Unregisters after the last user, so an unloaded module leaves no class behind.
    static void release();
    static HINSTANCE module();
};
