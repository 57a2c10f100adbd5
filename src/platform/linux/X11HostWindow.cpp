#include "../NativeHostWindow.h"

#include "X11ErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>

namespace native {

namespace {

// 0..255 from a pixel and one channel mask of a TrueColor visual.
uint8_t channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    unsigned long maximum = mask >> shift;
    return uint8_t(((pixel & mask) >> shift) * 255 / maximum);
}

class X11HostWindow : public HostWindow {
public:
    X11HostWindow(Display* connection, ::Window handle, int pixelWidth, int pixelHeight, Atom deleteMessage)
        : display(connection), window(handle), width(pixelWidth), height(pixelHeight), deleteWindow(deleteMessage)
    {
    }
    ~X11HostWindow() override
    {
        XDestroyWindow(display, window);
        XSync(display, False);
        stopTrappingErrorsOn(display);
        XCloseDisplay(display);
    }

    void* systemHandle() const override { return reinterpret_cast<void*>(uintptr_t(window)); }

    void resize(int newWidth, int newHeight) override
    {
        if (newWidth < 1 || newHeight < 1)
            return;
        width = newWidth;
        height = newHeight;
        XResizeWindow(display, window, unsigned(width), unsigned(height));
        XSync(display, False);
    }

    void processEvents() override
    {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow)
                closeRequested = true;
            // Focus moving into the editor's child window is no loss.
            else if (event.type == FocusOut && event.xfocus.detail != NotifyInferior)
                focusLost = true;
            // The window manager focuses this frame: the keys belong to the editor inside it,
            // also while the pointer is elsewhere.
            else if (event.type == FocusIn && event.xfocus.detail != NotifyInferior &&
                     event.xfocus.detail != NotifyPointer)
                focusFirstChild();
        }
    }

    void setTitle(const std::string& title) override
    {
        XStoreName(display, window, title.c_str());
        XFlush(display);
    }

    bool takeCloseRequest() override { return std::exchange(closeRequested, false); }
    bool takeFocusLoss() override { return std::exchange(focusLost, false); }

    bool capture(RgbaPixels& pixels, std::string& error) override
    {
        XSync(display, False);
        XImage* image = XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        if (!image || takeTrappedError(display)) {
            if (image)
                XDestroyImage(image);
            error = "cannot read the window's pixels from the X server";
            return false;
        }
        pixels.width = width;
        pixels.height = height;
        pixels.bytes.assign(size_t(width) * size_t(height) * 4, 255);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                unsigned long pixel = XGetPixel(image, x, y);
                uint8_t* p = &pixels.bytes[(size_t(y) * size_t(width) + size_t(x)) * 4];
                p[0] = channel(pixel, image->red_mask);
                p[1] = channel(pixel, image->green_mask);
                p[2] = channel(pixel, image->blue_mask);
            }
        XDestroyImage(image);
        return true;
    }

private:
    void focusFirstChild()
    {
        ::Window root = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) && count > 0)
            XSetInputFocus(display, children[0], RevertToParent, CurrentTime);
        if (children)
            XFree(children);
        takeTrappedError(display);
    }

    Display* display;
    ::Window window;
    int width;
    int height;
    Atom deleteWindow;
    bool closeRequested = false;
    bool focusLost = false;
};

} // namespace

std::unique_ptr<HostWindow> createHostWindow(int width, int height, const std::string& title, std::string& error)
{
    if (width < 1 || height < 1) {
        error = "the window has no area";
        return nullptr;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error = "cannot open the X display (is DISPLAY set? Under a headless system, run it with xvfb-run)";
        return nullptr;
    }
    trapErrorsOn(display);
    int screen = DefaultScreen(display);
    ::Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height),
                                          0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, title.c_str());
    // The window manager's close button asks, rather than ending the connection.
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    // Desktops match the window to its launcher (and icon) by this class.
    char resourceName[] = "morvelline";
    char resourceClass[] = "Morvelline";
    XClassHint classHint{resourceName, resourceClass};
    XSetClassHint(display, window, &classHint);
    XSelectInput(display, window, StructureNotifyMask | FocusChangeMask);
    XMapWindow(display, window);
    // Wait (briefly) until the server shows it, so that a capture has something to read.
    for (int tries = 0; tries < 200; ++tries) {
        XEvent event;
        if (XCheckTypedWindowEvent(display, window, MapNotify, &event))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::make_unique<X11HostWindow>(display, window, width, height, deleteWindow);
}

} // namespace native
