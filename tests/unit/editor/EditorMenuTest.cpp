// The editor's menus: entries and marks as they open, and what a choice does to the program,
// the settings and the bank.
#include "EditorTestSupport.h"

#include "editor/HeaderMenus.h"
#include "editor/ParamMenu.h"
#include "params/CodeTables.h"
#include "params/ProgramStore.h"
#include "presets/ProgramFiles.h"

#include <cmath>
#include <cstring>
#include <fstream>

using namespace editortest;

namespace {

struct Menus : EditorFixture {
    COptionMenu* menu(long tag) { return dynamic_cast<COptionMenu*>(one(tag, "COptionMenu")); }
    // Opens the menu the way a click does (headless: it closes unchosen) so it marks its entries.
    COptionMenu* opened(long tag)
    {
        COptionMenu* m = menu(tag);
        CPoint where = centre(tag, "COptionMenu");
        m->onMouseDown(where, kLButton);
        return m;
    }
    void choose(COptionMenu* m, std::vector<int> path) { m->applyChoice(native::MenuChoice{true, std::move(path)}); }
    std::vector<long> marked(COptionMenu* m)
    {
        std::vector<long> list;
        for (long i = 0; i < m->getNbEntries(); ++i)
            if (m->isCheckEntry(i))
                list.push_back(i);
        return list;
    }
};

} // namespace

TEST_F(Menus, ParameterMenusOfferTheCodeTablesAndStoreTheirNumbers)
{
    struct Case {
        long tag;
        int parameter;
        CodeKind kind;
        long perColumn;
    };
    const Case cases[] = {{1012, Param::Osc1Wave, CodeKind::OscWave, 0},
                          {1021, Param::Flt2Type, CodeKind::FilterType, 0},
                          {1033, Param::Lfo4Wave, CodeKind::LfoWave, 0},
                          {1060, Param::ModSrc24, CodeKind::ModSource, 6},
                          {1061, Param::ModDst1, CodeKind::ModTarget, 8}};
    openEditor();
    for (const Case& c : cases) {
        COptionMenu* m = menu(c.tag);
        ASSERT_EQ(m->getNbEntries(), codeCount(c.kind)) << c.tag;
        EXPECT_EQ(m->getNbItemsPerColumn(), c.perColumn);
        for (int entry = 0; entry < codeCount(c.kind); ++entry) {
            ASSERT_EQ(m->isSeparator(entry), codeIsSeparator(c.kind, entry)) << c.tag << " " << entry;
            if (codeIsSeparator(c.kind, entry))
                continue;
            EXPECT_EQ(m->getEntry(entry), codeMenuText(c.kind, entry));
            choose(m, {entry});
            EXPECT_EQ(create().getParameter(c.parameter), codeStoredValue(c.kind, entry)) << c.tag << " " << entry;
            EXPECT_EQ(opened(c.tag)->getCurrentIndex(), entry);
            EXPECT_EQ(marked(m), std::vector<long>{entry});
        }
    }
    // A stored number on a separator marks the entry below it; Ctrl+click chooses "Off" unopened.
    create().setParameter(Param::Osc1Wave, 0.05f);
    EXPECT_EQ(opened(1012)->getEntry(marked(menu(1012)).at(0)), "White Noise");
    CPoint where = centre(1012, "COptionMenu");
    menu(1012)->onMouseDown(where, kLButton | kControl);
    EXPECT_EQ(create().getParameter(Param::Osc1Wave), 0.0f);
}

TEST_F(Menus, ScaleAndProgramMenus)
{
    openEditor();
    EXPECT_EQ(marked(opened(1004)), std::vector<long>{0});
    choose(menu(1004), {1});
    EXPECT_EQ(create().userSettings().scale, 2);
    EXPECT_EQ(system.messages.back().title, L"Settings");
    EXPECT_EQ(frame().getWidth(), 1168); // until reopened
    editor().close();
    openEditor();
    EXPECT_EQ(frame().getWidth(), 1752);

    std::strcpy(create().programStore().record(99).name, "Last One");
    COptionMenu* programs = opened(1007);
    ASSERT_EQ(programs->getNbEntries(), 100);
    EXPECT_EQ(programs->getNbItemsPerColumn(), 20);
    EXPECT_EQ(programs->getEntry(0).substr(0, 5), "001: ");
    EXPECT_EQ(programs->getEntry(99), "100: Last One");
    choose(programs, {41});
    EXPECT_EQ(create().getProgram(), 41);
    EXPECT_EQ(marked(opened(1007)), std::vector<long>{41});
}

TEST_F(Menus, BankMenuListsTheFilesAndLoadsTheChosenOne)
{
    create();
    const auto presets = dataFolder() / "Presets";
    for (const char* name : {"Alpha", "Default", "Beta"}) {
        std::strcpy(create().programStore().record(0).name, name);
        ASSERT_EQ(saveBankFile(create().programStore(), presets / (std::string(name) + ".hfb")), kFileOk);
    }
    openEditor();
    COptionMenu* banks = opened(1006);
    ASSERT_EQ(banks->getNbEntries(), 4);
    EXPECT_EQ(banks->getEntry(0), "Default");
    EXPECT_TRUE(banks->isSeparator(1));
    for (int entry = 2; entry < 4; ++entry) {
        std::string shown = banks->getEntry(entry);
        create().setProgram(5);
        choose(banks, {entry});
        EXPECT_STREQ(create().programStore().record(0).name, shown.c_str());
        EXPECT_EQ(create().getProgram(), 0);
    }
    EXPECT_TRUE(system.messages.empty()); // askOnBankSelect is off
    std::filesystem::remove_all(presets);
    std::filesystem::create_directories(presets);
    EXPECT_EQ(opened(1006)->getNbEntries(), 1);
}

TEST_F(Menus, OptionsMenuThemesAndSettingsAreMarkedAtEachOpening)
{
    writeTheme("Night", "");
    openEditor();
    UserSettings& settings = create().userSettings();
    settings.enableMouseWheel = true;
    COptionMenu* options = opened(1005);
    ASSERT_EQ(options->getNbEntries(), 21);
    EXPECT_EQ(options->getEntry(9), "Initialize Bank");
    COptionMenu* themes = options->getSubMenu(13);
    COptionMenu* toggles = options->getSubMenu(14);
    ASSERT_TRUE(themes && toggles);
    ASSERT_EQ(themes->getNbEntries(), 4);
    EXPECT_EQ(themes->getEntry(3), "Night");
    EXPECT_EQ(marked(themes), std::vector<long>{0});
    EXPECT_EQ(marked(toggles), std::vector<long>{1});
    EXPECT_EQ(toggles->getEntry(5), "Open Home Folder");
    choose(options, {13, 3});
    EXPECT_EQ(settings.theme, L"Night");
    EXPECT_EQ(marked(opened(1005)->getSubMenu(13)), std::vector<long>{3});
    choose(options, {14, 0});
    EXPECT_TRUE(settings.askOnBankSelect);
    EXPECT_EQ(marked(toggles->getSubMenu(3)), std::vector<long>{0});
    choose(options, {14, 3, 1});
    EXPECT_EQ(settings.playing.mpeMode(), MpeMode::LowerZone);
    EXPECT_EQ(marked(opened(1005)->getSubMenu(14)->getSubMenu(3)), std::vector<long>{1});
}

TEST_F(Menus, TuningMenuListsScalesAndMappingsAndKeepsTheTuningAFileCannotGive)
{
    const auto tunings = dataFolder() / "Tunings";
    std::filesystem::create_directories(tunings);
    std::ofstream(tunings / "Nineteen.scl") << "19 equal\n1\n63.1578947\n";
    std::ofstream(tunings / "Broken.scl") << "broken\n2\n3/2\n";
    std::ofstream(tunings / "Low A.kbm") << "0\n0\n127\n60\n69\n432.0\n0\n";
    openEditor();
    UserSettings& settings = create().userSettings();
    COptionMenu* tuning = opened(1005)->getSubMenu(ConfigMenu::kTuningEntry);
    ASSERT_TRUE(tuning);
    const std::vector<std::string> shown = {"Standard (12-TET)",         "",     "Broken", "Nineteen", "",
                                            "Standard Keyboard Mapping", "Low A"};
    ASSERT_EQ(tuning->getNbEntries(), long(shown.size()));
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(tuning->getEntry(long(i)), shown[i]);
    EXPECT_EQ(marked(tuning), (std::vector<long>{0, 5}));

    choose(tuning, {3});
    choose(tuning, {6});
    EXPECT_EQ(settings.tuningScale, L"Nineteen.scl");
    EXPECT_NEAR(settings.playing.pitchOf(70) - settings.playing.pitchOf(69), 12.0 / 19.0, 1e-5);
    EXPECT_NEAR(settings.playing.pitchOf(69), 69.0 + 12.0 * std::log2(432.0 / 440.0), 1e-4);
    EXPECT_EQ(marked(opened(1005)->getSubMenu(ConfigMenu::kTuningEntry)), (std::vector<long>{3, 6}));
    // The broken scale says where it broke; the 19-tone scale stays.
    choose(tuning, {2});
    ASSERT_FALSE(system.messages.empty());
    EXPECT_NE(system.messages.back().text.find(L"Broken.scl, line 4: the file ends after 1 of the 2 pitches"),
              std::wstring::npos);
    EXPECT_EQ(settings.tuningScale, L"Nineteen.scl");
    EXPECT_NEAR(settings.playing.pitchOf(70) - settings.playing.pitchOf(69), 12.0 / 19.0, 1e-5);
    choose(tuning, {0});
    choose(tuning, {5});
    EXPECT_EQ(settings.playing.pitchOf(70), 70.0f);
}

TEST_F(Menus, OscillatorMenuMarksAndTogglesWithoutAutomation)
{
    openEditor();
    create().setParameter(Param::Sub2FlPW, 1.0f);
    create().setParameter(Param::Sub2FlVl, 0.0f);
    create().setParameter(Param::Sub2AltW, 0.03f);
    COptionMenu* osc = opened(1011);
    EXPECT_EQ(marked(osc), (std::vector<long>{3, 8}));
    automatedIndices().clear();
    choose(osc, {4});
    choose(osc, {10});
    EXPECT_EQ(create().getParameter(Param::Sub2FlVl), 1.0f);
    EXPECT_EQ(create().getParameter(Param::Sub2AltW), 0.05f);
    EXPECT_TRUE(automatedIndices().empty());
    EXPECT_EQ(marked(opened(1011)), (std::vector<long>{3, 4, 10}));
}

TEST_F(Menus, FilterEnvelopeAndLfoMenusMarkNoEntry)
{
    openEditor();
    for (long tag : {1018L, 1019L, 1022L, 1023L, 1024L, 1025L, 1026L, 1027L, 1028L, 1029L}) {
        EXPECT_TRUE(marked(opened(tag)).empty()) << "tag " << tag;
        for (int entry : {1, 0}) {
            choose(menu(tag), {entry});
            EXPECT_TRUE(marked(opened(tag)).empty()) << "tag " << tag << " after entry " << entry;
        }
    }
}
