#include "../NativeMenu.h"

namespace native {

int menuColumnOfEntry(const MenuModel& menu, int entryIndex)
{
    if (menu.entriesPerColumn <= 0 || entryIndex < 0)
        return 0;
    return entryIndex / menu.entriesPerColumn;
}

int menuColumnCount(const MenuModel& menu)
{
    int count = int(menu.entries.size());
    if (count == 0)
        return 0;
    return menuColumnOfEntry(menu, count - 1) + 1;
}

} // namespace native
