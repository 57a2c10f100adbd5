#include "PopupMenuAnswer.h"

#include <utility>

HWND visiblePopupMenu()
{
    // A closed menu's window may linger hidden ahead of the open one.
    for (HWND popup = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); popup;
         popup = FindWindowExW(nullptr, popup, L"#32768", nullptr))
        if (IsWindowVisible(popup))
            return popup;
    return nullptr;
}

namespace {

// Two minutes bound the watch only so that the thread ends even if its caller never says it is done.
HWND waitForPopupMenu(const std::atomic<bool>& callerDone)
{
    for (int tries = 0; tries < 6000 && !callerDone; ++tries) {
        if (HWND popup = visiblePopupMenu())
            return popup;
        Sleep(20);
    }
    return nullptr;
}

int entryPosition(HMENU menu, const std::wstring& entry)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        if (GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION) > 0 && entry == text)
            return i;
    }
    return -1;
}

int highlightedPosition(HMENU menu)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_HILITE)
            return i;
    return -1;
}

void postKey(HWND window, WPARAM key)
{
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, LPARAM(0xc0000001));
}

// The entry highlighted once a key has moved the highlight from `before`, or -2 if it did not move
// within ten seconds. While the highlight moves, the old entry loses it before the new one gains
// it: in between, no entry is highlighted.
int nextHighlight(HMENU menu, int before)
{
    for (int wait = 0; wait < 500; ++wait) {
        const int now = highlightedPosition(menu);
        if (now >= 0 && now != before)
            return now;
        Sleep(20);
    }
    return -2;
}

// Whether the menu's window is gone within ten seconds.
bool closes(HWND popup)
{
    for (int wait = 0; wait < 500; ++wait) {
        if (!IsWindowVisible(popup))
            return true;
        Sleep(20);
    }
    return false;
}

} // namespace

PopupMenuAnswer::PopupMenuAnswer(std::wstring wanted) : entry(std::move(wanted)), watcher([this] { run(); }) {}

PopupMenuAnswer::~PopupMenuAnswer()
{
    finish();
}

void PopupMenuAnswer::finish()
{
    callerDone = true;
    if (watcher.joinable())
        watcher.join();
}

void PopupMenuAnswer::run()
{
    HWND popup = waitForPopupMenu(callerDone);
    if (!popup)
        return;
    seen = true;
    auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    int position = menu ? entryPosition(menu, entry) : -1;
    // The menu owns its own selection (none at first, separators skipped): step down, one key at
    // a time, until it is ours. Each key is waited for, or the next would be one step too many.
    int highlighted = highlightedPosition(menu);
    for (int presses = 0; position >= 0 && highlighted >= -1 && presses < 60; ++presses) {
        if (highlighted == position) {
            postKey(popup, VK_RETURN);
            chosen = closes(popup);
            break;
        }
        postKey(popup, VK_DOWN);
        highlighted = nextHighlight(menu, highlighted);
    }
    // Never leave a modal menu open behind a failed check (a greyed entry ignores Return).
    for (int tries = 0; tries < 5 && IsWindowVisible(popup); ++tries) {
        postKey(popup, VK_ESCAPE);
        closes(popup);
    }
}
