#include "editor/EditHistory.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

} // namespace

ProgramSnapshot ProgramSnapshot::of(const ProgramRecord& record)
{
    ProgramSnapshot snapshot;
    for (int i = 0; i < kNumParams; ++i)
        snapshot.values[size_t(i)] = record.get(i);
    // What follows the terminator is no part of the name.
    std::memcpy(snapshot.name.data(), record.name, strnlen(record.name, kProgramNameSize - 1));
    return snapshot;
}

bool ProgramSnapshot::operator==(const ProgramSnapshot& other) const
{
    for (size_t i = 0; i < values.size(); ++i)
        if (!sameBits(values[i], other.values[i]))
            return false;
    return name == other.name;
}

EditHistory::EditHistory(size_t byteLimit) : limit(byteLimit) {}

std::optional<ProgramSnapshot> EditHistory::follow(int number, const ProgramSnapshot& now)
{
    std::optional<ProgramSnapshot> leftBehind;
    if (number != followed && compareActive) {
        leftBehind = edited;
        compareActive = false;
    }
    if (number < 0 || number >= kNumPrograms)
        number = -1;
    if (number >= 0 && !tracks[size_t(number)])
        tracks[size_t(number)] = std::make_unique<Track>();
    if (number != followed && number >= 0)
        tracks[size_t(number)]->mergeable = false;
    followed = number;
    snapshot = now;
    return leftBehind;
}

HistoryStep EditHistory::stepBetween(const ProgramSnapshot& from, const ProgramSnapshot& to, StepKind kind,
                                     const char* label, Clock::time_point at)
{
    HistoryStep step;
    for (int i = 0; i < kNumParams; ++i)
        if (!sameBits(from.values[size_t(i)], to.values[size_t(i)]))
            step.changes.push_back({i, from.values[size_t(i)], to.values[size_t(i)]});
    step.changes.shrink_to_fit();
    if (from.name != to.name)
        step.rename = std::make_unique<NameChange>(NameChange{from.name, to.name});
    step.label = label;
    step.kind = kind;
    step.at = at;
    return step;
}

bool EditHistory::record(const ProgramSnapshot& now, StepKind kind, const char* label, Clock::time_point at)
{
    if (followed < 0 || now == snapshot)
        return false;
    Track& track = current();
    if (compareActive) {
        compareActive = false;
        HistoryStep kept = stepBetween(edited, snapshot, StepKind::Command, kCompareLabel, at);
        if (!kept.changes.empty() || kept.rename)
            push(track, std::move(kept));
    }
    HistoryStep step = stepBetween(snapshot, now, kind, label, at);
    snapshot = now;
    clearRedo(track);
    if (!mergeInto(track, step))
        push(track, std::move(step));
    trim();
    return true;
}

// A nudge joins the same control's nudges of the last second; automation joins the last
// automation step while it moves the same parameters. Everything else is a step of its own.
bool EditHistory::mergeInto(Track& track, const HistoryStep& step)
{
    if (!track.mergeable || track.undo.empty() || step.rename)
        return false;
    HistoryStep& last = track.undo.back();
    if (last.kind != step.kind || last.rename || last.label != step.label)
        return false;
    auto inLast = [&](const ParameterChange& change) {
        return std::any_of(last.changes.begin(), last.changes.end(),
                           [&](const ParameterChange& old) { return old.index == change.index; });
    };
    bool joins = false;
    if (step.kind == StepKind::Nudge)
        joins = last.changes.size() == 1 && step.changes.size() == 1 && inLast(step.changes[0]) &&
                step.at - last.at <= kNudgeWindow;
    else if (step.kind == StepKind::Automation)
        joins = std::all_of(step.changes.begin(), step.changes.end(), inLast);
    if (!joins)
        return false;
    const size_t before = stepBytes(last);
    for (const ParameterChange& change : step.changes)
        for (ParameterChange& old : last.changes)
            if (old.index == change.index)
                old.after = change.after;
    // Turned back to where it started: the step no longer changes that parameter.
    std::erase_if(last.changes, [](const ParameterChange& c) { return sameBits(c.before, c.after); });
    last.at = step.at;
    bytes = bytes - before + stepBytes(last);
    if (last.changes.empty()) {
        bytes -= stepBytes(last);
        track.undo.pop_back();
        track.mergeable = false;
    }
    return true;
}

void EditHistory::push(Track& track, HistoryStep step)
{
    step.serial = nextSerial++;
    bytes += stepBytes(step);
    track.undo.push_back(std::move(step));
    track.mergeable = true;
}

void EditHistory::clearRedo(Track& track)
{
    for (const HistoryStep& step : track.redo)
        bytes -= stepBytes(step);
    track.redo.clear();
}

// The oldest steps of all programs go first; steps to redo only when nothing else is left.
void EditHistory::trim()
{
    while (bytes > limit) {
        Track* oldest = nullptr;
        for (auto& track : tracks)
            if (track && !track->undo.empty() && (!oldest || track->undo.front().serial < oldest->undo.front().serial))
                oldest = track.get();
        std::deque<HistoryStep>* steps = oldest ? &oldest->undo : nullptr;
        for (auto& track : tracks)
            if (!steps && track && !track->redo.empty())
                steps = &track->redo;
        if (!steps)
            return;
        bytes -= stepBytes(steps->front());
        steps->pop_front();
    }
}

// What a step holds on the heap, each block counted with the allocator's own share.
size_t EditHistory::stepBytes(const HistoryStep& step)
{
    constexpr size_t kBlockOverhead = 16;
    auto block = [](size_t size) { return size ? (size + 15) / 16 * 16 + kBlockOverhead : 0; };
    return sizeof(HistoryStep) + block(step.changes.capacity() * sizeof(ParameterChange)) +
           block(step.rename ? sizeof(NameChange) : 0);
}

const EditHistory::Track* EditHistory::trackOf(int number) const
{
    return number >= 0 && number < kNumPrograms ? tracks[size_t(number)].get() : nullptr;
}

const HistoryStep* EditHistory::nextUndo() const
{
    const Track* track = trackOf(followed);
    return track && !track->undo.empty() ? &track->undo.back() : nullptr;
}

const HistoryStep* EditHistory::nextRedo() const
{
    const Track* track = trackOf(followed);
    return track && !compareActive && !track->redo.empty() ? &track->redo.back() : nullptr;
}

std::optional<ProgramSnapshot> EditHistory::undo()
{
    if (compareActive)
        return endCompare();
    if (!nextUndo())
        return std::nullopt;
    return replayStep(current().undo, current().redo, false);
}

std::optional<ProgramSnapshot> EditHistory::redo()
{
    if (!nextRedo())
        return std::nullopt;
    return replayStep(current().redo, current().undo, true);
}

// Moves the newest step of one list onto the other, putting its values before (undo) or after
// (redo) into the snapshot.
ProgramSnapshot EditHistory::replayStep(std::deque<HistoryStep>& from, std::deque<HistoryStep>& to, bool forward)
{
    HistoryStep step = std::move(from.back());
    from.pop_back();
    for (const ParameterChange& change : step.changes)
        snapshot.values[size_t(change.index)] = forward ? change.after : change.before;
    if (step.rename)
        snapshot.name = forward ? step.rename->after : step.rename->before;
    to.push_back(std::move(step));
    current().mergeable = false;
    return snapshot;
}

ProgramSnapshot EditHistory::beginCompare(const ProgramSnapshot& saved)
{
    if (!compareActive) {
        edited = snapshot;
        compareActive = true;
    }
    snapshot = saved;
    if (followed >= 0)
        current().mergeable = false;
    return saved;
}

ProgramSnapshot EditHistory::endCompare()
{
    if (compareActive) {
        snapshot = edited;
        compareActive = false;
    }
    return snapshot;
}

void EditHistory::forgetAll()
{
    for (auto& track : tracks)
        track.reset();
    if (followed >= 0)
        tracks[size_t(followed)] = std::make_unique<Track>();
    bytes = 0;
    compareActive = false;
}

size_t EditHistory::undoDepth(int number) const
{
    const Track* track = trackOf(number);
    return track ? track->undo.size() : 0;
}

size_t EditHistory::redoDepth(int number) const
{
    const Track* track = trackOf(number);
    return track ? track->redo.size() : 0;
}
