#include "X11PopupMenu.h"

#include "CairoCanvas.h"

#include <X11/keysym.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <algorithm>

namespace native {

namespace {

constexpr int kCheckColumn = 22; // room for the check mark, left of the text
constexpr int kArrowColumn = 22; // room for the submenu arrow, right of the text
constexpr int kMinColumnWidth = 80;
const FontSpec kMenuFont{"Arial", kMenuFontSize, false};
constexpr Color kMenuBack{242, 242, 242, 255};
constexpr Color kMenuBorderColor{90, 90, 90, 255};
constexpr Color kMenuText{20, 20, 20, 255};
constexpr Color kMenuDisabledText{150, 150, 150, 255};
constexpr Color kHoverBack{51, 102, 204, 255};
constexpr Color kHoverText{255, 255, 255, 255};
constexpr Color kSeparatorColor{190, 190, 190, 255};

int measure(const std::string& text)
{
    static auto canvas = createImageCanvas(1, 1);
    return canvas ? canvas->textWidth(text, kMenuFont) : int(text.size()) * 7;
}

bool choosable(const MenuEntry& entry)
{
    return !entry.separator && entry.enabled && !entry.hasSubmenu();
}

} // namespace

X11PopupMenu::X11PopupMenu(Display* connection, const MenuModel& menu, int rootX, int rootY, MenuDone onDone)
    : display(connection), model(menu), done(std::move(onDone))
{
    openLevel(model, rootX, rootY, -1);
    grab();
}

X11PopupMenu::~X11PopupMenu()
{
    closeLevelsAbove(0);
    if (grabbed) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
    }
    XFlush(display);
}

void X11PopupMenu::layout(Level& level, int screenHeight)
{
    const MenuModel& m = *level.model;
    // Columns end where the screen does too: entries past its edge could never be reached.
    const std::vector<int> columnOf =
        menuColumnsWithin(m, kMenuRowHeight, kMenuSeparatorHeight, screenHeight - 2 * kMenuBorder);
    const int columns = columnOf.empty() ? 1 : columnOf.back() + 1;
    std::vector<int> columnWidth(size_t(columns), kMinColumnWidth);
    for (size_t i = 0; i < m.entries.size(); ++i) {
        int width = kCheckColumn + measure(m.entries[i].text) + kArrowColumn;
        columnWidth[size_t(columnOf[i])] = std::max(columnWidth[size_t(columnOf[i])], width);
    }
    level.entryRects.clear();
    int x = kMenuBorder, y = kMenuBorder, height = 0, currentColumn = 0;
    for (size_t i = 0; i < m.entries.size(); ++i) {
        int column = columnOf[i];
        if (column != currentColumn) {
            x += columnWidth[size_t(currentColumn)];
            currentColumn = column;
            y = kMenuBorder;
        }
        int rowHeight = m.entries[i].separator ? kMenuSeparatorHeight : kMenuRowHeight;
        level.entryRects.push_back({x, y, x + columnWidth[size_t(column)], y + rowHeight});
        y += rowHeight;
        height = std::max(height, y);
    }
    level.width = x + columnWidth[size_t(currentColumn)] + kMenuBorder;
    level.height = std::max(height, kMenuBorder + kMenuRowHeight) + kMenuBorder;
}

void X11PopupMenu::openLevel(const MenuModel& levelModel, int rootX, int rootY, int openedFrom)
{
    Level level;
    level.model = &levelModel;
    level.openedFrom = openedFrom;
    int screen = DefaultScreen(display);
    int screenWidth = DisplayWidth(display, screen), screenHeight = DisplayHeight(display, screen);
    layout(level, screenHeight);
    // Kept on the screen: shifted left or up when it would run over the edge.
    level.x = std::max(0, std::min(rootX, screenWidth - level.width));
    level.y = std::max(0, std::min(rootY, screenHeight - level.height));

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    level.window = XCreateWindow(display, RootWindow(display, screen), level.x, level.y, unsigned(level.width),
                                 unsigned(level.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
    XMapRaised(display, level.window);
    levels.push_back(level);
    XSync(display, False);
    paint(levels.back());
}

void X11PopupMenu::closeLevelsAbove(size_t keep)
{
    while (levels.size() > keep) {
        XDestroyWindow(display, levels.back().window);
        levels.pop_back();
    }
}

void X11PopupMenu::grab()
{
    if (grabbed || levels.empty())
        return;
    ::Window window = levels.front().window;
    int pointer = XGrabPointer(display, window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                               GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    grabbed = pointer == GrabSuccess;
}

void X11PopupMenu::paint(const Level& level)
{
    int screen = DefaultScreen(display);
    cairo_surface_t* surface =
        cairo_xlib_surface_create(display, level.window, DefaultVisual(display, screen), level.width, level.height);
    cairo_t* cr = cairo_create(surface);
    CairoCanvas canvas(cr);
    canvas.fillRect({0, 0, level.width, level.height}, kMenuBack);
    canvas.frameRect({0, 0, level.width, level.height}, kMenuBorderColor);
    const MenuModel& m = *level.model;
    for (size_t i = 0; i < m.entries.size(); ++i) {
        const MenuEntry& entry = m.entries[i];
        const Rect& r = level.entryRects[i];
        if (entry.separator) {
            int y = (r.top + r.bottom) / 2;
            canvas.fillRect({r.left + 4, y, r.right - 4, y + 1}, kSeparatorColor);
            continue;
        }
        bool hovered = int(i) == level.hover && entry.enabled;
        if (hovered)
            canvas.fillRect(r, kHoverBack);
        Color text = hovered ? kHoverText : entry.enabled ? kMenuText : kMenuDisabledText;
        canvas.drawText(entry.text, {r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom}, kMenuFont, text,
                        TextAlign::Left);
        cairo_set_source_rgba(cr, text.red / 255.0, text.green / 255.0, text.blue / 255.0, 1);
        double cy = (r.top + r.bottom) / 2.0;
        if (entry.checked) {
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, r.left + 6, cy);
            cairo_line_to(cr, r.left + 10, cy + 4);
            cairo_line_to(cr, r.left + 16, cy - 5);
            cairo_stroke(cr);
        }
        if (entry.hasSubmenu()) {
            cairo_move_to(cr, r.right - 14, cy - 5);
            cairo_line_to(cr, r.right - 8, cy);
            cairo_line_to(cr, r.right - 14, cy + 5);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    XFlush(display);
}

bool X11PopupMenu::hit(int rootX, int rootY, size_t& level, int& entry) const
{
    for (size_t l = levels.size(); l-- > 0;) {
        const Level& candidate = levels[l];
        int x = rootX - candidate.x, y = rootY - candidate.y;
        if (x < 0 || y < 0 || x >= candidate.width || y >= candidate.height)
            continue;
        level = l;
        entry = -1;
        for (size_t i = 0; i < candidate.entryRects.size(); ++i) {
            const Rect& r = candidate.entryRects[i];
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                entry = int(i);
        }
        return true;
    }
    return false;
}

void X11PopupMenu::pointerMoved(int rootX, int rootY)
{
    size_t level = 0;
    int entry = -1;
    if (!hit(rootX, rootY, level, entry))
        return;
    Level& current = levels[level];
    const MenuEntry* hovered = entry >= 0 ? &current.model->entries[size_t(entry)] : nullptr;
    if (hovered && !hovered->separator)
        armed = true;
    if (current.hover != entry) {
        current.hover = entry;
        // Moving to another entry closes the submenus opened from this level.
        closeLevelsAbove(level + 1);
        paint(levels[level]);
        if (hovered && hovered->hasSubmenu() && hovered->enabled) {
            const Rect& r = levels[level].entryRects[size_t(entry)];
            openLevel(hovered->submenu, levels[level].x + r.right, levels[level].y + r.top - kMenuBorder, entry);
        }
    }
}

bool X11PopupMenu::handleEvent(const XEvent& event)
{
    if (levels.empty())
        return false;
    switch (event.type) {
    case Expose: {
        bool ours = false;
        for (const Level& level : levels) {
            if (level.window != event.xexpose.window)
                continue;
            ours = true;
            if (event.xexpose.count == 0)
                paint(level);
        }
        return ours;
    }
    case MotionNotify:
        pointerMoved(event.xmotion.x_root, event.xmotion.y_root);
        return true;
    case ButtonPress: {
        if (event.xbutton.button > 3)
            return true;
        size_t level = 0;
        int entry = -1;
        if (!hit(event.xbutton.x_root, event.xbutton.y_root, level, entry)) {
            finish({});
            return true;
        }
        armed = true;
        pointerMoved(event.xbutton.x_root, event.xbutton.y_root);
        return true;
    }
    case ButtonRelease: {
        if (event.xbutton.button > 3 || !armed)
            return true;
        size_t level = 0;
        int entry = -1;
        if (!hit(event.xbutton.x_root, event.xbutton.y_root, level, entry) || entry < 0)
            return true;
        if (!choosable(levels[level].model->entries[size_t(entry)]))
            return true;
        MenuChoice choice;
        choice.chosen = true;
        for (size_t l = 1; l <= level; ++l)
            choice.path.push_back(levels[l].openedFrom);
        choice.path.push_back(entry);
        finish(choice);
        return true;
    }
    case KeyPress: {
        KeySym sym = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
        if (sym == XK_Escape)
            finish({});
        return true;
    }
    default:
        return false;
    }
}

void X11PopupMenu::finish(const MenuChoice& choice)
{
    closeLevelsAbove(0);
    if (grabbed) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        grabbed = false;
    }
    XFlush(display);
    MenuDone report = std::move(done);
    done = nullptr;
    if (report)
        report(choice);
}

} // namespace native
