#include "COptionMenu.h"

#include "CFrame.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {
constexpr size_t kMaxEntries = 1024;
} // namespace

COptionMenu::COptionMenu(const CRect& area, CControlListener* controlListener, long controlTag,
                         CBitmap* backgroundImage)
    : CParamDisplay(area, backgroundImage)
{
    setListener(controlListener);
    setTag(controlTag);
    setDefaultValue(0);
    setMax(0);
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
}

bool COptionMenu::addEntry(const std::string& text)
{
    if (entries.size() >= kMaxEntries)
        return false;
    Entry entry;
    entry.separator = text == "-";
    if (!entry.separator)
        entry.text = text;
    entries.push_back(entry);
    setMax(float(entries.size() - 1));
    return true;
}

bool COptionMenu::addEntry(COptionMenu* submenu, const std::string& title)
{
    if (!submenu || submenu == this || !addEntry(title))
        return false;
    submenu->remember();
    entries.back().submenu = submenu;
    entries.back().separator = false;
    entries.back().text = title;
    return true;
}

bool COptionMenu::addSeparator()
{
    return addEntry("-");
}

bool COptionMenu::removeEntry(long index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    if (COptionMenu* submenu = entries[size_t(index)].submenu)
        submenu->forget();
    entries.erase(entries.begin() + index);
    setMax(float(std::max<long>(0, getNbEntries() - 1)));
    setDirty();
    return true;
}

void COptionMenu::removeAllEntry()
{
    for (Entry& entry : entries)
        if (entry.submenu)
            entry.submenu->forget();
    entries.clear();
    setMax(0);
    setDirty();
}

std::string COptionMenu::getEntry(long index) const
{
    return index >= 0 && index < getNbEntries() ? entries[size_t(index)].text : std::string();
}

bool COptionMenu::isSeparator(long index) const
{
    return index >= 0 && index < getNbEntries() && entries[size_t(index)].separator;
}

COptionMenu* COptionMenu::getSubMenu(long index) const
{
    return index >= 0 && index < getNbEntries() ? entries[size_t(index)].submenu : nullptr;
}

bool COptionMenu::setEntryText(long index, const std::string& text)
{
    if (index < 0 || index >= getNbEntries() || entries[size_t(index)].separator)
        return false;
    entries[size_t(index)].text = text;
    setDirty();
    return true;
}

bool COptionMenu::setEntryEnabled(long index, bool enabled)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    entries[size_t(index)].enabled = enabled;
    return true;
}

bool COptionMenu::isEntryEnabled(long index) const
{
    return index >= 0 && index < getNbEntries() && entries[size_t(index)].enabled;
}

bool COptionMenu::checkEntry(long index, bool checked)
{
    if (index < 0 || index >= getNbEntries() || entries[size_t(index)].separator)
        return false;
    entries[size_t(index)].checked = checked;
    return true;
}

bool COptionMenu::checkEntryAlone(long index)
{
    for (Entry& entry : entries)
        entry.checked = false;
    return checkEntry(index, true);
}

bool COptionMenu::isCheckEntry(long index) const
{
    return index >= 0 && index < getNbEntries() && entries[size_t(index)].checked;
}

long COptionMenu::getCurrentIndex() const
{
    if (entries.empty())
        return -1;
    float v = getValue();
    if (!(v >= 0)) // NaN or negative
        return 0;
    return std::min(long(std::lround(v)), getNbEntries() - 1);
}

native::MenuModel COptionMenu::menuModel() const
{
    native::MenuModel model;
    model.entriesPerColumn = int(std::max(0L, itemsPerColumn));
    for (const Entry& entry : entries) {
        native::MenuEntry shown;
        shown.text = entry.text;
        shown.separator = entry.separator;
        shown.checked = entry.checked;
        shown.enabled = entry.enabled;
        if (entry.submenu)
            shown.submenu = entry.submenu->menuModel();
        model.entries.push_back(std::move(shown));
    }
    return model;
}

bool COptionMenu::applyChoice(const native::MenuChoice& choice)
{
    if (!choice.chosen || choice.path.empty())
        return false;
    COptionMenu* menu = this;
    CControlListener* inherited = listener;
    for (size_t level = 0; level < choice.path.size(); ++level) {
        long index = choice.path[level];
        if (index < 0 || index >= menu->getNbEntries() || menu->isSeparator(index) || !menu->isEntryEnabled(index))
            return false;
        COptionMenu* submenu = menu->getSubMenu(index);
        if (level + 1 < choice.path.size()) {
            if (!submenu)
                return false;
            if (menu->listener)
                inherited = menu->listener;
            menu = submenu;
            continue;
        }
        if (submenu) // a submenu's own title is not a choice
            return false;
        CControlListener* told = menu->listener ? menu->listener : inherited;
        menu->beginEdit();
        menu->setValue(float(index));
        if (told)
            told->valueChanged(menu);
        menu->endEdit();
        setDirty();
    }
    return true;
}

void COptionMenu::openPopup()
{
    CFrame* frame = getFrame();
    if (!frame || entries.empty())
        return;
    CPoint corner(size.left, size.bottom);
    localToFrame(corner);
    // Held while the menu is open, so a choice never lands on a deleted menu.
    remember();
    std::shared_ptr<COptionMenu> hold(this, [](COptionMenu* menu) { menu->forget(); });
    frame->showMenu(menuModel(), corner, [hold](const native::MenuChoice& choice) { hold->applyChoice(choice); });
}

std::string COptionMenu::textForValue() const
{
    return getEntry(getCurrentIndex());
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& /*where*/, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    openPopup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::isTypeOf(const char* className) const
{
    return std::strcmp(className, "COptionMenu") == 0 || CParamDisplay::isTypeOf(className);
}
