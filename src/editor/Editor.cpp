#include "editor/Editor.h"

#include "editor/ActiveLabel.h"
#include "editor/CodedParamMenu.h"
#include "editor/EditorHost.h"
#include "editor/EditorImages.h"
#include "editor/MessageOverlay.h"
#include "editor/OnOffDisplay.h"
#include "editor/ParamEdit.h"
#include "editor/ParamKnob.h"
#include "editor/ParamLabel.h"
#include "gui/CFrame.h"
#include "gui/CKnob.h"
#include "gui/CMovieBitmap.h"
#include "gui/COnOffButton.h"
#include "gui/CTabView.h"
#include "params/CommandTags.h"
#include "params/DisplayText.h"
#include "params/ProgramStore.h"
#include "settings/UserSettings.h"

#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int kMidiLearnPage = 3;

std::string controllerText(int controller)
{
    if (controller < 0)
        return "None";
    char text[16];
    std::snprintf(text, sizeof text, "CC %d", controller);
    return text;
}

} // namespace

Editor::Editor(AudioEffect* owner, EditorHost& editorHost)
    : AEffGUIEditor(owner), host(editorHost),
      ownHistory(editorHost.editHistory() ? nullptr : std::make_unique<EditHistory>()),
      history(editorHost.editHistory() ? *editorHost.editHistory() : *ownHistory)
{
    CKnob::setKnobMode(kLinearMode);
}

Editor::~Editor()
{
    Editor::close();
}

bool Editor::open(void* parentWindow)
{
    if (isOpen())
        close();
    if (!AEffGUIEditor::open(parentWindow))
        return false;
    if (!build(parentWindow)) {
        AEffGUIEditor::close();
        forgetControls();
        return false;
    }
    openState.store(true, std::memory_order_seq_cst);
    followCurrentProgram();
    return true;
}

bool Editor::askInWindow(const std::wstring& text, const std::wstring& title, MessageButtons buttons,
                         AnswerHandler then)
{
    if (!frame || !isOpen())
        return false;
    questions.push_back({text, title, buttons, std::move(then), runningCommand ? *runningCommand : RunningCommand()});
    showNextQuestion();
    return true;
}

void Editor::showNextQuestion()
{
    // A question left unanswered is refused in the end, so a command does not wait for ever.
    constexpr std::chrono::minutes kAnswerTimeout{5};
    if (questionPanel || questions.empty() || !frame)
        return;
    const Question& next = questions.front();
    questionPanel = new MessageOverlay(frame->getViewSize(), next.text, next.title, next.buttons);
    focusBeforeQuestion = frame->getFocusView();
    frame->addView(questionPanel);
    frame->setFocusView(questionPanel);
    frame->invalidRect(frame->getViewSize());
    questionDeadline = std::chrono::steady_clock::now() + kAnswerTimeout;
}

void Editor::settleQuestion()
{
    if (!questionPanel || !frame)
        return;
    const bool late = std::chrono::steady_clock::now() >= questionDeadline;
    if (!questionPanel->answered() && !late)
        return;
    const MessageAnswer answer = questionPanel->answered() ? questionPanel->answer() : questionPanel->refusal();
    frame->removeView(questionPanel);
    questionPanel = nullptr;
    // The focus goes back where it was, if that view is still in the window.
    bool focusStillThere = false;
    frame->forEachDescendant([&](CView* view) { focusStillThere = focusStillThere || view == focusBeforeQuestion; });
    frame->setFocusView(focusStillThere ? focusBeforeQuestion : nullptr);
    frame->invalidRect(frame->getViewSize());
    AnswerHandler then = std::move(questions.front().then);
    const RunningCommand command = questions.front().command;
    questions.pop_front();
    // The command goes on; it may ask again, and its question waits behind any already queued.
    if (then) {
        runningCommand = &command;
        then(answer);
        runningCommand = nullptr;
        finishCommand(command);
    }
    showNextQuestion();
}

bool Editor::openHeadless()
{
    if (isOpen())
        close();
    if (!build(nullptr))
        return false;
    openState.store(true, std::memory_order_seq_cst);
    followCurrentProgram();
    return true;
}

void Editor::close()
{
    // The panel goes with the frame; commands still waiting for an answer do nothing more.
    questions.clear();
    questionPanel = nullptr;
    focusBeforeQuestion = nullptr;
    if (!frame) {
        openState.store(false, std::memory_order_seq_cst);
        return;
    }
    rememberPages();
    closedNameText = programNameText();
    host.userSettings().saveSettings();
    // No new parameter writes reach the controls from here on; wait for those under way.
    openState.store(false, std::memory_order_seq_cst);
    while (parameterWriters.load(std::memory_order_seq_cst) != 0)
        std::this_thread::yield();
    AEffGUIEditor::close();
    forgetControls();
}

void Editor::rememberPages()
{
    UserSettings& settings = host.userSettings();
    auto page = [](CTabView* tabs, int& entry) {
        if (tabs && tabs->getCurrentSelectedTab() >= 0)
            entry = int(tabs->getCurrentSelectedTab());
    };
    if (!extended) {
        page(tabViews[kUpperTabs], settings.pageState[0]);
        page(tabViews[kFilterTabs], settings.pageState[3]);
        page(tabViews[kEnvTabs], settings.pageState[4]);
    }
    page(tabViews[kLowerTabs], settings.pageState[1]);
}

void Editor::forgetControls()
{
    for (auto& controls : parameterControls)
        controls.clear();
    for (auto& texts : dependentTexts)
        texts.clear();
    activeLabels.clear();
    paneViews.fill(nullptr);
    tabViews.fill(nullptr);
    statusTexts.fill(nullptr);
    modCcKnobs.fill(nullptr);
    voiceLamps.fill(nullptr);
    assignedCcText = nullptr;
    nameField = nullptr;
    noteLamp = nullptr;
    learnSwitch = nullptr;
    touching = false;
    // A gesture the closing window cut short never ends.
    openGestures = 0;
    nudging = false;
}

void* Editor::windowHandle() const
{
    return frame ? frame->getSystemWindow() : nullptr;
}

std::string Editor::programNameText() const
{
    return nameField ? nameField->getText() : closedNameText;
}

void Editor::setProgramNameText(const std::string& text)
{
    if (nameField)
        nameField->setText(text);
    else
        closedNameText = text;
}

void Editor::setParameter(int index, float value)
{
    parameterWriters.fetch_add(1, std::memory_order_seq_cst);
    if (isOpen() && index >= 0 && index < kNumParams) {
        for (CControl* control : parameterControls[size_t(index)]) {
            if (auto* menu = dynamic_cast<CodedParamMenu*>(control))
                menu->showStoredValue(value);
            else
                control->setValue(value);
        }
        // Texts worded by this switch (tempo divisions or milliseconds) are drawn anew.
        for (CView* text : dependentTexts[size_t(index)])
            text->setDirty();
    }
    parameterWriters.fetch_sub(1, std::memory_order_seq_cst);
}

void Editor::beginEdit(long index)
{
    if (index >= 0 && index < kNumParams && openGestures++ == 0) {
        // What the host changed before the gesture is not part of it.
        recordSteps(StepKind::Automation);
        gestureNudges = nudging;
    }
    host.parameterGesture(int(index), true);
}

void Editor::endEdit(long index)
{
    host.parameterGesture(int(index), false);
    if (index >= 0 && index < kNumParams && openGestures > 0 && --openGestures == 0)
        recordSteps(gestureNudges ? StepKind::Nudge : StepKind::Edit);
}

void Editor::valueChanged(CControl* control)
{
    const int tag = int(control->getTag());
    const float value = control->getValue();
    if (tag >= 0 && tag < kNumParams) {
        host.editParameter(tag, value);
        if (openGestures == 0)
            recordSteps(StepKind::Edit);
    } else if (tag >= CommandTag::FilterNextPage && tag <= CommandTag::EnvelopePreviousPage) {
        if (value != 0.0f)
            switchCompactPage(tag);
    } else if (tag > CommandTag::None) {
        runCommand(tag, value);
    }
    control->setDirty();
}

void Editor::switchCompactPage(int tag)
{
    if (extended)
        return;
    const bool filter = tag == CommandTag::FilterNextPage || tag == CommandTag::FilterPreviousPage;
    const bool next = tag == CommandTag::FilterNextPage || tag == CommandTag::EnvelopeNextPage;
    CTabView* tabs = filter ? tabViews[kFilterTabs] : tabViews[kEnvTabs];
    if (tabs)
        tabs->selectTab(next ? 1 : 0);
}

void Editor::controlTouched(CControl* control, bool held)
{
    touchedTag = int(control->getTag());
    touching = held;
}

void Editor::controlReleased(CControl* /*control*/)
{
    touching = false;
}

float Editor::linkedControlValue(int index) const
{
    const int linked = kParamTable[index].linkedIndex;
    if (linked < 0)
        return 0.0f;
    for (CControl* control : parameterControls[size_t(linked)])
        if (dynamic_cast<COnOffButton*>(control))
            return control->getValue();
    return host.programStore().value(linked);
}

std::string Editor::displayText(int index, float value) const
{
    char text[64] = "";
    if (index == Param::Volume)
        std::snprintf(text, sizeof text, "%.1f", double(value) * 100.0);
    else if (index >= 0 && index < kNumParams)
        formatEditorDisplay(index, value, linkedControlValue(index), text);
    return text;
}

void Editor::displayTextProc(float value, char* text, void* binding)
{
    const auto* b = static_cast<const DisplayBinding*>(binding);
    std::string shown = b && b->editor ? b->editor->displayText(b->index, value) : std::string();
    std::snprintf(text, 256, "%s", shown.c_str());
}

void Editor::idle()
{
    if (!frame)
        return;
    // Host automation and learned controllers since the last idle.
    if (openGestures == 0)
        recordSteps(StepKind::Automation);
    updateLearnState();
    updateLearnTexts();
    updateProgramTexts();
    updateLamps();
    showValueInLabel(touchedTag, touching);
    AEffGUIEditor::idle();
    // After the window's events: a click on the panel is answered in the same idle.
    settleQuestion();
}

void Editor::updateLearnState()
{
    UserSettings& settings = host.userSettings();
    if (learnSwitch)
        settings.midiMap.learnActive.store(learnSwitch->getValue() != 0.0f, std::memory_order_relaxed);
    if (touchedTag >= 0 && touchedTag < kNumParams)
        settings.midiMap.learnParameter.store(touchedTag, std::memory_order_relaxed);
}

void Editor::updateLearnTexts()
{
    CTabView* lower = tabViews[kLowerTabs];
    if (!lower || lower->getCurrentSelectedTab() != kMidiLearnPage)
        return;
    const UserSettings& settings = host.userSettings();
    for (int n = 0; n < 2; ++n)
        if (ParamLabel* text = statusTexts[size_t(kModCc1Text + n)])
            text->setText(controllerText(settings.midiMap.modCcNumber[n].load(std::memory_order_relaxed)));
    const int parameter = settings.midiMap.learnParameter.load(std::memory_order_relaxed);
    const bool known = parameter >= 0 && parameter < kNumParams;
    if (ParamLabel* text = statusTexts[kSelectedControlText]) {
        const char* name = known ? kParamTable[parameter].longName : nullptr;
        text->setText(name ? name : "");
    }
    int assigned = -1;
    for (int controller = 0; known && controller < kNumMappableControllers && assigned < 0; ++controller)
        if (settings.midiMap.ccMap[controller].load(std::memory_order_relaxed) == parameter)
            assigned = controller;
    if (assignedCcText)
        assignedCcText->setText(controllerText(assigned));
}

void Editor::updateProgramTexts()
{
    const ProgramStore& programs = host.programStore();
    if (ParamLabel* number = statusTexts[kProgramNumberText]) {
        char text[16];
        std::snprintf(text, sizeof text, "%03d", programs.currentNumber() + 1);
        number->setText(text);
    }
    // A name being typed is not overwritten.
    if (nameField && !nameField->isEditingText())
        nameField->setText(programs.current().name);
    if (nameField)
        nameField->setMarked(programDiffersFromSaved());
}

void Editor::updateLamps()
{
    if (noteLamp)
        noteLamp->setValue(host.anyNoteHeld() ? 1.0f : 0.0f);
    const uint32_t sounding = host.soundingVoices();
    for (size_t k = 0; k < voiceLamps.size(); ++k)
        if (voiceLamps[k])
            voiceLamps[k]->setValue((sounding >> k) & 1u ? 1.0f : 0.0f);
}

void Editor::showValueInLabel(int index, bool held)
{
    for (ActiveLabel* label : activeLabels) {
        if (held && label->getTag() == index) {
            char text[kDisplayTextSize + 8] = "";
            host.formatParameterText(index, text);
            label->showValue(text);
        } else {
            label->showName();
        }
    }
}
