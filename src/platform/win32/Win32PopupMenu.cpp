#include "Win32PopupMenu.h"

#include "Latin1Text.h"

#include <vector>

namespace {

// '&' marks a keyboard accelerator in menu text; entries mean the character itself.
std::wstring menuText(const std::string& text)
{
    std::wstring wide;
    for (wchar_t c : widenLatin1(text)) {
        wide.push_back(c);
        if (c == L'&')
            wide.push_back(L'&');
    }
    return wide;
}

HMENU buildMenu(const native::MenuModel& menu, std::vector<int>& path, MenuChoicePaths& choices)
{
    HMENU handle = CreatePopupMenu();
    if (!handle)
        return nullptr;
    int column = 0;
    for (int index = 0; index < int(menu.entries.size()); ++index) {
        const native::MenuEntry& entry = menu.entries[size_t(index)];
        UINT flags = 0;
        int entryColumn = native::menuColumnOfEntry(menu, index);
        if (entryColumn != column) {
            flags |= MF_MENUBARBREAK;
            column = entryColumn;
        }
        if (entry.separator) {
            AppendMenuW(handle, flags | MF_SEPARATOR, 0, nullptr);
            continue;
        }
        flags |= entry.checked ? MF_CHECKED : MF_UNCHECKED;
        flags |= entry.enabled ? MF_ENABLED : MF_GRAYED;
        std::wstring text = menuText(entry.text);
        path.push_back(index);
        if (entry.hasSubmenu()) {
            HMENU submenu = buildMenu(entry.submenu, path, choices);
            AppendMenuW(handle, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text.c_str());
        } else {
            choices.push_back(path);
            AppendMenuW(handle, flags | MF_STRING, UINT_PTR(choices.size()), text.c_str());
        }
        path.pop_back();
    }
    return handle;
}

} // namespace

HMENU buildPopupMenu(const native::MenuModel& menu, MenuChoicePaths& choices)
{
    std::vector<int> path;
    return buildMenu(menu, path, choices);
}

native::MenuChoice trackPopupMenu(const native::MenuModel& menu, HWND owner, POINT screenPosition)
{
    native::MenuChoice choice;
    MenuChoicePaths choices;
    HMENU handle = buildPopupMenu(menu, choices);
    if (!handle)
        return choice;
    UINT command =
        UINT(TrackPopupMenu(handle, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                            screenPosition.x, screenPosition.y, 0, owner, nullptr));
    // Destroys the submenus too.
    DestroyMenu(handle);
    if (command >= 1 && command <= choices.size()) {
        choice.chosen = true;
        choice.path = choices[command - 1];
    }
    return choice;
}
