// The editor's system window: a child of the window the host passes, which reports input to a
// client and asks it to paint. It also offers the pop-up menu and the text editing box.
#pragma once

#include "NativeCanvas.h"
#include "NativeGuiTypes.h"
#include "NativeMenu.h"

#include <functional>
#include <memory>
#include <string>

namespace native {

// Receives the window's input and paint requests (coordinates in window pixels).
class WindowClient {
public:
    virtual ~WindowClient() = default;
    virtual void paint(Canvas& canvas, const Rect& area) = 0;
    virtual void mouseDown(Point where, unsigned flags) = 0;
    virtual void mouseMoved(Point where, unsigned flags) = 0;
    virtual void mouseUp(Point where, unsigned flags) = 0;
    virtual void mouseExited() = 0;
    // distance in wheel steps: positive away from the user.
    virtual void wheel(Point where, float distance, unsigned flags) = 0;
    // True when the key was used.
    virtual bool keyDown(const KeyEvent& key) = 0;
    virtual bool keyUp(const KeyEvent& key) = 0;
};

struct TextEditRequest {
    Rect rect; // in window pixels
    std::string text;
    FontSpec font;
    Color textColor;
    Color backColor;
    TextAlign align = TextAlign::Left;
};

// Called once when editing ends: committed with Enter or focus loss, not committed with Escape.
using TextEditDone = std::function<void(bool committed, const std::string& text)>;
// Called once when the menu closes, chosen or not; never after the window is destroyed.
using MenuDone = std::function<void(const MenuChoice& choice)>;

class Window {
public:
    virtual ~Window() = default;

    // HWND, or the X11 Window id.
    virtual void* systemHandle() const = 0;
    // Asks for area to be painted at the next processEvents().
    virtual void invalidate(const Rect& area) = 0;
    // Handles the system's pending events for this window and paints the invalid areas; returns
    // at once when there is nothing to do. Called from the host's editor idle.
    virtual void processEvents() = 0;
    virtual void resize(int width, int height) = 0;
    // Keeps mouse input coming to this window while a button is held outside it.
    virtual void setMouseCapture(bool captured) = 0;
    // Opens a pop-up menu with its top-left corner at where (window pixels). done may run before
    // this returns (modal systems) or from a later processEvents().
    virtual void showMenu(const MenuModel& menu, Point where, MenuDone done) = 0;
    // Opens the text editing box; false when one cannot open.
    virtual bool beginTextEdit(const TextEditRequest& request, TextEditDone done) = 0;
    // Closes an open editing box, reporting through its done; does nothing when none is open.
    virtual void endTextEdit(bool commit) = 0;
    // A key the host forwarded (effEditKeyDown) while the box is open; true when the box used it.
    // Systems whose box takes keys by itself need not override this.
    virtual bool textEditKey(const KeyEvent& /*key*/) { return false; }
};

// A child window of parent (HWND, or an X11 Window id cast to a pointer), shown at (0, 0) with
// the given size. Null with a reason in error when parent is null or unusable or there is no
// display.
std::unique_ptr<Window> createChildWindow(void* parent, int width, int height, WindowClient& client,
                                          std::string& error);

} // namespace native
