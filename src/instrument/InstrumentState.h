// The instrument's state as bytes, for hosts that save a plug-in's state with their project:
// the current program's number, name and 199 values. Versioned, so a later version can add to
// it; a state from a newer version is refused instead of being half read.
#pragma once

#include "params/ProgramStore.h"

#include <cstdint>
#include <string>
#include <vector>

struct InstrumentState {
    int program = 0;
    char name[kProgramNameSize] = {};
    float values[kNumParams] = {};
};

constexpr uint32_t kStateVersion = 1;

enum class StateReadResult { Ok, NotOurs, NewerVersion, Damaged };

std::vector<uint8_t> encodeState(const InstrumentState& state);
// Fills state only when the whole of bytes is a state this version can read.
StateReadResult decodeState(const uint8_t* bytes, size_t size, InstrumentState& state);
// A sentence for the user or the host's log.
const char* describeStateResult(StateReadResult result);
