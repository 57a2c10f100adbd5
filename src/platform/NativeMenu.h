// What a pop-up menu shows, and the column layout both back-ends use.
#pragma once

#include <string>
#include <vector>

namespace native {

struct MenuEntry;

struct MenuModel {
    std::vector<MenuEntry> entries;
    int entriesPerColumn = 0; // 0: one column
};

struct MenuEntry {
    std::string text; // 8-bit characters
    bool separator = false;
    bool checked = false;
    bool enabled = true;
    MenuModel submenu; // opens beside the entry when it has entries
    bool hasSubmenu() const { return !submenu.entries.empty(); }
};

// The outcome of a menu: the index chosen in the top menu, then in each submenu on the way.
struct MenuChoice {
    bool chosen = false;
    std::vector<int> path;
};

// The column of each entry when a new column starts after every entriesPerColumn entries.
int menuColumnOfEntry(const MenuModel& menu, int entryIndex);
int menuColumnCount(const MenuModel& menu);
// The column of every entry when a column also ends before an entry that would make it taller
// than maxColumnHeight (rows and separators of the given heights), so a long menu (many bank
// files) fits the screen. A column holds at least one entry.
std::vector<int> menuColumnsWithin(const MenuModel& menu, int rowHeight, int separatorHeight, int maxColumnHeight);

} // namespace native
