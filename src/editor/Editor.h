// The plug-in's window: built from the layout tables at every opening in the theme's layout and
// window size, it sends the user's changes to the plug-in, follows parameter changes made
// elsewhere, and shows the voices, held notes, program and MIDI-learn state at idle.
#pragma once

#include "editor/ControlTouchListener.h"
#include "editor/EditHistory.h"
#include "editor/EditorLayout.h"
#include "editor/HeaderMenus.h"
#include "gui/AEffGUIEditor.h"
#include "platform/SystemServices.h"
#include "gui/CControl.h"
#include "params/ParamTable.h"
#include "settings/ThemeStyle.h"

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ActiveLabel;
class CMovieBitmap;
class COnOffButton;
class CTabView;
class CViewContainer;
class EditorHost;
class EditorImages;
class MessageOverlay;
class OnOffDisplay;
class ParamEdit;
class ParamKnob;
class ParamLabel;

class Editor : public AEffGUIEditor, public CControlListener, public ControlTouchListener {
public:
    Editor(AudioEffect* effect, EditorHost& host);
    ~Editor() override;

    bool open(void* parentWindow) override;
    // Builds the window without a system window, for rendering and tests.
    bool openHeadless();
    void close() override;
    using AnswerHandler = std::function<void(MessageAnswer)>;
    // A message box drawn in the open window, for systems without a dialog program. Returns at
    // once: the panel is answered through the window's events, and then gets the answer at that
    // idle (a refusal after five minutes). Questions asked meanwhile wait their turn; those still
    // open when the window closes are dropped, which refuses them. False while no window is open.
    bool askInWindow(const std::wstring& text, const std::wstring& title, MessageButtons buttons, AnswerHandler then);
    // The panel shown now, if any.
    MessageOverlay* shownQuestion() const { return questionPanel; }
    bool isOpen() const override { return openState.load(std::memory_order_seq_cst); }
    void idle() override;

    // A parameter changed (any thread): stores the value in the controls that show it. Never
    // draws or allocates; idle draws.
    void setParameter(int index, float value);

    void valueChanged(CControl* control) override;
    // Gestures on parameter controls go to the instrument, which tells its host.
    void beginEdit(long index) override;
    void endEdit(long index) override;
    void controlTouched(CControl* control, bool held) override;
    void controlReleased(CControl* control) override;
    void controlNudging(bool begins) override { nudging = begins; }

    // Undo and redo of the edits to the current program, and the comparison with its saved
    // state (the state when it was last selected, saved or loaded). Every value they change
    // reaches the host as an edit: begin, automate, end. Nothing happens during a gesture or
    // while a question waits for its answer.
    void undoStep();
    void redoStep();
    void toggleCompare();
    // Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo.
    bool keyCommand(const VstKeyCode& key) override;
    bool keyReleased(const VstKeyCode& key) override;
    // What the options menu's Undo, Redo and Compare entries show now.
    HistoryMenuState historyMenuState();
    // True while the current program differs from its saved state (the marker by the name).
    bool programDiffersFromSaved() const;
    const EditHistory& editHistory() const { return history; }

    // The system window, owner of message boxes and dialogs; null while closed or headless.
    void* windowHandle() const;
    // The text of the program name field, read when the field reports an edit.
    std::string programNameText() const;
    void setProgramNameText(const std::string& text);

    // Tests of the command channel stand in for an open window with this.
    void setOpenForTesting(bool open) { openState.store(open, std::memory_order_seq_cst); }

    // What the open window is made of, for the plug-in's tests and the screenshot tools.
    bool isExtendedLayout() const { return extended; }
    double windowFactor() const { return layoutFactor; }
    int lastTouchedTag() const { return touchedTag; }
    CTabView* lowerTabs() const { return tabViews[kLowerTabs]; }
    CTabView* upperTabs() const { return tabViews[kUpperTabs]; }
    CTabView* filterTabs() const { return tabViews[kFilterTabs]; }
    CTabView* envelopeTabs() const { return tabViews[kEnvTabs]; }

    // The display text of a parameter's value as the editor shows it.
    std::string displayText(int index, float value) const;

protected:
    ERect rectForNextOpen() override;

private:
    enum TabViewRole { kUpperTabs, kFilterTabs, kEnvTabs, kLowerTabs, kNumTabViews };
    struct DisplayBinding {
        Editor* editor = nullptr;
        int index = 0;
    };

    LayoutFrame currentLayoutFrame() const;
    bool build(void* parentWindow);
    void prepareTheme();
    void buildPanes(const LayoutFrame& layout);
    void buildControl(const ControlSpec& placement);
    CView* createControl(const ControlSpec& placement, const CRect& rect);
    CView* createIconMenu(const ControlSpec& placement, const CRect& rect);
    void bindToParameter(CControl* control, int index);
    void selectRememberedPages();
    void setInitialValues();
    void rememberPages();
    void forgetControls();
    const ElementStyle& style(TextStyle which) const;

    // A command on its way: the name of the step it makes, and the bank as it was before it
    // (a bank command that replaced the bank makes every program's history meaningless).
    struct RunningCommand {
        const char* label = nullptr;
        bool mayReplaceBank = false;
        uint64_t bankBefore = 0;
    };
    void runCommand(int tag, float value);
    bool runHistoryEntry(int position);
    void finishCommand(const RunningCommand& command);
    // Records what changed in the current program since the last look as one step, or follows a
    // program switch without a step.
    void recordSteps(StepKind kind, const char* label = nullptr);
    void followCurrentProgram();
    void applySnapshot(const ProgramSnapshot& target);
    uint64_t bankFingerprint() const;
    bool historyBusy() const;

    void showNextQuestion();
    void settleQuestion();

    void updateLearnState();
    void updateLearnTexts();
    void updateProgramTexts();
    void updateLamps();
    void showValueInLabel(int index, bool held);
    void switchCompactPage(int tag);
    float linkedControlValue(int index) const;
    static void displayTextProc(float value, char* text, void* binding);

    EditorHost& host;
    std::unique_ptr<EditHistory> ownHistory; // only where the host keeps none
    EditHistory& history;
    int openGestures = 0;       // parameter gestures begun and not yet ended
    bool nudging = false;       // a wheel or arrow-key step is under way
    bool gestureNudges = false; // the open gesture is such a step
    const RunningCommand* runningCommand = nullptr;
    std::atomic<bool> openState{false};
    // setParameter calls in flight; close waits for them before the controls go away.
    std::atomic<int> parameterWriters{0};

    bool extended = true;
    double layoutFactor = 1.0;
    double bitmapFactor = 1.0;
    std::array<ElementStyle, kNumTextStyles> styles;
    std::unique_ptr<EditorImages> images;
    int touchedTag = -1;
    bool touching = false;

    // The control table: what shows each parameter, and the views idle updates.
    std::array<std::vector<CControl*>, kNumParams> parameterControls;
    // Texts whose wording depends on another parameter (a sync switch), by that parameter.
    std::array<std::vector<CView*>, kNumParams> dependentTexts;
    std::array<DisplayBinding, kNumParams> displayBindings;
    std::vector<ActiveLabel*> activeLabels;
    std::array<CViewContainer*, kNumPanes> paneViews{};
    std::array<CTabView*, kNumTabViews> tabViews{};
    std::array<ParamLabel*, 4> statusTexts{};
    std::array<ParamKnob*, 2> modCcKnobs{};
    std::array<OnOffDisplay*, 32> voiceLamps{};
    ParamLabel* assignedCcText = nullptr;
    ParamEdit* nameField = nullptr;
    CMovieBitmap* noteLamp = nullptr;
    COnOffButton* learnSwitch = nullptr;
    std::string closedNameText;

    struct Question {
        std::wstring text;
        std::wstring title;
        MessageButtons buttons;
        AnswerHandler then;
        RunningCommand command; // the command that asked, finished after the answer
    };
    std::deque<Question> questions; // the first one is on screen
    MessageOverlay* questionPanel = nullptr;
    CView* focusBeforeQuestion = nullptr;
    std::chrono::steady_clock::time_point questionDeadline;
};
