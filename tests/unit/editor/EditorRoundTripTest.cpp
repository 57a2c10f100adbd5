// The editor and the plug-in together: gestures reach the plug-in and the host, parameter
// changes from elsewhere reach the controls, and idle shows program, lamps and learn state.
#include "EditorTestSupport.h"

#include "editor/ActiveLabel.h"
#include "editor/CodedParamMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CTabView.h"
#include "gui/CTextEdit.h"
#include "params/CodeTables.h"
#include "params/CommandTags.h"
#include "params/ProgramStore.h"

#include <algorithm>

using namespace editortest;

namespace {

struct RoundTrip : EditorFixture {
    std::string textOf(long tag, const char* className)
    {
        auto* display = dynamic_cast<CParamDisplay*>(one(tag, className));
        return display ? display->textForValue() : std::string("<none>");
    }
    int automationsOf(VstInt32 index)
    {
        auto& all = automatedIndices();
        return int(std::count(all.begin(), all.end(), index));
    }
};

} // namespace

TEST_F(RoundTrip, DraggingTheCutoffKnobReachesPluginHostAndLabel)
{
    openEditor();
    create().setParameter(Param::FltCut, 0.5f);
    automatedIndices().clear();
    CPoint knob = centre(Param::FltCut, "CAnimKnob");
    frame().onMouseDown(knob, kLButton);
    CPoint up(knob.x, knob.y - 50); // a quarter of the 200-pixel range
    frame().onMouseMoved(up, kLButton);
    EXPECT_NEAR(create().getParameter(Param::FltCut), 0.75f, 0.01f);
    EXPECT_GT(automationsOf(Param::FltCut), 0);
    editor().idle();
    auto* label = dynamic_cast<ActiveLabel*>(one(Param::FltCut, "ActiveLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isShowingValue());
    char hostText[16] = "";
    create().getParameterDisplay(Param::FltCut, hostText);
    EXPECT_EQ(label->getText(), hostText);
    frame().onMouseUp(up, kLButton);
    editor().idle();
    EXPECT_EQ(label->getText(), "CUTOFF");
}

TEST_F(RoundTrip, ValueDisplayUnderAnInvisibleKnobShowsTheNewText)
{
    openEditor();
    editor().lowerTabs()->selectTab(4);
    create().setParameter(Param::DlyFBack, 0.0f);
    std::string before = textOf(Param::DlyFBack, "ParamDisplay");
    drag(centre(Param::DlyFBack, "ParamKnob"), -100);
    EXPECT_NEAR(create().getParameter(Param::DlyFBack), 0.5f, 0.01f);
    editor().idle();
    EXPECT_NE(textOf(Param::DlyFBack, "ParamDisplay"), before);
    EXPECT_EQ(textOf(Param::DlyFBack, "ParamDisplay"), editor().displayText(Param::DlyFBack, 0.5f));
}

TEST_F(RoundTrip, DoubleClickReturnsToTheDefaultOnce)
{
    openEditor();
    create().setParameter(Param::FltCut, 0.3f);
    automatedIndices().clear();
    CPoint knob = centre(Param::FltCut, "CAnimKnob");
    click(knob, kLButton | kDoubleClick);
    EXPECT_EQ(create().getParameter(Param::FltCut), 1.0f);
    EXPECT_EQ(automationsOf(Param::FltCut), 1);
    click(knob, kLButton | kDoubleClick);
    EXPECT_EQ(automationsOf(Param::FltCut), 1);
    click(centre(Param::Env1Rel, "CAnimKnob"), kLButton | kControl);
    EXPECT_EQ(create().getParameter(Param::Env1Rel), kReleaseDefault);
}

TEST_F(RoundTrip, WheelStepsStopAtTheEndOfTheRange)
{
    openEditor();
    create().setParameter(Param::FltRes, 0.99f);
    CPoint knob = centre(Param::FltRes, "CAnimKnob");
    frame().onWheel(knob, 1.0f, 0);
    EXPECT_EQ(create().getParameter(Param::FltRes), 1.0f);
    frame().onWheel(knob, -2.0f, kShift);
    EXPECT_NEAR(create().getParameter(Param::FltRes), 0.995f, 1e-5f);
    EXPECT_EQ(editor().lastTouchedTag(), Param::FltRes);
}

TEST_F(RoundTrip, HostAutomationMovesMenusAndSwitchesOnly)
{
    openEditor();
    auto* menu = dynamic_cast<CodedParamMenu*>(one(1020, "ParamMenu"));
    ASSERT_NE(menu, nullptr);
    for (int code : {5, 8, 2}) {
        create().setParameter(Param::FltType, codeStoredValue(CodeKind::FilterType, code));
        EXPECT_EQ(menu->getCurrentIndex(), code);
    }
    // A stored number on a separator shows the entry below it.
    auto* wave = dynamic_cast<CodedParamMenu*>(one(1012, "ParamMenu"));
    create().setParameter(Param::Osc1Wave, 0.05f);
    EXPECT_EQ(wave->getEntry(wave->getCurrentIndex()), "White Noise");

    // The delay's sync switch rewords the delay time and nothing else.
    editor().lowerTabs()->selectTab(4);
    create().setParameter(Param::DlySync, 0.0f);
    create().setParameter(Param::DlyTime, 0.5f);
    std::vector<std::string> before;
    for (const Placed& p : controls())
        if (auto* d = dynamic_cast<CParamDisplay*>(p.control))
            before.push_back(d->textForValue());
    create().setParameter(Param::DlySync, 1.0f);
    size_t i = 0, changed = 0;
    for (const Placed& p : controls())
        if (auto* d = dynamic_cast<CParamDisplay*>(p.control)) {
            if (d->textForValue() != before[i++]) {
                ++changed;
                EXPECT_EQ(d->getTag(), Param::DlyTime);
            }
        }
    EXPECT_EQ(changed, 1u);
}

TEST_F(RoundTrip, ProgramNameFieldOpensOnlyOnCtrlClick)
{
    openEditor();
    auto* field = dynamic_cast<CTextEdit*>(one(1003, "ParamEdit"));
    ASSERT_NE(field, nullptr);
    CPoint where = centre(1003, "ParamEdit");
    EXPECT_EQ(field->onMouseDown(where, kLButton), kMouseEventNotHandled);
    EXPECT_EQ(field->onMouseDown(where, kRButton | kControl), kMouseEventNotHandled);
    EXPECT_NE(field->onMouseDown(where, kLButton | kControl), kMouseEventNotHandled);
}

TEST_F(RoundTrip, IdleShowsProgramLampsAndLearnState)
{
    openEditor();
    editor().idle();
    auto* field = dynamic_cast<CTextEdit*>(one(1003, "CTextEdit"));
    EXPECT_EQ(field->getText(), create().programStore().current().name);
    bool foundNumber = false;
    for (const Placed& p : withTag(CommandTag::None, "CTextLabel"))
        foundNumber = foundNumber || dynamic_cast<CTextLabel*>(p.control)->getText() == "001";
    EXPECT_TRUE(foundNumber);

    // A held note lights the note lamp and voice lamp 0.
    create().setParameter(Param::OscRoute, 0.0f);
    sendMidi(0x90, 60, 100);
    editor().idle();
    auto lamps = withTag(CommandTag::None, "OnOffDisplay");
    ASSERT_EQ(lamps.size(), 32u);
    std::sort(lamps.begin(), lamps.end(), [](const Placed& a, const Placed& b) { return a.rect.left < b.rect.left; });
    EXPECT_EQ(lamps[0].control->getValue(), 1.0f);
    EXPECT_EQ(lamps[1].control->getValue(), 0.0f);
    EXPECT_EQ(one(CommandTag::None, "CMovieBitmap")->getValue(), 1.0f);

    // MIDI learn: the touched knob is selected, a moved controller is assigned, Ctrl+click clears.
    editor().lowerTabs()->selectTab(3);
    for (const Placed& p : withTag(CommandTag::None, "COnOffButton"))
        p.control->setValue(1.0f);
    click(centre(Param::FltRes, "CAnimKnob"), kLButton);
    editor().idle();
    UserSettings& settings = create().userSettings();
    EXPECT_TRUE(settings.midiMap.learnActive.load());
    EXPECT_EQ(settings.midiMap.learnParameter.load(), Param::FltRes);
    sendMidi(0xB0, 74, 64);
    editor().idle();
    auto* assigned = dynamic_cast<CTextLabel*>(one(1036, "ParamLabel"));
    EXPECT_EQ(assigned->getText(), "CC 74");
    click(centre(1036, "ParamLabel"), kLButton | kControl);
    editor().idle();
    EXPECT_EQ(assigned->getText(), "None");
    EXPECT_EQ(settings.midiMap.ccMap[74].load(), -1);
}

TEST_F(RoundTrip, SecondAmplifierRoutingsKeepTheVoiceLampOn)
{
    openEditor();
    create().setParameter(Param::Env1Rel, 0.0f);
    create().setParameter(Param::Env2Rel, 1.0f);
    for (float route : {0.0f, 0.5f, 1.0f}) {
        create().setParameter(Param::OscRoute, route);
        sendMidi(0x90, 60, 100);
        sendMidi(0x80, 60, 0);
        renderBlocks(100); // the first amplifier's short release is over
        editor().idle();
        bool lit = false;
        for (const Placed& p : withTag(CommandTag::None, "OnOffDisplay"))
            lit = lit || p.control->getValue() != 0.0f;
        EXPECT_EQ(lit, route != 0.0f) << "routing value " << route;
        create().dispatcher(effMainsChanged, 0, 0, nullptr, 0);
    }
}

TEST_F(RoundTrip, CompactPagesAreReachedAndRemembered)
{
    writeSettings(1, "Compact");
    openEditor();
    ASSERT_NE(editor().filterTabs(), nullptr);
    editor().upperTabs()->selectTab(0);
    click(centre(1085, "CKickButton"), kLButton);
    EXPECT_EQ(editor().filterTabs()->getCurrentSelectedTab(), 1);
    click(centre(1087, "CKickButton"), kLButton);
    EXPECT_EQ(editor().envelopeTabs()->getCurrentSelectedTab(), 1);
    editor().lowerTabs()->selectTab(2);
    editor().upperTabs()->selectTab(1);
    UserSettings& settings = create().userSettings();
    settings.pageState[2] = 7;
    editor().close();
    EXPECT_EQ(settings.pageState[0], 1);
    EXPECT_EQ(settings.pageState[1], 2);
    EXPECT_EQ(settings.pageState[2], 7);
    EXPECT_EQ(settings.pageState[3], 1);
    EXPECT_EQ(settings.pageState[4], 1);
    openEditor();
    EXPECT_EQ(editor().upperTabs()->getCurrentSelectedTab(), 1);
    EXPECT_EQ(editor().lowerTabs()->getCurrentSelectedTab(), 2);
    EXPECT_EQ(editor().filterTabs()->getCurrentSelectedTab(), 1);
    editor().upperTabs()->selectTab(0);
    click(centre(1086, "CKickButton"), kLButton);
    EXPECT_EQ(editor().filterTabs()->getCurrentSelectedTab(), 0);
}

TEST_F(RoundTrip, ClosingSavesTheSettingsAndOpeningRereadsThem)
{
    openEditor();
    create().userSettings().askOnBankSelect = true;
    editor().close();
    std::ifstream saved(dataFolder() / "Settings.txt");
    std::string all((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("askOnBankSelect=1"), std::string::npos);
    writeSettings(1, "Compact");
    openEditor();
    EXPECT_FALSE(editor().isExtendedLayout());
    EXPECT_EQ(create().dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
    EXPECT_TRUE(create().getAeffect()->flags & effFlagsHasEditor);
}
