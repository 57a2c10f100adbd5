// The undo history on its own: sequences of edits, undos and redos, merging, programs kept apart,
// the comparison with the saved state and the memory bound.
#include "editor/EditHistory.h"
#include "editor/StepNames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

namespace {

using Clock = EditHistory::Clock;
using namespace std::chrono_literals;

ProgramSnapshot defaultProgram()
{
    ProgramRecord record;
    record.initialize();
    return ProgramSnapshot::of(record);
}

struct History : ::testing::Test {
    EditHistory history;
    ProgramSnapshot program = defaultProgram();
    Clock::time_point now = Clock::time_point() + 1h;

    History() { history.follow(0, program); }
    void change(StepKind kind, int index, float value, Clock::duration after = 10ms)
    {
        program.values[size_t(index)] = value;
        now += after;
        history.record(program, kind, nullptr, now);
    }
};

} // namespace

TEST_F(History, AnySequenceUndoesToTheStartAndRedoesToItsLastEditBitForBit)
{
    const float odd[] = {-0.0f, 0.0f, std::numeric_limits<float>::denorm_min(), 1e-30f, 0.5f, 1.0f, 7.25f};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        EditHistory fresh;
        const ProgramSnapshot start = defaultProgram();
        ProgramSnapshot shown = start, tip = start;
        fresh.follow(3, shown);
        Clock::time_point at = now;
        for (int op = 0; op < 400; ++op) {
            const int choice = int(random() % 10);
            at += std::chrono::milliseconds(random() % 1500);
            if (choice < 2) {
                if (auto undone = fresh.undo())
                    shown = *undone;
            } else if (choice < 3) {
                if (auto redone = fresh.redo())
                    shown = *redone;
            } else {
                // A handful of parameters so that merges happen; now and then a rename too.
                const int index = int(random() % 6) * 31;
                shown.values[size_t(index)] = random() % 3 ? float(random() % 1000) / 999.0f : odd[random() % 7];
                if (choice == 9)
                    shown.name[random() % 24] = char('a' + random() % 26);
                if (fresh.record(shown, StepKind(random() % 4), nullptr, at))
                    tip = shown;
            }
        }
        while (auto undone = fresh.undo())
            shown = *undone;
        EXPECT_EQ(shown, start) << "seed " << seed;
        while (auto redone = fresh.redo())
            shown = *redone;
        EXPECT_EQ(shown, tip) << "seed " << seed;
    }
}

TEST_F(History, NudgesMergeWithinASecondAndAutomationWhileTheSameParametersMove)
{
    struct Change {
        StepKind kind;
        int index;
        Clock::duration after;
    };
    struct Case {
        const char* what;
        std::vector<Change> changes;
        size_t steps;
    };
    const Case cases[] = {
        {"two drags of one knob", {{StepKind::Edit, 12, 10ms}, {StepKind::Edit, 12, 10ms}}, 2},
        {"wheel steps of one knob",
         {{StepKind::Nudge, 12, 0ms}, {StepKind::Nudge, 12, 900ms}, {StepKind::Nudge, 12, 900ms}},
         1},
        {"wheel steps a pause apart", {{StepKind::Nudge, 12, 0ms}, {StepKind::Nudge, 12, 1500ms}}, 2},
        {"wheel steps of two knobs", {{StepKind::Nudge, 12, 0ms}, {StepKind::Nudge, 13, 10ms}}, 2},
        {"a drag after a wheel step", {{StepKind::Nudge, 12, 0ms}, {StepKind::Edit, 12, 10ms}}, 2},
        {"automation of one parameter", {{StepKind::Automation, 5, 0ms}, {StepKind::Automation, 5, 60s}}, 1},
        {"automation of two in turn", {{StepKind::Automation, 5, 0ms}, {StepKind::Automation, 6, 10ms}}, 2},
        {"automation around an edit",
         {{StepKind::Automation, 5, 0ms}, {StepKind::Edit, 6, 0ms}, {StepKind::Automation, 5, 0ms}},
         3},
    };
    for (const Case& c : cases) {
        EditHistory fresh;
        ProgramSnapshot shown = defaultProgram();
        fresh.follow(0, shown);
        Clock::time_point at = now;
        float value = 0.1f;
        for (const Change& change : c.changes) {
            shown.values[size_t(change.index)] = value += 0.1f;
            fresh.record(shown, change.kind, nullptr, at += change.after);
        }
        EXPECT_EQ(fresh.undoDepth(0), c.steps) << c.what;
    }
    // Wheel steps that end where they began leave no step at all.
    const float start = program.values[12];
    change(StepKind::Nudge, 12, start + 0.025f);
    change(StepKind::Nudge, 12, start);
    EXPECT_EQ(history.nextUndo(), nullptr);
}

TEST_F(History, AStepIsNamedAfterItsCommandOrItsOneParameter)
{
    change(StepKind::Edit, 12, 0.3f);
    EXPECT_EQ(stepDescription(*history.nextUndo()), "Filter 1 Cutoff");
    change(StepKind::Edit, 155, 0.03f);
    EXPECT_EQ(stepDescription(*history.nextUndo()), "Osc 1 Sub Alt Mode");
    program.values[1] = program.values[2] = 0.9f;
    history.record(program, StepKind::Command, "Paste Preset", now);
    EXPECT_EQ(stepDescription(*history.nextUndo()), "Paste Preset");
    std::strcpy(program.name.data(), "Brass");
    history.record(program, StepKind::Command, nullptr, now);
    EXPECT_EQ(stepDescription(*history.nextUndo()), "Rename");
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_FALSE(parameterStepName(i).empty()) << i;
}

TEST_F(History, ANewEditAfterUndoDropsTheRedoBranch)
{
    change(StepKind::Edit, 12, 0.3f);
    change(StepKind::Edit, 13, 0.4f);
    program = *history.undo();
    EXPECT_EQ(program.values[13], defaultProgram().values[13]);
    ASSERT_NE(history.nextRedo(), nullptr);
    change(StepKind::Edit, 14, 0.5f);
    EXPECT_EQ(history.nextRedo(), nullptr);
    EXPECT_FALSE(history.redo());
    EXPECT_EQ(history.undoDepth(0), 2u);
}

// What the editor's compare test cannot reach: undo during a comparison, and the edited state
// handed back when the program changes underneath it.
TEST_F(History, CompareEndsOnUndoAndHandsBackTheEditedStateOnASwitch)
{
    const ProgramSnapshot saved = program;
    change(StepKind::Edit, 12, 0.3f);
    const ProgramSnapshot edited = program;
    EXPECT_EQ(history.beginCompare(saved), saved);
    EXPECT_EQ(history.nextRedo(), nullptr);
    EXPECT_EQ(*history.undo(), edited);
    EXPECT_FALSE(history.comparing());
    EXPECT_EQ(history.undoDepth(0), 1u) << "a look at the saved state is no step";

    history.beginCompare(saved);
    auto leftBehind = history.follow(1, defaultProgram());
    ASSERT_TRUE(leftBehind);
    EXPECT_EQ(*leftBehind, edited);
    EXPECT_FALSE(history.comparing());
}

TEST_F(History, MemoryStaysWithinItsBoundAndKeepsTwoHundredWholeProgramSteps)
{
    for (int n = 0; n < 100000; ++n) {
        history.follow(n / 1000 % kNumPrograms, program);
        change(StepKind::Edit, n % kNumParams, float(n % 977) / 977.0f);
        ASSERT_LE(history.bytesUsed(), EditHistory::kDefaultByteLimit) << "after " << n << " edits";
    }
    EXPECT_GT(history.undoDepth(history.program()), 200u);
    EXPECT_EQ(history.undoDepth(0), 0u) << "the oldest steps go first";

    // Two hundred pastes of a whole program, each changing every value, all stay undoable.
    EditHistory fresh;
    const ProgramSnapshot start = defaultProgram();
    ProgramSnapshot shown = start;
    fresh.follow(0, shown);
    for (int n = 1; n <= 200; ++n) {
        for (float& value : shown.values)
            value = float(n) / 1000.0f + value * 0.5f;
        fresh.record(shown, StepKind::Command, "Paste Preset", now);
    }
    EXPECT_EQ(fresh.undoDepth(0), 200u);
    while (auto undone = fresh.undo())
        shown = *undone;
    EXPECT_EQ(shown, start);
}
