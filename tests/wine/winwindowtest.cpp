// The editor's child window under Wine: painting, input messages in the toolkit's terms, the
// text edit box and pop-up menus.
#include "platform/NativeWindow.h"
#include "platform/win32/Win32PopupMenu.h"

#include <windows.h>

#include <string>
#include <vector>

void check(bool ok, const std::string& what);

namespace {

struct Event {
    std::string kind;
    native::Point where{};
    unsigned flags = 0;
    float distance = 0;
    native::KeyEvent key{};
    Event(std::string what = {}, native::Point at = {}, unsigned modifiers = 0, float steps = 0)
        : kind(std::move(what)), where(at), flags(modifiers), distance(steps)
    {
    }
};

class RecordingClient : public native::WindowClient {
public:
    std::vector<Event> events;
    int paints = 0;

    void paint(native::Canvas& canvas, const native::Rect&) override
    {
        ++paints;
        canvas.fillRect({0, 0, 200, 100}, {10, 120, 200, 255});
        canvas.drawText("Paint", {0, 0, 200, 100}, {"Arial", 30, true}, {255, 255, 255, 255},
                        native::TextAlign::Center);
    }
    void mouseDown(native::Point where, unsigned flags) override { events.push_back({"down", where, flags}); }
    void mouseMoved(native::Point where, unsigned flags) override { events.push_back({"move", where, flags}); }
    void mouseUp(native::Point where, unsigned flags) override { events.push_back({"up", where, flags}); }
    void mouseExited() override { events.push_back({"exit"}); }
    void wheel(native::Point where, float distance, unsigned flags) override
    {
        events.push_back({"wheel", where, flags, distance});
    }
    bool keyDown(const native::KeyEvent& key) override
    {
        events.push_back({"key"});
        events.back().key = key;
        return true;
    }
    bool keyUp(const native::KeyEvent&) override { return true; }
};

void pump()
{
    MSG message;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(1);
    }
}

HWND makeParent()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"WinWindowTestParent";
    RegisterClassW(&windowClass);
    HWND parent = CreateWindowW(L"WinWindowTestParent", L"winwindowtest", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                                300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(parent, SW_SHOW);
    return parent;
}

// The last event of a kind, or an empty one.
Event last(const RecordingClient& client, const std::string& kind)
{
    for (auto it = client.events.rbegin(); it != client.events.rend(); ++it)
        if (it->kind == kind)
            return *it;
    return {};
}

void checkBadParents()
{
    RecordingClient client;
    std::string error;
    check(!native::createChildWindow(nullptr, 100, 100, client, error) && !error.empty(), "no window without a parent");
    error.clear();
    check(!native::createChildWindow(reinterpret_cast<void*>(0x7ff3a0), 100, 100, client, error) && !error.empty(),
          "no window for a parent that is no window");
}

void checkCaptureLoss(native::Window& window, HWND child, RecordingClient& client)
{
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    pump();
    window.setMouseCapture(true);
    client.events.clear();
    SetCapture(GetParent(child));
    pump();
    ReleaseCapture();
    check(client.events.size() == 1 && client.events[0].kind == "up" && client.events[0].where.x == 30,
          "losing the mouse to another window mid-drag ends the gesture once");
    client.events.clear();
    window.setMouseCapture(true);
    window.setMouseCapture(false);
    check(client.events.empty(), "releasing the mouse itself ends nothing");
}

void checkMouseAndKeys(HWND child, RecordingClient& client)
{
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
    PostMessageW(child, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(12, 5));
    PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(12, 5));
    pump();
    Event down = last(client, "down"), move = last(client, "move"), up = last(client, "up");
    check(down.where.x == 10 && down.where.y == 20 && down.flags == (native::kLeftButton | native::kShiftKey),
          "a click arrives at its point with its button and Shift");
    check(move.where.y == 5 && move.flags == (native::kLeftButton | native::kControlKey), "a drag carries Ctrl");
    check(up.where.x == 12 && (up.flags & native::kLeftButton), "the release names its button");
    PostMessageW(child, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4));
    pump();
    check(last(client, "down").flags & native::kDoubleClick, "a double click is marked");

    POINT screen{50, 60};
    ClientToScreen(child, &screen);
    PostMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-2 * WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    pump();
    Event wheel = last(client, "wheel");
    check(wheel.distance == -2.0f && wheel.where.x == 50 && wheel.where.y == 60,
          "a wheel turn arrives in steps at the window point under it");

    const struct {
        WPARAM windowsKey;
        int character;
        int virtualKey;
    } keys[] = {{VK_UP, 0, 12}, {VK_ESCAPE, 0, 6}, {VK_NEXT, 0, 16}, {'A', 'a', 0}, {'7', '7', 0}};
    for (const auto& key : keys) {
        PostMessageW(child, WM_KEYDOWN, key.windowsKey, 1);
        pump();
        Event event = last(client, "key");
        check(event.key.character == key.character && event.key.virtualKey == key.virtualKey,
              "key " + std::to_string(key.windowsKey) + " arrives as the host would report it");
        client.events.clear();
    }
}

void checkTextEdit(native::Window& window, HWND child)
{
    struct {
        bool reported = false, committed = false;
        std::string text;
    } result;
    auto done = [&](bool committed, const std::string& text) { result = {true, committed, text}; };
    const struct {
        WPARAM key;
        bool committed;
    } endings[] = {{VK_RETURN, true}, {VK_ESCAPE, false}};
    for (const auto& ending : endings) {
        result = {};
        native::TextEditRequest request{
            {10, 10, 150, 30}, "Init", {"Arial", 12, false}, {0, 0, 0, 255}, {255, 255, 255, 255}};
        check(window.beginTextEdit(request, done), "a text edit box opens");
        HWND edit = GetWindow(child, GW_CHILD);
        SetWindowTextW(edit, L"Pad \xe9 7");
        PostMessageW(edit, WM_KEYDOWN, ending.key, 1);
        pump();
        check(result.reported && result.committed == ending.committed && result.text == "Pad \xe9 7" &&
                  GetWindow(child, GW_CHILD) == nullptr,
              ending.committed ? "Enter commits the edited Latin-1 text and closes the box"
                               : "Escape cancels the edit and closes the box");
    }
    result = {};
    native::TextEditRequest request{{0, 0, 50, 20}, "x", {"Consolas", 12, true}, {}, {}};
    window.beginTextEdit(request, done);
    window.endTextEdit(false);
    check(result.reported && !result.committed, "ending an edit from the toolkit reports it once");
}

native::MenuModel oscillatorMenu();
void checkScriptedMenuChoice(native::Window& window, HWND child);

// The keyboard focus moves to the editor only with wheel support on, and on the pointer coming
// in (a leave, then a move) only from the window that holds the editor.
void checkFocusFollowsTheWheelSetting(HWND parent, HWND child)
{
    HWND other = CreateWindowW(L"WinWindowTestParent", L"another window", WS_OVERLAPPEDWINDOW, 40, 40, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(other, SW_SHOW);
    const struct {
        bool wheelSupport;
        HWND focused;
        bool click;
        bool takes;
        const char* what;
    } cases[] = {
        {false, parent, false, false, "without wheel support the pointer entering leaves the focus"},
        {true, parent, false, true, "with wheel support the pointer entering takes the focus from the host"},
        {true, other, false, false, "the pointer entering leaves the focus with a window that is no ancestor"},
        {false, parent, true, false, "without wheel support a click leaves the focus"},
        {true, parent, true, true, "with wheel support a click takes the focus"},
    };
    for (const auto& c : cases) {
        native::setFocusOnPointerEnter(c.wheelSupport);
        SetFocus(c.focused);
        pump();
        if (c.click) {
            PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
            PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
        } else {
            PostMessageW(child, WM_MOUSELEAVE, 0, 0);
            PostMessageW(child, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
        }
        pump();
        check((GetFocus() == child) == c.takes, c.what);
    }
    native::setFocusOnPointerEnter(false);
    DestroyWindow(other);
    pump();
}

} // namespace

void checkWindow()
{
    checkBadParents();
    HWND parent = makeParent();
    RecordingClient client;
    std::string error;
    auto window = native::createChildWindow(parent, 200, 100, client, error);
    check(window != nullptr, "a child window opens in the parent: " + error);
    if (!window)
        return;
    HWND child = static_cast<HWND>(window->systemHandle());
    RECT area{};
    GetClientRect(child, &area);
    check(GetParent(child) == parent && IsWindowVisible(child) && area.right == 200 && area.bottom == 100,
          "the child window is visible at its size");
    client.paints = 0;
    window->invalidate({0, 0, 200, 100});
    window->processEvents();
    check(client.paints == 1, "idle paints what was invalidated, without a timer");
    window->processEvents();
    check(client.paints == 1, "idle paints nothing when nothing is invalid");
    checkMouseAndKeys(child, client);
    checkCaptureLoss(*window, child, client);
    checkTextEdit(*window, child);
    checkScriptedMenuChoice(*window, child);
    checkFocusFollowsTheWheelSetting(parent, child);
    window.reset();
    check(!IsWindow(child), "the child window is destroyed with its object");
    DestroyWindow(parent);
    pump();
}

namespace {

native::MenuModel oscillatorMenu()
{
    native::MenuModel menu;
    menu.entriesPerColumn = 3;
    for (const char* text : {"Off", "-", "Saw", "Square & Pulse", "Sine", "-", "Noise"}) {
        native::MenuEntry entry;
        entry.text = text;
        entry.separator = text[0] == '-';
        entry.checked = entry.text == "Sine";
        menu.entries.push_back(entry);
    }
    for (const char* text : {"White", "Pink"}) {
        menu.entries[6].submenu.entries.emplace_back();
        menu.entries[6].submenu.entries.back().text = text;
    }
    return menu;
}

// Keys posted before the menu opens drive its modal loop, as a musician's keys would.
void checkScriptedMenuChoice(native::Window& window, HWND child)
{
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
        PostMessageW(child, WM_KEYDOWN, key, 1);
    native::MenuChoice result;
    bool reported = false;
    window.showMenu(oscillatorMenu(), {20, 20}, [&](const native::MenuChoice& choice) {
        result = choice;
        reported = true;
    });
    check(reported && result.chosen && result.path == std::vector<int>{2},
          "a pop-up menu chooses the entry the keys select, past a separator");
}

} // namespace

void checkMenus()
{
    native::MenuModel menu = oscillatorMenu();
    MenuChoicePaths choices;
    HMENU handle = buildPopupMenu(menu, choices);
    int count = GetMenuItemCount(handle), breaks = 0, checks = 0;
    for (int i = 0; i < count; ++i) {
        UINT state = GetMenuState(handle, UINT(i), MF_BYPOSITION);
        breaks += (state & MF_MENUBARBREAK) ? 1 << i : 0;
        checks += (state & MF_CHECKED) ? 1 << i : 0;
    }
    check(count == 7, "every entry and separator is in the menu");
    check(breaks == ((1 << 3) | (1 << 6)), "a new column starts after every 3 entries");
    check(checks == 1 << 4, "exactly the checked entry has its check mark");
    wchar_t text[64] = {};
    GetMenuStringW(handle, 3, text, 64, MF_BYPOSITION);
    check(std::wstring(text) == L"Square && Pulse", "an ampersand in an entry shows as itself");
    HMENU submenu = GetSubMenu(handle, 6);
    check(submenu && GetMenuItemCount(submenu) == 2, "an entry with entries opens a submenu");
    std::vector<std::vector<int>> expected = {{0}, {2}, {3}, {4}, {6, 0}, {6, 1}};
    check(choices == expected, "each command chooses its entry's index, separators counted, submenus by path");
    DestroyMenu(handle);
}
