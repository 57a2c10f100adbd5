// The editor's side of undo, redo and compare: when a step may have happened (a gesture ended,
// a command ran, an idle saw the host's changes) the program is compared with the history's
// snapshot; undo and redo give their values to the host as edits.
#include "editor/Editor.h"

#include "editor/EditorHost.h"
#include "editor/StepNames.h"
#include "params/CommandTags.h"
#include "params/ProgramStore.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

bool mayReplaceBank(int tag, int position)
{
    return tag == CommandTag::BankMenu || (tag == CommandTag::OptionsMenu && (position == 8 || position == 9));
}

int positionOf(float value)
{
    return std::isfinite(value) && std::fabs(value) < 10000.0f ? int(std::lround(value)) : -1;
}

} // namespace

void Editor::runCommand(int tag, float value)
{
    const int position = positionOf(value);
    if (tag == CommandTag::OptionsMenu && runHistoryEntry(position))
        return;
    // What the host changed before the command is not part of its step.
    recordSteps(StepKind::Automation);
    RunningCommand command{commandStepLabel(tag, position), mayReplaceBank(tag, position), 0};
    if (command.mayReplaceBank)
        command.bankBefore = bankFingerprint();
    runningCommand = &command;
    // Commands reach the plug-in without being reported to the host as automation: they are no
    // parameters of the host's, and a replayed menu command would act again. A command that asks
    // in the window goes on after the answer, and its question finishes it again then.
    host.editorCommand(tag, value);
    runningCommand = nullptr;
    finishCommand(command);
}

bool Editor::runHistoryEntry(int position)
{
    switch (position) {
    case ConfigMenu::kUndoEntry:
        undoStep();
        return true;
    case ConfigMenu::kRedoEntry:
        redoStep();
        return true;
    case ConfigMenu::kCompareEntry:
        toggleCompare();
        return true;
    default:
        return false;
    }
}

void Editor::finishCommand(const RunningCommand& command)
{
    if (command.mayReplaceBank && bankFingerprint() != command.bankBefore) {
        // Every program may be another sound now: their histories would undo into it.
        history.forgetAll();
        followCurrentProgram();
        return;
    }
    recordSteps(StepKind::Command, command.label);
}

void Editor::recordSteps(StepKind kind, const char* label)
{
    ProgramStore& programs = host.programStore();
    if (programs.currentNumber() != history.program()) {
        followCurrentProgram();
        return;
    }
    history.record(ProgramSnapshot::of(programs.current()), kind, label, EditHistory::Clock::now());
}

void Editor::followCurrentProgram()
{
    ProgramStore& programs = host.programStore();
    const int left = history.program();
    const int number = programs.currentNumber();
    std::optional<ProgramSnapshot> edited = history.follow(number, ProgramSnapshot::of(programs.current()));
    // A comparison was under way on the program left: it keeps its edited sound.
    if (edited && left >= 0 && left < kNumPrograms && left != number) {
        ProgramRecord& record = programs.record(left);
        for (int i = 0; i < kNumParams; ++i)
            record.set(i, edited->values[size_t(i)]);
        std::memcpy(record.name, edited->name.data(), sizeof record.name);
    }
}

void Editor::applySnapshot(const ProgramSnapshot& target)
{
    const ProgramSnapshot now = ProgramSnapshot::of(host.programStore().current());
    for (int i = 0; i < kNumParams; ++i) {
        const float value = target.values[size_t(i)];
        if (std::bit_cast<uint32_t>(value) == std::bit_cast<uint32_t>(now.values[size_t(i)]))
            continue;
        host.parameterGesture(i, true);
        host.editParameter(i, value);
        host.parameterGesture(i, false);
    }
    if (now.name != target.name) {
        // Through the name field, as a rename: the host hears of the new name the same way.
        setProgramNameText(target.name.data());
        host.editorCommand(CommandTag::ProgramName, 0.0f);
    }
}

uint64_t Editor::bankFingerprint() const
{
    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    const ProgramStore& programs = host.programStore();
    for (int n = 0; n < kNumPrograms; ++n) {
        const ProgramSnapshot program = ProgramSnapshot::of(programs.record(n));
        add(program.values.data(), sizeof program.values);
        add(program.name.data(), program.name.size());
    }
    return hash;
}

bool Editor::historyBusy() const
{
    return !isOpen() || openGestures > 0 || questionPanel != nullptr;
}

void Editor::undoStep()
{
    if (historyBusy())
        return;
    recordSteps(StepKind::Automation);
    if (std::optional<ProgramSnapshot> target = history.undo())
        applySnapshot(*target);
}

void Editor::redoStep()
{
    if (historyBusy())
        return;
    recordSteps(StepKind::Automation);
    if (std::optional<ProgramSnapshot> target = history.redo())
        applySnapshot(*target);
}

void Editor::toggleCompare()
{
    if (historyBusy())
        return;
    recordSteps(StepKind::Automation);
    if (history.comparing()) {
        applySnapshot(history.endCompare());
        return;
    }
    const ProgramStore& programs = host.programStore();
    const ProgramSnapshot saved = ProgramSnapshot::of(programs.record(ProgramStore::kUndoRecord));
    if (!(saved == ProgramSnapshot::of(programs.current())))
        applySnapshot(history.beginCompare(saved));
}

bool Editor::keyCommand(const VstKeyCode& key)
{
    if (!isOpen())
        return false;
    if ((key.modifier & (kControl | kAlt)) == kControl) {
        // Some hosts pass the control character itself (Ctrl+Y is 25, Ctrl+Z 26).
        const long c = key.character;
        const int letter = c == 25 ? 'y' : c == 26 ? 'z' : c > 0 && c < 128 ? std::tolower(int(c)) : 0;
        if (letter == 'z' && (key.modifier & kShift)) {
            redoStep();
            return true;
        }
        if (letter == 'z') {
            undoStep();
            return true;
        }
        if (letter == 'y' && !(key.modifier & kShift)) {
            redoStep();
            return true;
        }
    }
    return host.editorKey(int(key.character), key.virt, unsigned(key.modifier), true);
}

bool Editor::keyReleased(const VstKeyCode& key)
{
    return isOpen() && host.editorKey(int(key.character), key.virt, unsigned(key.modifier), false);
}

HistoryMenuState Editor::historyMenuState()
{
    HistoryMenuState state;
    if (openGestures == 0)
        recordSteps(StepKind::Automation);
    if (history.comparing()) {
        state.undo = std::string("Undo ") + EditHistory::kCompareLabel;
        state.canUndo = true;
        state.comparing = true;
        return state;
    }
    if (const HistoryStep* step = history.nextUndo()) {
        state.undo = "Undo " + stepDescription(*step);
        state.canUndo = true;
    }
    if (const HistoryStep* step = history.nextRedo()) {
        state.redo = "Redo " + stepDescription(*step);
        state.canRedo = true;
    }
    state.canCompare = programDiffersFromSaved();
    return state;
}

bool Editor::programDiffersFromSaved() const
{
    const ProgramStore& programs = host.programStore();
    return !(ProgramSnapshot::of(programs.current()) ==
             ProgramSnapshot::of(programs.record(ProgramStore::kUndoRecord)));
}
