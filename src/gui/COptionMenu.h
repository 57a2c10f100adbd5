// A pop-up menu shown as the text of its current entry. Entries are appended; a separator takes
// an index like any entry; check marks, submenus and a fixed number of entries per column. The
// value is the index of the chosen entry: a click opens the menu, and a choice sets the value
// and calls valueChanged (an entry of a submenu sets the submenu's value and tells the
// submenu's listener, or this menu's listener when the submenu has none).
#pragma once

#include "CParamDisplay.h"
#include "platform/NativeMenu.h"

#include <string>
#include <vector>

class COptionMenu : public CParamDisplay {
public:
    COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr);
    ~COptionMenu() override;

    // Appends an entry; the text "-" makes a separator. Returns false when the menu is full.
    bool addEntry(const std::string& text);
    // Appends a submenu under title; the menu remembers it.
    bool addEntry(COptionMenu* submenu, const std::string& title);
    bool addSeparator();
    bool removeEntry(long index);
    void removeAllEntry();
    long getNbEntries() const { return long(entries.size()); }
    // The entry's text ("" for a separator or a bad index).
    std::string getEntry(long index) const;
    bool isSeparator(long index) const;
    COptionMenu* getSubMenu(long index) const;

    // Replaces an entry's text (not a separator's).
    bool setEntryText(long index, const std::string& text);
    // A disabled entry is shown greyed out and cannot be chosen.
    bool setEntryEnabled(long index, bool enabled);
    bool isEntryEnabled(long index) const;

    bool checkEntry(long index, bool checked);
    // Checks index and clears every other check.
    bool checkEntryAlone(long index);
    bool isCheckEntry(long index) const;
    void setNbItemsPerColumn(long count) { itemsPerColumn = count; }
    long getNbItemsPerColumn() const { return itemsPerColumn; }
    // The index of the current value, limited to the entries (-1 when empty).
    long getCurrentIndex() const;

    // What the pop-up shows, submenus included.
    native::MenuModel menuModel() const;
    // Applies a choice made in the pop-up; false when nothing was chosen.
    bool applyChoice(const native::MenuChoice& choice);
    // Opens the pop-up under the menu (frame with a window only).
    void openPopup();

    std::string textForValue() const override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    struct Entry {
        std::string text;
        bool separator = false;
        bool checked = false;
        bool enabled = true;
        COptionMenu* submenu = nullptr;
    };
    std::vector<Entry> entries;
    long itemsPerColumn = 0;
};
