// The data folder, Settings.txt reading and writing, and the folder scans.
#include "params/ParamTable.h"
#include "settings/UserSettings.h"
#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Settings : ::testing::Test {
    TemporaryFolder folder;
    FakeSystemServices system;

    Settings()
    {
        system.module = folder.path / "plugins" / "Morvelline.so";
        system.localData = folder.path / "appdata";
        fs::create_directories(folder.path / "plugins");
        fs::create_directories(system.localData);
    }
    fs::path appFolder() const { return system.localData / "Hollowfen Software" / "Morvelline"; }
    void writeSettings(const std::string& text)
    {
        fs::create_directories(appFolder());
        std::ofstream(appFolder() / "Settings.txt", std::ios::binary) << text;
    }
};

} // namespace

TEST_F(Settings, CreatesTheAppDataFolderWithPresetsThemesAndTunings)
{
    UserSettings settings;
    ASSERT_TRUE(settings.dataFolderFound);
    EXPECT_EQ(settings.dataFolder, appFolder());
    EXPECT_TRUE(settings.presetsFolderExists && fs::is_directory(appFolder() / "Presets"));
    EXPECT_TRUE(settings.themesFolderExists && fs::is_directory(appFolder() / "Themes"));
    EXPECT_TRUE(settings.tuningsFolder == appFolder() / "Tunings" && fs::is_directory(settings.tuningsFolder));
    EXPECT_EQ(settings.defaultBankFile, appFolder() / "Presets" / "Default.hfb");
    EXPECT_EQ(settings.settingsFile, appFolder() / "Settings.txt");
    EXPECT_EQ(settings.midiFile, appFolder() / "Midi.txt");
    EXPECT_FALSE(fs::exists(settings.defaultBankFile)); // never created here
}

TEST_F(Settings, DataFolderBesideThePluginTakesPrecedence)
{
    fs::create_directory(folder.path / "plugins" / "Morvelline_Data");
    UserSettings settings;
    EXPECT_EQ(settings.dataFolder, folder.path / "plugins" / "Morvelline_Data");
    EXPECT_TRUE(fs::is_directory(settings.presetsFolder));
    EXPECT_FALSE(fs::exists(system.localData / "Hollowfen Software"));
}

TEST_F(Settings, NoDataFolderMeansDefaultsAndNoWrites)
{
    system.localData.clear();
    UserSettings settings;
    EXPECT_FALSE(settings.dataFolderFound);
    EXPECT_FALSE(settings.presetsFolderExists);
    EXPECT_TRUE(settings.settingsFile.empty());
    settings.scale = 3;
    settings.saveSettings();
    settings.loadSettings();
    EXPECT_EQ(settings.scale, 3);
    EXPECT_EQ(settings.theme, L"Extended");
    settings.scanBankFiles();
    EXPECT_TRUE(settings.bankFileNames.empty());

    // An app-data folder where "Hollowfen Software" cannot be made (a file is in the way).
    system.localData = folder.path / "appdata";
    std::ofstream(system.localData / "Hollowfen Software") << "x";
    UserSettings blocked;
    EXPECT_FALSE(blocked.dataFolderFound);
}

TEST_F(Settings, ReadsValuesTheWayTheFileIsWritten)
{
    writeSettings("scale=0x3\r\naskOnBankSelect=1\nenableMouseWheel=true\r\nignoreAmpVelocity=1\n"
                  "junk line\nunknown=5\ntheme=Compact\n");
    UserSettings settings;
    EXPECT_EQ(settings.scale, 3);
    EXPECT_TRUE(settings.askOnBankSelect);
    EXPECT_FALSE(settings.enableMouseWheel);
    EXPECT_TRUE(settings.ignoreAmpVelocity.load());
    EXPECT_EQ(settings.theme, L"Compact");

    settings.applySettingsText("scale=010\n");
    EXPECT_EQ(settings.scale, 8);
    settings.applySettingsText("scale=abc\n");
    EXPECT_EQ(settings.scale, 0);
    settings.applySettingsText("scale=99999999999999999999\n");
    EXPECT_EQ(settings.scale, INT32_MAX);
    settings.applySettingsText("askOnBankSelect=1 \n"); // only exactly "1" is on
    EXPECT_FALSE(settings.askOnBankSelect);
    settings.applySettingsText("theme=\n");
    EXPECT_EQ(settings.theme, L"Extended");
    settings.applySettingsText("theme=Nowhere\n");
    EXPECT_EQ(settings.theme, L"Extended");
}

TEST_F(Settings, ThemeNamesMustBeExistingFolders)
{
    fs::create_directories(appFolder() / "Themes" / "Dark=Blue");
    fs::create_directories(appFolder() / "Themes" / "Light");
    std::ofstream(appFolder() / "Themes" / "NotAFolder") << "x";
    writeSettings("theme=Dark=Blue\r\n");
    UserSettings settings;
    EXPECT_EQ(settings.theme, L"Dark=Blue");
    ASSERT_EQ(settings.themeNames.size(), 2u);

    settings.selectTheme(1);
    EXPECT_EQ(settings.theme, L"Compact");
    settings.selectTheme(2); // the separator
    EXPECT_EQ(settings.theme, L"Extended");
    settings.selectTheme(3);
    EXPECT_EQ(settings.theme, settings.themeNames[0]);
    settings.selectTheme(99);
    EXPECT_EQ(settings.theme, L"Extended");
}

TEST_F(Settings, SaveWritesEveryLineAndItReadsBackTheSame)
{
    UserSettings settings;
    const std::string fresh = "theme=Extended\nscale=1\naskOnBankSelect=0\nenableMouseWheel=0\nignoreAmpVelocity=0\n"
                              "tuningScale=\ntuningMapping=\nmpe=0\n";
    EXPECT_EQ(settings.settingsText(), fresh);
    settings.scale = 2;
    settings.theme = L"Compact";
    settings.enableMouseWheel = true;
    settings.playing.requestMpe(MpeMode::UpperZone);
    settings.saveSettings();
    EXPECT_EQ(readAll(settings.settingsFile),
              "theme=Compact\nscale=2\naskOnBankSelect=0\nenableMouseWheel=1\nignoreAmpVelocity=0\n"
              "tuningScale=\ntuningMapping=\nmpe=2\n");

    // Keys in another order with extra lines read the same.
    writeSettings("ignoreAmpVelocity=0\n# comment\nmpe=2\nenableMouseWheel=1\ntheme=Compact\nscale=2\n");
    UserSettings again;
    EXPECT_EQ(again.settingsText(), settings.settingsText());
}

TEST_F(Settings, LoadingResetsTheMidiMap)
{
    UserSettings settings;
    settings.midiMap.ccMap[7].store(12);
    settings.midiMap.modCcNumber[1].store(3);
    settings.loadSettings();
    EXPECT_EQ(settings.midiMap.ccMap[7].load(), -1);
    EXPECT_EQ(settings.midiMap.modCcNumber[1].load(), -1);
}

TEST_F(Settings, BankScanListsOnlyHfbFiles)
{
    UserSettings settings;
    for (const char* name : {"A.hfb", "DEFAULT.HFB", "b.hfp", "c.hfbak"})
        std::ofstream(settings.presetsFolder / name) << "x";
    fs::create_directory(settings.presetsFolder / "folder.hfb");
    settings.scanBankFiles();
    std::vector<std::wstring> names = settings.bankFileNames;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A.hfb", L"DEFAULT.HFB"}));
}

TEST(SettingsLinux, DataFolderFollowsXdgDataHomeThenHome)
{
    TemporaryFolder folder;
    std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    std::string oldXdgText = oldXdg ? oldXdg : "";

    ::setenv("XDG_DATA_HOME", (folder.path / "xdg").c_str(), 1);
    EXPECT_EQ(nativeSystemServices().localDataFolder(), folder.path / "xdg");
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    ::setenv("HOME", (folder.path / "home").c_str(), 1);
    EXPECT_EQ(nativeSystemServices().localDataFolder(), folder.path / "home" / ".local" / "share");
    EXPECT_TRUE(fs::is_directory(folder.path / "home" / ".local" / "share"));
    {
        UserSettings settings;
        EXPECT_EQ(settings.dataFolder, folder.path / "home" / ".local" / "share" / "Hollowfen Software" / "Morvelline");
    }
    // The module found is this very program.
    EXPECT_TRUE(fs::exists(nativeSystemServices().modulePath()));

    ::setenv("HOME", oldHome.c_str(), 1);
    if (oldXdg)
        ::setenv("XDG_DATA_HOME", oldXdgText.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(Settings, MidiMapIsSavedWithTheSettingsAndReadBackAtTheNextLoad)
{
    UserSettings settings;
    settings.midiMap.ccMap[74].store(Param::FltCut);
    settings.midiMap.modCcNumber[0].store(1);
    settings.saveSettings();
    const std::string written = readAll(settings.midiFile);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 122);

    UserSettings later;
    EXPECT_EQ(later.midiMap.ccMap[74].load(), Param::FltCut);
    EXPECT_EQ(later.midiMap.ccMap[73].load(), -1);
    EXPECT_EQ(later.midiMap.modCcNumber[0].load(), 1);
    EXPECT_EQ(later.midiMap.modCcNumber[1].load(), -1);
}

// Closing the editor writes Settings.txt and Midi.txt: through a link that leads out of the data
// folder (or nowhere) nothing is written, and a byte-order mark does not hide the first key.
TEST_F(Settings, SavingKeepsLinksOutOfTheDataFolderAndReadsPastAByteOrderMark)
{
    writeSettings("\xEF\xBB\xBFscale=2\n");
    const fs::path outside = folder.path / "profile.sh";
    writeAll(outside, "export PATH\n");
    fs::create_symlink(outside, appFolder() / "Midi.txt");
    UserSettings settings;
    EXPECT_EQ(settings.scale, 2);
    settings.saveSettings();
    EXPECT_EQ(readAll(outside), "export PATH\n");
    EXPECT_TRUE(fs::is_symlink(appFolder() / "Midi.txt"));
    EXPECT_EQ(readAll(appFolder() / "Settings.txt").rfind("theme=Extended", 0), 0u);

    fs::remove(appFolder() / "Settings.txt");
    fs::create_symlink(appFolder() / "Presets" / "gone.txt", appFolder() / "Settings.txt");
    settings.saveSettings();
    EXPECT_TRUE(fs::is_symlink(appFolder() / "Settings.txt"));
    EXPECT_FALSE(fs::exists(appFolder() / "Presets" / "gone.txt"));
}
