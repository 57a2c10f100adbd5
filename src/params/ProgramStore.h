// The values of all programs: 100 bank programs plus the preset clipboard, the section clipboard
// and the undo record. Values are atomic because the host's audio and user-interface threads
// read and write them at once; the store never clamps.
#pragma once

#include "ParamTable.h"

#include <atomic>

constexpr int kProgramNameSize = 25; // 24 characters and a terminator

struct ProgramRecord {
    std::atomic<float> values[kNumParams];
    char name[kProgramNameSize];

    float get(int index) const { return values[index].load(std::memory_order_relaxed); }
    void set(int index, float value) { values[index].store(value, std::memory_order_relaxed); }
    void copyFrom(const ProgramRecord& other);
    // The default program: all values 0, then the non-zero defaults; the name becomes "Default".
    void initialize();
};

class ProgramStore {
public:
    static constexpr int kPresetClipboard = 100;
    static constexpr int kSectionClipboard = 101;
    static constexpr int kUndoRecord = 102;
    static constexpr int kNumRecords = 103;

    ProgramStore();

    ProgramRecord& record(int number) { return records[number]; }
    const ProgramRecord& record(int number) const { return records[number]; }
    ProgramRecord& current() { return records[currentNumber()]; }
    const ProgramRecord& current() const { return records[currentNumber()]; }

    int currentNumber() const { return currentProgram.load(std::memory_order_relaxed); }
    void setCurrentNumber(int number) { currentProgram.store(number, std::memory_order_relaxed); }

    // The current program's value: what the engine reads while it renders.
    float value(int index) const { return current().get(index); }

private:
    ProgramRecord records[kNumRecords];
    std::atomic<int> currentProgram{0};
};
