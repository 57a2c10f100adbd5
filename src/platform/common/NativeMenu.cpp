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

std::vector<int> menuColumnsWithin(const MenuModel& menu, int rowHeight, int separatorHeight, int maxColumnHeight)
{
    std::vector<int> columns;
    columns.reserve(menu.entries.size());
    int column = 0, inColumn = 0, height = 0;
    for (const MenuEntry& entry : menu.entries) {
        const int entryHeight = entry.separator ? separatorHeight : rowHeight;
        const bool counted = menu.entriesPerColumn > 0 && inColumn >= menu.entriesPerColumn;
        if (inColumn > 0 && (counted || height + entryHeight > maxColumnHeight)) {
            ++column;
            inColumn = 0;
            height = 0;
        }
        columns.push_back(column);
        ++inColumn;
        height += entryHeight;
    }
    return columns;
}

} // namespace native
