// Undo, redo and compare in a real editor: keys and menu entries, what the host hears, every kind
// of edit as a step, programs and banks, the saved-state marker, and gestures or questions under way.
#include "EditorTestSupport.h"

#include "editor/EditHistory.h"
#include "editor/HeaderMenus.h"
#include "editor/ParamEdit.h"
#include "gui/COptionMenu.h"
#include "params/CommandTags.h"
#include "params/ProgramStore.h"

using namespace editortest;

namespace {

struct Undo : EditorFixture {
    COptionMenu* menu(long tag) { return dynamic_cast<COptionMenu*>(one(tag, "COptionMenu")); }
    // Opens a menu as a click does (headless it closes unchosen), then chooses as the user would.
    COptionMenu* opened(long tag)
    {
        CPoint where = centre(tag, "COptionMenu");
        menu(tag)->onMouseDown(where, kLButton);
        return menu(tag);
    }
    void choose(long tag, std::vector<int> path) { opened(tag)->applyChoice({true, std::move(path)}); }
    bool press(long character, long modifiers)
    {
        VstKeyCode key{character, 0, modifiers};
        return frame().onKeyDown(key) == 1;
    }
    float value(int index) { return create().getParameter(index); }
    void dragKnob(int index, int dy) { drag(centre(index, "ParamKnob"), dy); }
    ProgramSnapshot current() { return ProgramSnapshot::of(create().programStore().current()); }
    ParamEdit* nameField() { return dynamic_cast<ParamEdit*>(one(CommandTag::ProgramName, "ParamEdit")); }
    bool marked()
    {
        editor().idle();
        return nameField()->isMarked();
    }
};

} // namespace

TEST_F(Undo, KeysUndoAndRedoADragAndTheHostHearsEachValueAsAnEdit)
{
    openEditor();
    const float before = value(Param::FltRes);
    dragKnob(Param::FltRes, -40);
    const float dragged = value(Param::FltRes);
    ASSERT_NE(dragged, before);

    editCalls().clear();
    EXPECT_TRUE(press('z', kControl));
    EXPECT_EQ(value(Param::FltRes), before);
    EXPECT_EQ(one(Param::FltRes, "ParamKnob")->getValue(), before) << "the knob shows the value undone";
    const std::vector<std::pair<VstInt32, VstInt32>> oneEdit = {{audioMasterBeginEdit, Param::FltRes},
                                                                {audioMasterAutomate, Param::FltRes},
                                                                {audioMasterEndEdit, Param::FltRes}};
    EXPECT_EQ(editCalls(), oneEdit);

    EXPECT_TRUE(press('Z', kControl | kShift));
    EXPECT_EQ(value(Param::FltRes), dragged);
    // Keys the host passes on: Ctrl is the VST "command" bit (4).
    create().dispatcher(effEditKeyDown, 'z', 0, nullptr, 4.0f);
    EXPECT_EQ(value(Param::FltRes), before);
    create().dispatcher(effEditKeyDown, 'y', 0, nullptr, 4.0f);
    EXPECT_EQ(value(Param::FltRes), dragged);
    EXPECT_FALSE(press('z', 0)) << "a plain z is no shortcut";
    EXPECT_FALSE(press('z', kControl | kAlt)) << "AltGr+Z types a character on some keyboards";

    // The history belongs to the instance: a new window (a CLAP host makes a new editor) has it.
    editor().close();
    Editor another(nullptr, create().instrument());
    ASSERT_TRUE(another.openHeadless());
    another.undoStep();
    EXPECT_EQ(value(Param::FltRes), before);
}

TEST_F(Undo, MenuEntriesNameTheNextStepAndAreGreyWhenThereIsNothingToDo)
{
    openEditor();
    COptionMenu* options = opened(CommandTag::OptionsMenu);
    const int undo = ConfigMenu::kUndoEntry, redo = ConfigMenu::kRedoEntry, compare = ConfigMenu::kCompareEntry;
    ASSERT_TRUE(options->isSeparator(undo - 1));
    EXPECT_EQ(options->getEntry(undo), "Undo");
    EXPECT_EQ(options->getEntry(redo), "Redo");
    EXPECT_EQ(options->getEntry(compare), "Compare With Saved");
    for (int entry : {undo, redo, compare})
        EXPECT_FALSE(options->isEntryEnabled(entry)) << entry;

    const float before = value(Param::FltRes);
    dragKnob(Param::FltRes, -40);
    opened(CommandTag::OptionsMenu);
    EXPECT_EQ(options->getEntry(undo), "Undo Filter 1 Resonance");
    EXPECT_TRUE(options->isEntryEnabled(undo) && options->isEntryEnabled(compare));
    EXPECT_FALSE(options->isEntryEnabled(redo));
    const float dragged = value(Param::FltRes);
    choose(CommandTag::OptionsMenu, {undo});
    EXPECT_EQ(value(Param::FltRes), before);
    opened(CommandTag::OptionsMenu);
    EXPECT_EQ(options->getEntry(redo), "Redo Filter 1 Resonance");
    EXPECT_FALSE(options->isEntryEnabled(undo));
    choose(CommandTag::OptionsMenu, {redo});
    EXPECT_EQ(value(Param::FltRes), dragged);
    choose(CommandTag::OptionsMenu, {redo}); // greyed: nothing happens
    EXPECT_EQ(value(Param::FltRes), dragged);
}

TEST_F(Undo, EveryKindOfEditIsOneStepAndUndoingThemAllRestoresTheProgramBitForBit)
{
    openEditor();
    system.answers = {MessageAnswer::Yes};
    choose(CommandTag::OptionsMenu, {2}); // Copy Preset: no step
    const ProgramSnapshot start = current();
    struct Step {
        std::function<void()> edit;
        const char* name;
    };
    const Step steps[] = {
        {[&] { dragKnob(Param::FltRes, -40); }, "Filter 1 Resonance"},
        {[&] { choose(CommandTag::Osc1Wave, {3}); }, "Osc 1 Waveform"},
        {[&] { choose(CommandTag::Osc1Menu, {3}); }, "Osc 1 Sub Follows PW"},
        {[&] { choose(CommandTag::Filter1Menu, {0}), choose(CommandTag::Filter2Menu, {1}); }, "Paste Filter 2"},
        {[&] {
             for (float v : {0.2f, 0.3f, 0.4f}) // host automation: one step while it moves one parameter
                 create().setParameter(Param::DlyMix, v), editor().idle();
         },
         "Delay Mix"},
        {[&] { choose(CommandTag::OptionsMenu, {3}); }, "Paste Preset"},
        {[&] { nameField()->setText("Brass"), editor().valueChanged(nameField()); }, "Rename"},
        {[&] { choose(CommandTag::OptionsMenu, {5}); }, "Initialize Preset"},
    };
    std::vector<ProgramSnapshot> after;
    for (const Step& step : steps) {
        step.edit();
        after.push_back(current());
        EXPECT_EQ(editor().historyMenuState().undo, std::string("Undo ") + step.name);
    }
    for (size_t n = std::size(steps); n-- > 0;) {
        EXPECT_EQ(current(), after[n]) << steps[n].name;
        editor().undoStep();
    }
    EXPECT_EQ(current(), start);
    EXPECT_FALSE(editor().historyMenuState().canUndo);
    for (size_t n = 0; n < std::size(steps); ++n) {
        editor().redoStep();
        EXPECT_EQ(current(), after[n]) << steps[n].name;
    }
}

TEST_F(Undo, EachProgramKeepsItsHistoryAndAReplacedBankForgetsThem)
{
    openEditor();
    const float before = value(Param::FltRes);
    dragKnob(Param::FltRes, -40);
    create().setProgram(5); // the host switches
    editor().idle();
    EXPECT_FALSE(editor().historyMenuState().canUndo) << "program 5 has nothing to undo";
    dragKnob(Param::FltRes, -20);
    const float fifth = value(Param::FltRes);
    choose(CommandTag::ProgramMenu, {0});
    editor().undoStep();
    EXPECT_EQ(value(Param::FltRes), before);
    EXPECT_EQ(create().programStore().record(5).get(Param::FltRes), fifth);

    dragKnob(Param::FltRes, -40);
    system.answers = {MessageAnswer::Cancel};
    choose(CommandTag::OptionsMenu, {9}); // Initialize Bank, cancelled: the history stays
    EXPECT_TRUE(editor().historyMenuState().canUndo);
    system.answers = {MessageAnswer::No};
    choose(CommandTag::OptionsMenu, {9});
    EXPECT_FALSE(editor().historyMenuState().canUndo);
    choose(CommandTag::ProgramMenu, {5});
    EXPECT_FALSE(editor().historyMenuState().canUndo);
}

TEST_F(Undo, CompareShowsTheSavedSoundAndAnEditOrASwitchKeepsTheEditedOne)
{
    openEditor();
    const int compare = ConfigMenu::kCompareEntry;
    const ProgramSnapshot saved = current();
    EXPECT_FALSE(marked());
    dragKnob(Param::FltRes, -40);
    const ProgramSnapshot edited = current();
    EXPECT_TRUE(marked());

    choose(CommandTag::OptionsMenu, {compare});
    EXPECT_EQ(current(), saved);
    EXPECT_FALSE(marked());
    EXPECT_TRUE(opened(CommandTag::OptionsMenu)->isCheckEntry(compare));
    choose(CommandTag::OptionsMenu, {compare});
    EXPECT_EQ(current(), edited);
    EXPECT_FALSE(opened(CommandTag::OptionsMenu)->isCheckEntry(compare));

    // An edit while comparing edits the saved sound; two undos bring the edited one back.
    choose(CommandTag::OptionsMenu, {compare});
    dragKnob(Param::FltCut, 40);
    EXPECT_FALSE(editor().editHistory().comparing());
    EXPECT_EQ(current().values[Param::FltRes], saved.values[Param::FltRes]);
    EXPECT_TRUE(press('z', kControl) && press('z', kControl));
    EXPECT_EQ(current(), edited);

    // Leaving the program while comparing puts the edited sound back into it.
    choose(CommandTag::OptionsMenu, {compare});
    choose(CommandTag::ProgramMenu, {3});
    EXPECT_EQ(ProgramSnapshot::of(create().programStore().record(0)), edited);

    // A saved preset is the saved state from then on.
    choose(CommandTag::ProgramMenu, {0});
    dragKnob(Param::FltRes, -10);
    EXPECT_TRUE(marked());
    system.dialogs.push_back({DialogResult::Chosen, dataFolder() / "Saved.hfp"});
    choose(CommandTag::OptionsMenu, {0});
    EXPECT_FALSE(marked());
    EXPECT_FALSE(opened(CommandTag::OptionsMenu)->isEntryEnabled(compare));
}

TEST_F(Undo, NothingIsUndoneDuringADragOrWhileAQuestionWaits)
{
    openEditor();
    const float before = value(Param::FltRes);
    dragKnob(Param::FltRes, -40);
    const float dragged = value(Param::FltRes);
    CPoint at = centre(Param::FltCut, "ParamKnob");
    frame().onMouseDown(at, kLButton);
    CPoint to(at.x, at.y + 30);
    frame().onMouseMoved(to, kLButton);
    press('z', kControl);
    EXPECT_EQ(value(Param::FltRes), dragged);
    frame().onMouseUp(to, kLButton);
    editor().undoStep(); // the cutoff drag
    editor().undoStep();
    EXPECT_EQ(value(Param::FltRes), before);
    editor().redoStep();

    // Restore Preset asked in the window: undo waits, and the answer makes the step.
    system.noDialogProgram = true;
    choose(CommandTag::OptionsMenu, {4});
    ASSERT_NE(editor().shownQuestion(), nullptr);
    press('z', kControl);
    editor().undoStep();
    EXPECT_EQ(value(Param::FltRes), dragged);
    VstKeyCode yes{0, VKEY_RETURN, 0};
    frame().onKeyDown(yes);
    editor().idle();
    EXPECT_EQ(value(Param::FltRes), before);
    EXPECT_EQ(editor().historyMenuState().undo, "Undo Restore Preset");
    editor().undoStep();
    EXPECT_EQ(value(Param::FltRes), dragged);
}
