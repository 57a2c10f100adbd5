// Pop-up menus through TrackPopupMenu: submenus, check marks, separators, disabled entries and
// column breaks every entriesPerColumn entries.
#pragma once

#include "platform/NativeMenu.h"

#include <windows.h>

// Shows the menu at a screen position and waits for the user; the choice, or chosen false.
native::MenuChoice trackPopupMenu(const native::MenuModel& menu, HWND owner, POINT screenPosition);
