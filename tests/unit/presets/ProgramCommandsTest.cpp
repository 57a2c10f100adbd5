// Program management of a plug-in instance and the editor's command channel.
#include "editor/Editor.h"
#include "editor/MessageOverlay.h"
#include "gui/CFrame.h"
#include "formats/vst2/Plugin.h"
#include "presets/EffectProgramTransfer.h"
#include "presets/MidiLearnCommands.h"
#include "presets/ProgramOperations.h"
#include "presets/ProgramFiles.h"
#include "support/FileText.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

int displayUpdates = 0;

VstIntPtr VSTCALLBACK displayCountingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterUpdateDisplay)
        ++displayUpdates;
    return 0;
}

struct Programs : ::testing::Test {
    TemporaryFolder folder;
    FakeSystemServices system;
    Plugin* plugin = nullptr;

    Programs()
    {
        system.module = folder.path / "Morvelline.so";
        system.localData = folder.path / "appdata";
        fs::create_directories(system.localData);
    }
    ~Programs() override
    {
        if (plugin)
            plugin->dispatcher(effClose, 0, 0, nullptr, 0);
    }
    fs::path presets() const { return system.localData / "Hollowfen Software" / "Morvelline" / "Presets"; }
    Plugin& create()
    {
        plugin = static_cast<Plugin*>(AudioEffect::fromAeffect(createEffectInstance(displayCountingHost)));
        return *plugin;
    }
    Plugin& createOpen()
    {
        create();
        plugin->pluginEditor()->setOpenForTesting(true);
        return *plugin;
    }
    ProgramStore& store() { return plugin->programStore(); }
    float value(int index) { return plugin->getParameter(index); }
    // The editor's own controls reach the commands through this call alone.
    void command(int tag, float v) { plugin->instrument().editorCommand(tag, v); }
    // Answers the panel the open (headless) editor shows with a button; its title, "" when none.
    std::string answerPanel(MessageAnswer button, std::string* text = nullptr)
    {
        Editor& editor = *plugin->pluginEditor();
        MessageOverlay* panel = editor.shownQuestion();
        if (!panel)
            return {};
        std::string title = panel->titleText();
        if (text)
            for (const std::string& line : panel->textLines())
                *text += line + " ";
        CRect place = panel->buttonRect(button);
        CPoint where(place.left + 2, place.top + 2);
        editor.getFrame()->onMouseDown(where, kLButton);
        editor.idle();
        return title;
    }
};

} // namespace

TEST_F(Programs, NewInstanceStartsOnTheDefaultBankFile)
{
    {
        create(); // makes the folders
        for (int p = 0; p < kNumPrograms; ++p) {
            store().record(p).set(Param::FltCut, float(p) / 200.0f);
            std::snprintf(store().record(p).name, kProgramNameSize, "Bank %d", p);
        }
        ASSERT_EQ(saveBankFile(store(), presets() / "Default.hfb"), kFileOk);
        plugin->setProgram(7);
        plugin->dispatcher(effClose, 0, 0, nullptr, 0);
        plugin = nullptr;
    }
    create();
    EXPECT_EQ(plugin->getProgram(), 0);
    char name[kVstMaxProgNameLen + 1];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Bank 0");
    EXPECT_EQ(store().record(42).get(Param::FltCut), 0.21f);

    // An invalid default bank gives default programs.
    std::ofstream(presets() / "Default.hfb") << "Morvelline Preset\r\n";
    plugin->loadDefaultBank();
    EXPECT_STREQ(store().record(42).name, "Default");
    EXPECT_EQ(store().record(42).get(Param::FltCut), kParamTable[Param::FltCut].defaultValue);
}

TEST_F(Programs, SelectionWrapsAndKeepsBothNumbersAndTheUndoCopy)
{
    create();
    plugin->setProgram(99);
    plugin->nextProgram();
    EXPECT_EQ(plugin->getProgram(), 0);
    EXPECT_EQ(store().currentNumber(), 0);
    plugin->previousProgram();
    EXPECT_EQ(plugin->getProgram(), 99);
    plugin->setProgram(-5);
    EXPECT_EQ(store().currentNumber(), 99);
    plugin->setProgram(250);
    EXPECT_EQ(store().currentNumber(), 0);
    // The host cannot select a program outside the bank.
    plugin->dispatcher(effSetProgram, 0, 100, nullptr, 0);
    EXPECT_EQ(store().currentNumber(), 0);

    int before = displayUpdates;
    plugin->setProgram(5);
    EXPECT_GT(displayUpdates, before);
    plugin->setParameter(Param::FltCut, 0.123f);
    EXPECT_NE(store().record(ProgramStore::kUndoRecord).get(Param::FltCut), 0.123f);

    char name[kVstMaxProgNameLen + 1];
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, 100, name));
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, -1, name));
    char longName[] = "A very long program name indeed";
    plugin->setProgramName(longName);
    EXPECT_STREQ(store().record(5).name, "A very long program name");
    // The host's buffer holds 24 bytes with the terminator.
    EXPECT_TRUE(plugin->getProgramNameIndexed(0, 5, name));
    EXPECT_STREQ(name, "A very long program nam");
}

TEST_F(Programs, CommandsAreIgnoredWhileTheEditorIsClosed)
{
    create();
    command(1002, 1.0f);
    command(1013, 5.0f);
    command(1005, 9.0f);
    EXPECT_EQ(store().currentNumber(), 0);
    EXPECT_EQ(value(Param::Osc2Wave), 0.0f);
    EXPECT_TRUE(system.messages.empty());

    plugin->pluginEditor()->setOpenForTesting(true);
    command(1002, 1.0f);
    command(1002, 0.0f); // the button's release
    EXPECT_EQ(store().currentNumber(), 1);
    command(1001, 1.0f);
    command(1001, 1.0f);
    EXPECT_EQ(store().currentNumber(), 99);
    command(1007, 42.0f);
    EXPECT_EQ(store().currentNumber(), 42);
    command(1007, 100.0f);
    command(1007, 3.5f);
    command(1999, 1.0f);
    EXPECT_EQ(store().currentNumber(), 42);
}

TEST_F(Programs, TheHostsParameterCallsNeverReachTheCommands)
{
    createOpen();
    system.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Yes};
    system.dialogs = {{DialogResult::Chosen, presets() / "host.hfp"}};
    plugin->setProgram(3);
    plugin->setParameter(Param::Volume, 0.2f);
    const UserSettings& settings = plugin->userSettings();
    const int scale = settings.scale;
    const bool askOnBankSelect = settings.askOnBankSelect;
    AEffect* effect = plugin->getAeffect();
    // Each would act as a command: next program, every options entry, program 42, a setting, a menu.
    const VstInt32 indices[] = {kNumParams, 1001, 1002, 1003, 1004, 1005, 1006,      1007,
                                1008,       1009, 1012, 1036, 1088, 5000, INT32_MAX, -1};
    for (VstInt32 index : indices)
        for (float v : {0.0f, 1.0f, 2.0f, 5.0f, 9.0f, 42.0f})
            effect->setParameter(effect, index, v);
    EXPECT_EQ(store().currentNumber(), 3);
    EXPECT_EQ(value(Param::Volume), 0.2f);
    EXPECT_EQ(value(Param::Osc1Wave), kParamTable[Param::Osc1Wave].defaultValue);
    EXPECT_TRUE(system.messages.empty());
    EXPECT_TRUE(system.dialogRequests.empty());
    EXPECT_TRUE(system.openedFolders.empty());
    EXPECT_EQ(settings.scale, scale);
    EXPECT_EQ(settings.askOnBankSelect, askOnBankSelect);
    EXPECT_FALSE(fs::exists(presets() / "host.hfp"));
}

TEST_F(Programs, RestoreBringsBackTheProgramAsSelected)
{
    createOpen();
    plugin->setProgram(5);
    float original = value(Param::FltCut);
    plugin->setParameter(Param::FltCut, 0.9f);

    system.answers = {MessageAnswer::No};
    command(1005, 4.0f);
    EXPECT_EQ(value(Param::FltCut), 0.9f);
    system.answers = {MessageAnswer::Yes};
    command(1005, 4.0f);
    EXPECT_EQ(value(Param::FltCut), original);
    ASSERT_EQ(system.messages.size(), 2u);
    EXPECT_EQ(system.messages[1].text, L"Undo changes to current preset?");
    EXPECT_EQ(system.messages[1].title, L"Restore Preset");
    EXPECT_EQ(system.messages[1].icon, MessageIcon::Question);
}

TEST_F(Programs, CopyAndPasteOfWholePrograms)
{
    createOpen();
    plugin->setProgram(3);
    command(1005, 3.0f); // paste before any copy
    char name[kVstMaxProgNameLen + 1];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Default");

    plugin->setParameter(Param::Volume, 0.33f);
    char newName[] = "Copied";
    plugin->setProgramName(newName);
    command(1005, 2.0f);
    plugin->setProgram(8);
    command(1005, 3.0f);
    EXPECT_EQ(value(Param::Volume), 0.33f);
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Copied");
    // The paste does not count as a selection: Restore goes back to before it.
    EXPECT_STREQ(store().record(ProgramStore::kUndoRecord).name, "Default");
}

TEST_F(Programs, InitializingProgramsAndBanks)
{
    createOpen();
    plugin->setProgram(4);
    plugin->setParameter(Param::Volume, 0.1f);
    char newName[] = "Lead";
    plugin->setProgramName(newName);
    plugin->setProgram(9);
    plugin->setProgram(4);

    system.answers = {MessageAnswer::Cancel};
    command(1005, 9.0f);
    EXPECT_EQ(store().record(50).get(Param::Volume), kParamTable[Param::Volume].defaultValue);

    system.answers = {MessageAnswer::Yes};
    command(1005, 9.0f);
    EXPECT_EQ(store().currentNumber(), 0);
    for (int p = 0; p < kNumPrograms; ++p) {
        ASSERT_STREQ(store().record(p).name, "Lead") << p;
        ASSERT_EQ(store().record(p).get(Param::Volume), 0.1f) << p;
    }
    EXPECT_EQ(system.messages.back().buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(system.messages.back().text,
              L"Initialize the bank using the current preset?\r\nSelect No to use the default values.");
}

TEST_F(Programs, WithoutADialogProgramTheQuestionIsAskedInTheWindow)
{
    create();
    ASSERT_TRUE(plugin->pluginEditor()->openHeadless());
    plugin->setParameter(Param::Volume, 0.1f);
    std::vector<float> volumes;
    for (int p = 0; p < kNumPrograms; ++p)
        volumes.push_back(store().record(p).get(Param::Volume));
    system.answers = {MessageAnswer::Unavailable};
    command(1005, 9.0f);
    EXPECT_EQ(answerPanel(MessageAnswer::Cancel), "Initialize Bank") << "the overlay was not shown";
    for (int p = 0; p < kNumPrograms; ++p)
        ASSERT_EQ(store().record(p).get(Param::Volume), volumes[size_t(p)]) << p;

    system.answers = {MessageAnswer::Yes};
    command(1005, 5.0f);
    EXPECT_STREQ(store().current().name, "Default");
    EXPECT_EQ(value(Param::Volume), kParamTable[Param::Volume].defaultValue);

    system.answers = {MessageAnswer::No};
    command(1005, 9.0f);
    EXPECT_STREQ(store().record(77).name, "Default");
    plugin->initProgram(100); // outside the bank: nothing
}

TEST_F(Programs, SectionsCopyBetweenInstances)
{
    createOpen();
    plugin->setParameter(Param::Flt2Cut, 0.11f);
    plugin->setParameter(Param::Flt2Res, 0.22f);
    plugin->setParameter(Param::Flt2Key, 0.33f);
    plugin->setParameter(Param::Flt2Type, 0.05f);
    command(1019, 0.0f); // copy filter 2
    command(1018, 1.0f); // paste into filter 1
    EXPECT_EQ(value(Param::FltCut), 0.11f);
    EXPECT_EQ(value(Param::FltRes), 0.22f);
    EXPECT_EQ(value(Param::FltKey), 0.33f);
    EXPECT_EQ(value(Param::FltType), 0.05f);

    for (int kind = 0; kind < 4; ++kind) {
        int count = kind < 2 ? 2 : 4;
        for (int i = 1; i <= count; ++i) {
            std::vector<int> params = sectionParameters(SectionKind(kind), i);
            std::vector<int> first = sectionParameters(SectionKind(kind), 1);
            ASSERT_FALSE(params.empty());
            ASSERT_EQ(params.size(), first.size());
            for (size_t n = 0; n < params.size(); ++n) {
                ASSERT_GE(params[n], 0) << "section " << kind << " instance " << i;
                // Same role, other instance: "Env1Rel" -> "Env3Rel", "FltCut" -> "Flt2Cut".
                std::string role = kParamTable[first[n]].shortName;
                if (i > 1 && kind == int(SectionKind::Filter))
                    role.insert(role.begin() + 3, char('0' + i));
                else if (i > 1)
                    role[role.find('1')] = char('0' + i);
                EXPECT_EQ(kParamTable[params[n]].shortName, role);
            }
        }
        EXPECT_TRUE(sectionParameters(SectionKind(kind), count + 1).empty());
    }

    // Envelope 4 into envelope 2, LFO 1 into LFO 3, oscillator 1 into oscillator 2.
    plugin->setParameter(Param::Env4Vel, 0.44f);
    command(1025, 0.0f);
    command(1023, 1.0f);
    EXPECT_EQ(value(findParamByShortName("Env2Vel")), 0.44f);
    plugin->setParameter(findParamByShortName("Lfo1Phse"), 0.66f);
    command(1026, 0.0f);
    command(1028, 1.0f);
    EXPECT_EQ(value(findParamByShortName("Lfo3Phse")), 0.66f);
    plugin->setParameter(Param::Osc1DtVo, 0.77f);
    command(1010, 0.0f);
    command(1011, 1.0f);
    EXPECT_EQ(value(Param::Osc2DtVo), 0.77f);
    EXPECT_EQ(value(Param::Osc2Wave), value(Param::Osc1Wave));
}

TEST_F(Programs, MenuChoicesStoreTheNumbersOfTheirPositions)
{
    createOpen();
    command(1011, 8.0f); // "Sub Alt Mode: Triangle / Sine" on oscillator 2
    EXPECT_EQ(value(Param::Sub2AltW), 0.03f);
    command(1011, 6.0f);
    EXPECT_EQ(value(Param::Sub2AltW), 0.0f);
    command(1010, 10.0f);
    EXPECT_EQ(value(Param::Sub1AltW), 0.05f);

    float before = value(Param::Sub2FlPW);
    command(1011, 3.0f);
    EXPECT_EQ(value(Param::Sub2FlPW), before == 0.0f ? 1.0f : 0.0f);
    plugin->setParameter(Param::Sub2FlPW, 0.5f);
    command(1011, 3.0f);
    EXPECT_EQ(value(Param::Sub2FlPW), 0.0f);

    command(1012, 5.0f); // Sine
    EXPECT_EQ(value(Param::Osc1Wave), 0.09f);
    command(1013, 7.0f); // White Noise
    EXPECT_EQ(value(Param::Osc2Wave), 0.06f);
    command(1013, 1.0f); // a separator: nothing
    EXPECT_EQ(value(Param::Osc2Wave), 0.06f);
    command(1021, 6.0f);
    EXPECT_EQ(value(Param::Flt2Type), 0.06f);
    command(1033, 7.0f);
    EXPECT_EQ(value(findParamByShortName("Lfo4Wave")), 0.07f);
    command(1037, 5.0f); // Velocity
    EXPECT_EQ(value(Param::ModSrc1), 0.09f);
    command(1060, 9.0f); // Env 4 on slot 24
    EXPECT_EQ(value(findParamByShortName("ModSrc24")), 0.17f);
    command(1061, 47.0f); // Mod 24 Amt
    EXPECT_EQ(value(Param::ModDst1), 0.36f);
    command(1084, 5.0f);
    EXPECT_EQ(value(findParamByShortName("ModDst24")), 0.37f);
    command(1061, 48.0f); // beyond the menu
    EXPECT_EQ(value(Param::ModDst1), 0.36f);
}

TEST_F(Programs, RenameAndSettingsCommands)
{
    createOpen();
    plugin->pluginEditor()->setProgramNameText("Brand new name that is too long");
    int before = displayUpdates;
    command(1003, 0.0f);
    EXPECT_STREQ(store().current().name, "Brand new name that is t");
    EXPECT_GT(displayUpdates, before);

    UserSettings& settings = plugin->userSettings();
    command(1009, 0.0f);
    EXPECT_TRUE(settings.askOnBankSelect);
    command(1009, 2.0f);
    EXPECT_TRUE(settings.ignoreAmpVelocity.load());
    command(1004, 2.0f);
    EXPECT_EQ(settings.scale, 3);
    EXPECT_EQ(system.messages.back().text, L"Please reopen the plugin window\nfor this change to take effect");
    command(1008, 1.0f);
    EXPECT_EQ(settings.theme, L"Compact");
    command(1015, 2.0f);
    EXPECT_EQ(settings.playing.mpeMode(), MpeMode::UpperZone);
    command(1009, 5.0f);
    ASSERT_EQ(system.openedFolders.size(), 1u);
    EXPECT_EQ(system.openedFolders[0], settings.dataFolder);
}

TEST_F(Programs, ModCcChoosersAndClearingALearnedController)
{
    createOpen();
    UserSettings& settings = plugin->userSettings();
    struct Choice {
        int tag;
        float value;
        int controller;
    };
    const Choice choices[] = {{1034, 0.0f, -1},  {1034, 1.0f, 119}, {1035, 0.5f, 59},
                              {1035, -3.0f, -1}, {1034, 7.0f, 119}, {1034, NAN, 119}};
    for (const Choice& c : choices) {
        command(c.tag, c.value);
        EXPECT_EQ(settings.midiMap.modCcNumber[c.tag - 1034].load(), c.controller) << c.tag << " " << c.value;
    }
    for (int controller = -1; controller < kNumMappableControllers; ++controller) {
        command(1035, modControllerChooserValue(controller));
        ASSERT_EQ(settings.midiMap.modCcNumber[1].load(), controller);
    }

    settings.midiMap.learnParameter = Param::FltCut;
    settings.midiMap.ccMap[5] = Param::FltCut;
    settings.midiMap.ccMap[9] = Param::FltCut;
    settings.midiMap.ccMap[10] = Param::FltRes;
    command(1036, 1.0f); // a plain click clears nothing
    EXPECT_EQ(settings.midiMap.ccMap[5].load(), Param::FltCut);
    command(1036, 2.0f);
    EXPECT_EQ(settings.midiMap.ccMap[5].load(), -1);
    EXPECT_EQ(settings.midiMap.ccMap[9].load(), -1);
    EXPECT_EQ(settings.midiMap.ccMap[10].load(), Param::FltRes);
}

TEST_F(Programs, BankMenuChoices)
{
    createOpen();
    // Another bank, and one named like the default in other letters that the menu leaves out.
    for (int p = 0; p < kNumPrograms; ++p)
        std::snprintf(store().record(p).name, kProgramNameSize, "Other %d", p);
    ASSERT_EQ(saveBankFile(store(), presets() / "Other.hfb"), kFileOk);
    for (int p = 0; p < kNumPrograms; ++p)
        std::snprintf(store().record(p).name, kProgramNameSize, "Upper %d", p);
    ASSERT_EQ(saveBankFile(store(), presets() / "DEFAULT.hfb"), kFileOk);
    UserSettings& settings = plugin->userSettings();
    settings.scanBankFiles();
    std::vector<std::wstring> files = bankMenuFiles(settings);
    ASSERT_EQ(files, std::vector<std::wstring>{L"Other.hfb"});

    plugin->setProgram(6);
    command(1006, 2.0f); // no question while askOnBankSelect is off
    EXPECT_TRUE(system.messages.empty());
    EXPECT_EQ(store().currentNumber(), 0);
    EXPECT_STREQ(store().record(50).name, "Other 50");

    settings.askOnBankSelect = true;
    system.answers = {MessageAnswer::No};
    command(1006, 0.0f);
    EXPECT_STREQ(store().record(50).name, "Other 50");
    system.answers = {MessageAnswer::Yes};
    command(1006, 0.0f);
    EXPECT_EQ(system.messages.back().text, L"Load the selected bank?");
    // On a case-sensitive system "Default.hfb" is missing: default programs.
    fs::path expected = presets() / "Default.hfb";
    if (fs::exists(expected))
        EXPECT_STREQ(store().record(50).name, "Upper 50");
    else
        EXPECT_STREQ(store().record(50).name, "Default");
}

TEST_F(Programs, WithoutAFileDialogProgramTheWindowSaysWhatToInstall)
{
    create();
    ASSERT_TRUE(plugin->pluginEditor()->openHeadless());
    plugin->setParameter(Param::Volume, 0.2f);
    system.noDialogProgram = true;
    auto filesInPresets = [&] {
        std::error_code error;
        auto files = fs::directory_iterator(presets(), error);
        return error ? 0 : std::distance(files, fs::directory_iterator());
    };
    const auto filesBefore = filesInPresets();
    const std::pair<float, const char*> commands[] = {
        {0.0f, "Save Preset"}, {1.0f, "Load Preset"}, {7.0f, "Save Bank"}, {8.0f, "Load Bank"}};
    for (const auto& [entry, dialogTitle] : commands) {
        std::string text;
        system.dialogs = {{DialogResult::Unavailable, {}}};
        command(1005, entry);
        EXPECT_EQ(answerPanel(MessageAnswer::Ok, &text), dialogTitle);
        EXPECT_NE(text.find("zenity"), std::string::npos) << text;
        EXPECT_NE(text.find("kdialog"), std::string::npos) << text;
    }
    EXPECT_EQ(value(Param::Volume), 0.2f) << "a dialog that never opened changed the program";
    EXPECT_EQ(filesInPresets(), filesBefore) << "a dialog that never opened wrote a file";
}

TEST_F(Programs, PresetAndBankDialogs)
{
    createOpen();
    char newName[] = "My Lead";
    plugin->setProgramName(newName);
    plugin->setParameter(Param::Volume, 0.31f);

    // Save Preset: the dialog starts in the presets folder with the program's name.
    system.dialogs = {{DialogResult::Chosen, presets() / "lead.hfp"}};
    command(1005, 0.0f);
    ASSERT_EQ(system.dialogRequests.size(), 1u);
    const FileDialogRequest& request = system.dialogRequests[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.title, L"Save Preset");
    EXPECT_EQ(request.filterName, L"Presets (*.hfp)");
    EXPECT_EQ(request.filterPattern, L"*.hfp");
    EXPECT_EQ(request.defaultExtension, L"hfp");
    EXPECT_EQ(request.initialName, L"My Lead");
    EXPECT_EQ(request.initialFolder, presets());
    EXPECT_TRUE(fs::exists(presets() / "lead.hfp"));

    // Load Preset into another program selects it again.
    plugin->setProgram(2);
    system.dialogs = {{DialogResult::Chosen, presets() / "lead.hfp"}};
    command(1005, 1.0f);
    EXPECT_EQ(value(Param::Volume), 0.31f);
    EXPECT_STREQ(store().record(ProgramStore::kUndoRecord).name, "My Lead");
    EXPECT_EQ(system.dialogRequests.back().title, L"Load Preset");
    EXPECT_TRUE(system.messages.empty());

    // Failed loads leave the program as it was and say which file and what was wrong.
    writeAll(presets() / "bad.hfp", "Not a preset\r\n");
    writeAll(presets() / "cut.hfp", "Morvelline Preset\r\nVolume 0.9\r\nFltCut 0.");
    ASSERT_EQ(::mkfifo((presets() / "fifo.hfp").c_str(), 0600), 0);
    const struct {
        const char* file;
        std::wstring message;
    } failures[] = {
        {"bad.hfp", L"The selected file is not a valid preset.\n\n" + presets().wstring() + L"/bad.hfp, line 1:"},
        {"cut.hfp", L"The selected file is not a valid preset.\n\n" + presets().wstring() + L"/cut.hfp, line 3:"},
        {"missing.hfp", L"The preset could not be loaded.\n\n" + presets().wstring() + L"/missing.hfp cannot"},
        {"fifo.hfp", L"The preset could not be loaded.\n\n" + presets().wstring() +
                         L"/fifo.hfp is not a regular file."},
    };
    for (const auto& failure : failures) {
        system.messages.clear();
        system.dialogs = {{DialogResult::Chosen, presets() / failure.file}};
        command(1005, 1.0f);
        EXPECT_STREQ(store().current().name, "My Lead") << failure.file;
        EXPECT_EQ(value(Param::Volume), 0.31f) << failure.file;
        ASSERT_EQ(system.messages.size(), 1u);
        EXPECT_EQ(system.messages[0].text.substr(0, failure.message.size()), failure.message);
        EXPECT_EQ(system.messages[0].title, L"Error");
        EXPECT_EQ(system.messages[0].icon, MessageIcon::Error);
    }

    // Cancelled and unavailable dialogs change nothing.
    plugin->setParameter(Param::Volume, 0.5f);
    system.dialogs = {{DialogResult::Unavailable, {}}};
    command(1005, 1.0f);
    command(1005, 8.0f); // cancelled
    EXPECT_EQ(value(Param::Volume), 0.5f);

    // Save Bank into a folder that does not exist, then a bank load that fails.
    system.dialogs = {{DialogResult::Chosen, presets() / "no" / "bank.hfb"}};
    command(1005, 7.0f);
    EXPECT_EQ(system.messages.back().text.substr(0, 29), L"The bank could not be saved.\n");
    plugin->setParameter(Param::Volume, 0.27f);
    system.dialogs = {{DialogResult::Chosen, presets() / "lead.hfp"}};
    command(1005, 8.0f);
    EXPECT_EQ(system.messages.back().text.rfind(L"The selected file is not a valid bank.", 0), 0u);
    EXPECT_EQ(value(Param::Volume), 0.27f) << "a refused bank leaves the bank as it was";
    system.dialogs = {{DialogResult::Chosen, presets() / "missing.hfb"}};
    command(1005, 8.0f);
    EXPECT_EQ(system.messages.back().text.rfind(L"The bank could not be loaded.", 0), 0u);
}

// Save Bank and Save Preset never replace a read-only file or write through a link out of the
// data folder; the message names the file, and both files stay as they were.
TEST_F(Programs, SavesRefuseReadOnlyFilesAndLinksOutOfTheDataFolder)
{
    createOpen();
    const fs::path outside = folder.path / "profile.sh";
    writeAll(outside, "export PATH\n");
    writeAll(presets() / "ro.hfb", "old");
    fs::permissions(presets() / "ro.hfb", fs::perms::owner_read | fs::perms::group_read);
    fs::create_symlink(outside, presets() / "link.hfp");
    fs::create_symlink(presets() / "gone.hfb", presets() / "dangling.hfb");
    writeAll(presets() / "inside.hfp", "old");
    fs::create_symlink(presets() / "inside.hfp", presets() / "inner-link.hfp");
    const struct {
        float command;
        const char* file;
        std::wstring message; // empty: saved
    } cases[] = {
        {7.0f, "ro.hfb", L"The bank could not be saved.\n\n" + presets().wstring() + L"/ro.hfb is read-only."},
        {0.0f, "link.hfp", L"The preset could not be saved.\n\n" + presets().wstring() +
                               L"/link.hfp is a link to a file outside the data folder."},
        {7.0f, "dangling.hfb", L"The bank could not be saved.\n\n" + presets().wstring() +
                                   L"/dangling.hfb is a link to a file that does not exist."},
        {0.0f, "inner-link.hfp", L""},
    };
    for (const auto& c : cases) {
        system.messages.clear();
        system.dialogs = {{DialogResult::Chosen, presets() / c.file}};
        command(1005, c.command);
        if (c.message.empty()) {
            EXPECT_TRUE(system.messages.empty()) << c.file;
            continue;
        }
        ASSERT_EQ(system.messages.size(), 1u) << c.file;
        EXPECT_EQ(system.messages[0].text, c.message);
    }
    EXPECT_EQ(readAll(outside), "export PATH\n");
    EXPECT_EQ(readAll(presets() / "ro.hfb"), "old");
    EXPECT_TRUE(fs::is_symlink(presets() / "link.hfp") && fs::is_symlink(presets() / "dangling.hfb"));
    EXPECT_FALSE(fs::exists(presets() / "gone.hfb"));
    EXPECT_EQ(readAll(presets() / "inside.hfp").rfind("Morvelline Preset\r\n", 0), 0u);
}

TEST_F(Programs, SavePresetSuggestsANameThatIsAFileName)
{
    createOpen();
    const struct {
        const char* program;
        const wchar_t* suggested;
    } cases[] = {
        {"BS Wobble 1/8", L"BS Wobble 1-8"}, {"a\\b:c*d?e\"f<g>h|i", L"a-b-c-d-e-f-g-h-i"},
        {"Tab\there", L"Tab-here"},          {"Ends with dots..", L"Ends with dots"},
        {"..", L""},                          {"con", L"con_"},
        {"LPT1.x", L"LPT1_.x"},               {"COM10", L"COM10"},
    };
    for (const auto& c : cases) {
        std::strcpy(store().current().name, c.program);
        command(1005, 0.0f); // cancelled
        EXPECT_EQ(system.dialogRequests.back().initialName, c.suggested) << c.program;
    }
}

TEST_F(Programs, FilesReachAnInstanceThroughTheBinaryInterface)
{
    create();
    auto bank = std::make_unique<ProgramStore>();
    for (int p = 0; p < kNumPrograms; ++p) {
        bank->record(p).set(Param::Volume, float(p) / 100.0f);
        std::snprintf(bank->record(p).name, kProgramNameSize, "Sent %d", p);
    }
    ASSERT_EQ(saveBankFile(*bank, folder.path / "sent.hfb"), kFileOk);
    auto read = std::make_unique<ProgramStore>();
    ASSERT_EQ(loadBankFile(*read, folder.path / "sent.hfb"), kFileOk);

    AEffect* effect = plugin->getAeffect();
    sendBankToEffect(effect, &read->record(0));
    EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0), 0);
    char name[kVstMaxProgNameLen + 1];
    ASSERT_EQ(effect->dispatcher(effect, effGetProgramNameIndexed, 63, 0, name, 0), 1);
    EXPECT_STREQ(name, "Sent 63");
    EXPECT_EQ(store().record(63).get(Param::Volume), 0.63f);

    ProgramRecord& preset = read->record(ProgramStore::kPresetClipboard);
    preset.initialize();
    preset.set(Param::FltCut, 0.25f);
    sendProgramToEffect(effect, preset);
    EXPECT_EQ(effect->getParameter(effect, Param::FltCut), 0.25f);
    EXPECT_STREQ(store().current().name, "Default");
}
