#include "EditorParent.h"

#include <X11/Xlib.h>

namespace {

class X11Parent : public EditorParent {
public:
    X11Parent(Display* connection) : display(connection)
    {
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~X11Parent() override
    {
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    void* handle() const override { return reinterpret_cast<void*>(uintptr_t(window)); }
    intptr_t displayValue() const override { return reinterpret_cast<intptr_t>(display); }
    void pump() override
    {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }

private:
    Display* display;
    Window window;
};

} // namespace

std::unique_ptr<EditorParent> EditorParent::create(std::string& why)
{
    XInitThreads(); // the editor runs beside an audio thread
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        why = "no X display to open the editor on";
        return nullptr;
    }
    return std::make_unique<X11Parent>(display);
}
