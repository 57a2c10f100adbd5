// A top-level window standing in for a host's editor frame: the render tool and the tests open
// plug-in editors inside it, let it handle its events and capture what it shows.
#pragma once

#include "NativeGuiTypes.h"

#include <memory>
#include <string>

namespace native {

class HostWindow {
public:
    virtual ~HostWindow() = default;
    // What effEditOpen takes as the parent: HWND, or the X11 Window id as a pointer.
    virtual void* systemHandle() const = 0;
    virtual void resize(int width, int height) = 0;
    // Handles pending events of this window's own connection; never blocks.
    virtual void processEvents() = 0;
    // The window's content, child windows included; false with a reason in error.
    virtual bool capture(RgbaPixels& pixels, std::string& error) = 0;
    // For a program's own main window: the title bar's text, whether the user asked to close
    // the window, and whether the keyboard focus went to another program (both since the last
    // call; seen by processEvents).
    virtual void setTitle(const std::string& /*title*/) {}
    virtual bool takeCloseRequest() { return false; }
    virtual bool takeFocusLoss() { return false; }
};

// Null with a reason in error when there is no display.
std::unique_ptr<HostWindow> createHostWindow(int width, int height, const std::string& title, std::string& error);

} // namespace native
