// The editor's undo history: what each edit changed in a program, kept per program for the
// session (never saved), with redo, merging of gestures that belong together, a comparison with
// the saved sound, and a bound on memory. It only compares snapshots of the program; the editor
// decides when a step may have happened and applies what undo and redo return.
#pragma once

#include "params/ProgramStore.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

// One program's values and name, compared bit for bit.
struct ProgramSnapshot {
    std::array<float, kNumParams> values{};
    std::array<char, kProgramNameSize> name{};

    static ProgramSnapshot of(const ProgramRecord& record);
    bool operator==(const ProgramSnapshot& other) const;
};

enum class StepKind {
    Edit,       // a drag, a click or a reset on a control: a step of its own
    Nudge,      // a wheel or arrow-key step: merges with the same control's nudges within a second
    Command,    // a menu choice, paste, rename, initialise: a step of its own
    Automation, // the host or a learned controller: merges while the same parameters keep moving
};

struct ParameterChange {
    int index;
    float before;
    float after;
};

struct NameChange {
    std::array<char, kProgramNameSize> before;
    std::array<char, kProgramNameSize> after;
};

struct HistoryStep {
    std::vector<ParameterChange> changes;
    std::unique_ptr<NameChange> rename; // null while the name stayed
    const char* label = nullptr;        // the command's name; null: named after what changed
    StepKind kind = StepKind::Edit;
    std::chrono::steady_clock::time_point at;
    uint64_t serial = 0;
};

class EditHistory {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kDefaultByteLimit = size_t(1) << 20;
    static constexpr Clock::duration kNudgeWindow = std::chrono::seconds(1);
    // The label of the step that keeps the edited sound when an edit ends a comparison.
    static constexpr const char* kCompareLabel = "Compare With Saved";

    explicit EditHistory(size_t byteLimit = kDefaultByteLimit);

    // The program the snapshot belongs to (-1 before the first follow).
    int program() const { return followed; }
    // From now on `number` is followed, its values being `now`; no step is recorded. Switching to
    // another program during a comparison ends it and returns the edited state, which the caller
    // puts back into the program left behind.
    std::optional<ProgramSnapshot> follow(int number, const ProgramSnapshot& now);
    // Records what changed since the last snapshot as one step, or merges it into the last step
    // where the kinds allow; true when the history changed. A change during a comparison first
    // keeps the comparison as a step of its own, so the edited sound stays one undo away.
    bool record(const ProgramSnapshot& now, StepKind kind, const char* label, Clock::time_point at);

    // The steps undo and redo would take back or do again (null: none).
    const HistoryStep* nextUndo() const;
    const HistoryStep* nextRedo() const;
    // The program as it must become; the snapshot is that already. During a comparison, undo
    // ends it and redo does nothing.
    std::optional<ProgramSnapshot> undo();
    std::optional<ProgramSnapshot> redo();

    bool comparing() const { return compareActive; }
    // Keeps the snapshot as the edited state and returns the saved one to show.
    ProgramSnapshot beginCompare(const ProgramSnapshot& saved);
    // Returns the edited state to show again.
    ProgramSnapshot endCompare();

    // Every program's history goes (a bank was replaced); the followed program stays followed.
    void forgetAll();
    size_t bytesUsed() const { return bytes; }
    size_t undoDepth(int number) const;
    size_t redoDepth(int number) const;

private:
    ProgramSnapshot replayStep(std::deque<HistoryStep>& from, std::deque<HistoryStep>& to, bool forward);
    struct Track {
        std::deque<HistoryStep> undo;
        std::deque<HistoryStep> redo; // back: the next redo
        bool mergeable = false;       // the last step was recorded, not undone or redone
    };

    Track& current() { return *tracks[size_t(followed)]; }
    const Track* trackOf(int number) const;
    bool mergeInto(Track& track, const HistoryStep& step);
    void push(Track& track, HistoryStep step);
    void clearRedo(Track& track);
    void trim();
    static size_t stepBytes(const HistoryStep& step);
    HistoryStep stepBetween(const ProgramSnapshot& from, const ProgramSnapshot& to, StepKind kind, const char* label,
                            Clock::time_point at);

    size_t limit;
    size_t bytes = 0;
    uint64_t nextSerial = 1;
    int followed = -1;
    ProgramSnapshot snapshot;
    bool compareActive = false;
    ProgramSnapshot edited;
    // Made when a program is first followed: most programs of a bank are never edited.
    std::array<std::unique_ptr<Track>, kNumPrograms> tracks;
};
