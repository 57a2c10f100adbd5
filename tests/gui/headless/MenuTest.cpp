// The option menu's model: indices with separators, check marks, submenus, columns.
#include "GuiTestSupport.h"

#include "gui/COptionMenu.h"

#include <gtest/gtest.h>

using guitest::RecordingListener;

namespace {

COptionMenu* waveMenu(CControlListener* listener)
{
    auto* menu = new COptionMenu(CRect(0, 0, 100, 20), listener, 1012);
    for (const char* entry : {"Off", "-", "Sawtooth", "Square", "Triangle", "Sine", "-", "White Noise"})
        menu->addEntry(entry);
    return menu;
}

} // namespace

TEST(OptionMenu, EntriesAfterSeparatorsKeepTheirIndex)
{
    RecordingListener listener;
    COptionMenu* menu = waveMenu(&listener);
    EXPECT_EQ(menu->getNbEntries(), 8);
    EXPECT_TRUE(menu->isSeparator(1));
    EXPECT_EQ(menu->getEntry(7), "White Noise");
    EXPECT_TRUE(menu->applyChoice({true, {7}}));
    EXPECT_EQ(menu->getValue(), 7.0f);
    EXPECT_EQ(menu->textForValue(), "White Noise");
    EXPECT_EQ(listener.changes(), (std::vector<float>{7}));
    for (native::MenuChoice refused : {native::MenuChoice{true, {6}}, native::MenuChoice{true, {8}},
                                       native::MenuChoice{false, {2}}, native::MenuChoice{true, {}}})
        EXPECT_FALSE(menu->applyChoice(refused));
    EXPECT_EQ(listener.changes().size(), 1u) << "separators, bad indices and cancels report nothing";
    menu->forget();
}

TEST(OptionMenu, AGreyedEntryIsShownSoAndCannotBeChosen)
{
    RecordingListener listener;
    COptionMenu* menu = waveMenu(&listener);
    EXPECT_TRUE(menu->setEntryEnabled(3, false));
    EXPECT_TRUE(menu->setEntryText(3, "Square Wave"));
    EXPECT_FALSE(menu->setEntryText(1, "x")) << "a separator has no text";
    native::MenuModel model = menu->menuModel();
    EXPECT_FALSE(model.entries[3].enabled);
    EXPECT_EQ(model.entries[3].text, "Square Wave");
    EXPECT_TRUE(model.entries[2].enabled);
    EXPECT_FALSE(menu->applyChoice({true, {3}}));
    menu->setEntryEnabled(3, true);
    EXPECT_TRUE(menu->applyChoice({true, {3}}));
    EXPECT_EQ(listener.changes(), (std::vector<float>{3}));
    menu->forget();
}

TEST(OptionMenu, CheckEntryAloneMarksExactlyOne)
{
    COptionMenu* menu = waveMenu(nullptr);
    menu->checkEntry(0, true);
    menu->checkEntry(3, true);
    menu->checkEntryAlone(5);
    native::MenuModel model = menu->menuModel();
    for (size_t i = 0; i < model.entries.size(); ++i)
        EXPECT_EQ(model.entries[i].checked, i == 5) << "entry " << i;
    EXPECT_FALSE(menu->checkEntryAlone(1)) << "a separator takes no check";
    menu->forget();
}

TEST(OptionMenu, ValueShowsTheNearestEntryWithinRange)
{
    COptionMenu* menu = waveMenu(nullptr);
    for (auto [value, text] : {std::pair{2.0f, "Sawtooth"}, {99.0f, "White Noise"}, {-3.0f, "Off"}}) {
        menu->setValue(value);
        EXPECT_EQ(menu->textForValue(), text) << value;
    }
    menu->removeAllEntry();
    EXPECT_EQ(menu->getCurrentIndex(), -1);
    EXPECT_EQ(menu->textForValue(), "");
    menu->forget();
}

TEST(OptionMenu, SubmenuChoiceReachesTheSubmenuAndItsListener)
{
    RecordingListener top, sub;
    auto* options = new COptionMenu(CRect(0, 0, 16, 16), &top, 1005);
    auto* themes = new COptionMenu(CRect(), &sub, 1008);
    for (const char* entry : {"Extended", "Compact", "-", "Mine"})
        themes->addEntry(entry);
    options->addEntry("Save Preset...");
    options->addEntry(themes, "Theme");
    themes->forget();
    native::MenuModel model = options->menuModel();
    ASSERT_TRUE(model.entries[1].hasSubmenu());
    EXPECT_EQ(model.entries[1].submenu.entries[3].text, "Mine");
    EXPECT_TRUE(options->applyChoice({true, {1, 3}}));
    ASSERT_EQ(sub.reports.size(), 3u);
    EXPECT_EQ(sub.reports[1].tag, 1008);
    EXPECT_EQ(sub.reports[1].value, 3.0f);
    EXPECT_TRUE(top.reports.empty());
    EXPECT_FALSE(options->applyChoice({true, {1}})) << "a submenu's title is not a choice";
    options->forget();
}

TEST(OptionMenu, EntriesFillColumnsOfTheGivenLength)
{
    native::MenuModel menu;
    menu.entries.resize(18);
    menu.entriesPerColumn = 6;
    struct {
        int entry, column;
    } cases[] = {{0, 0}, {5, 0}, {6, 1}, {11, 1}, {12, 2}, {17, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(native::menuColumnOfEntry(menu, c.entry), c.column) << "entry " << c.entry;
    EXPECT_EQ(native::menuColumnCount(menu), 3);
    menu.entries.resize(100);
    menu.entriesPerColumn = 20;
    EXPECT_EQ(native::menuColumnCount(menu), 5);
    menu.entriesPerColumn = 0;
    EXPECT_EQ(native::menuColumnCount(menu), 1);
}

TEST(OptionMenu, LongMenusBreakIntoColumnsThatFitTheScreen)
{
    // Heights as the pop-up draws them: rows of 22, separators of 9.
    const struct {
        int entries, perColumn, separatorAt, maxHeight;
        std::vector<int> firstOfColumn; // index of the first entry of each column
    } cases[] = {
        {300, 0, 1, 996, {0, 45, 90, 135, 180, 225, 270}}, // a bank menu on a 1000-pixel screen
        {100, 20, -1, 1000, {0, 20, 40, 60, 80}},          // the program list keeps its columns
        {100, 20, -1, 200, {0, 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99}},
        {3, 0, -1, 5, {0, 1, 2}}, // a screen lower than one row: one entry per column
        {0, 0, -1, 1000, {}},
    };
    for (const auto& c : cases) {
        native::MenuModel menu;
        menu.entries.resize(size_t(c.entries));
        menu.entriesPerColumn = c.perColumn;
        if (c.separatorAt >= 0)
            menu.entries[size_t(c.separatorAt)].separator = true;
        std::vector<int> columns = native::menuColumnsWithin(menu, 22, 9, c.maxHeight);
        ASSERT_EQ(columns.size(), size_t(c.entries));
        std::vector<int> firsts;
        for (size_t i = 0; i < columns.size(); ++i)
            if (i == 0 || columns[i] != columns[i - 1]) {
                EXPECT_EQ(columns[i], int(firsts.size())) << "columns follow one another";
                firsts.push_back(int(i));
            }
        EXPECT_EQ(firsts, c.firstOfColumn)
            << c.entries << " entries, " << c.perColumn << " per column, " << c.maxHeight << " pixels";
    }
}
