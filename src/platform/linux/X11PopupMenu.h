// Our own pop-up menu on X11: override-redirect windows (one per open level), drawn with cairo,
// with the pointer and keyboard grabbed while open. Columns, separators, check marks and
// submenus; Escape or a click outside closes it.
#pragma once

#include "../NativeMenu.h"
#include "X11MenuLayout.h"
#include "../NativeWindow.h" // MenuDone

#include <X11/Xlib.h>

#include <vector>

namespace native {

class X11PopupMenu {
public:
    // Opens at (rootX, rootY); done runs when it closes (chosen or not).
    X11PopupMenu(Display* display, const MenuModel& menu, int rootX, int rootY, MenuDone done);
    // Closes silently: done is not called.
    ~X11PopupMenu();
    X11PopupMenu(const X11PopupMenu&) = delete;
    X11PopupMenu& operator=(const X11PopupMenu&) = delete;

    // True when the event belonged to the menu (all pointer and key input does while it is open).
    bool handleEvent(const XEvent& event);
    bool isOpen() const { return !levels.empty(); }
    // Closes and reports the choice (or none).
    void finish(const MenuChoice& choice);

private:
    struct Level {
        const MenuModel* model;
        ::Window window = 0;
        int x = 0, y = 0, width = 0, height = 0;
        std::vector<Rect> entryRects; // in the level's window
        int hover = -1;
        int openedFrom = -1; // entry index in the parent level
    };

    void openLevel(const MenuModel& model, int rootX, int rootY, int openedFrom);
    void closeLevelsAbove(size_t keep);
    void layout(Level& level, int screenHeight);
    void paint(const Level& level);
    void grab();
    // Level and entry at a root position; false when outside every level.
    bool hit(int rootX, int rootY, size_t& level, int& entry) const;
    void pointerMoved(int rootX, int rootY);

    Display* display;
    MenuModel model;
    MenuDone done;
    std::vector<Level> levels;
    bool grabbed = false;
    bool armed = false; // a press inside the menu, or movement over an entry, makes a release choose
};

} // namespace native
