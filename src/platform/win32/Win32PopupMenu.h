// Pop-up menus through TrackPopupMenu: submenus, check marks, separators, disabled entries and
// column breaks every entriesPerColumn entries.
#pragma once

#include "platform/NativeMenu.h"

#include <windows.h>

#include <vector>

// For each command number (from 1), the index path of the entry it chooses.
using MenuChoicePaths = std::vector<std::vector<int>>;

// The menu as a Windows pop-up menu (the caller destroys it), with its command numbers.
HMENU buildPopupMenu(const native::MenuModel& menu, MenuChoicePaths& choices);

// Shows the menu at a screen position and waits for the user; the choice, or chosen false.
native::MenuChoice trackPopupMenu(const native::MenuModel& menu, HWND owner, POINT screenPosition);
