// A host window for a plug-in's editor: an X11 window on Linux, a Win32 window on Windows.
#pragma once

#include <memory>
#include <string>

class EditorParent {
public:
    // Null, with the reason in `why`, when there is no display to open a window on.
    static std::unique_ptr<EditorParent> create(std::string& why);
    virtual ~EditorParent() = default;
    // What effEditOpen takes: the window handle, and on Linux the display connection as the value.
    virtual void* handle() const = 0;
    virtual intptr_t displayValue() const = 0;
    // Handles the window's pending events, as a host's idle timer would.
    virtual void pump() = 0;
};
