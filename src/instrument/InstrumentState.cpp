#include "instrument/InstrumentState.h"

#include <cmath>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'M', 'v', 'l', 'S'};
constexpr size_t kHeaderSize = sizeof kMagic + 4 * 3;
constexpr size_t kVersion1Size = kHeaderSize + kProgramNameSize + 4 * kNumParams;

void putWord(std::vector<uint8_t>& out, uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(word >> shift));
}

uint32_t wordAt(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

} // namespace

std::vector<uint8_t> encodeState(const InstrumentState& state)
{
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    putWord(out, kStateVersion);
    putWord(out, uint32_t(state.program));
    putWord(out, kNumParams);
    out.insert(out.end(), state.name, state.name + kProgramNameSize);
    out.back() = 0;
    for (float value : state.values) {
        uint32_t word;
        std::memcpy(&word, &value, sizeof word);
        putWord(out, word);
    }
    return out;
}

StateReadResult decodeState(const uint8_t* bytes, size_t size, InstrumentState& state)
{
    if (!bytes || size < kHeaderSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
        return StateReadResult::NotOurs;
    if (wordAt(bytes + 4) > kStateVersion)
        return StateReadResult::NewerVersion;
    const uint32_t program = wordAt(bytes + 8);
    if (wordAt(bytes + 4) != kStateVersion || wordAt(bytes + 12) != kNumParams || size != kVersion1Size ||
        program >= uint32_t(kNumPrograms))
        return StateReadResult::Damaged;
    InstrumentState read;
    read.program = int(program);
    std::memcpy(read.name, bytes + kHeaderSize, kProgramNameSize);
    read.name[kProgramNameSize - 1] = 0;
    const uint8_t* valueBytes = bytes + kHeaderSize + kProgramNameSize;
    for (int i = 0; i < kNumParams; ++i) {
        const uint32_t word = wordAt(valueBytes + 4 * i);
        std::memcpy(&read.values[i], &word, sizeof word);
        // A value that is not a number would reach the sound and every file saved later.
        if (!std::isfinite(read.values[i]))
            return StateReadResult::Damaged;
    }
    state = read;
    return StateReadResult::Ok;
}

const char* describeStateResult(StateReadResult result)
{
    switch (result) {
    case StateReadResult::Ok:
        return "The state was loaded.";
    case StateReadResult::NotOurs:
        return "This state is not a Morvelline state; nothing was changed.";
    case StateReadResult::NewerVersion:
        return "This state was saved by a newer version of Morvelline; nothing was changed.";
    case StateReadResult::Damaged:
        return "This state is damaged; nothing was changed.";
    }
    return "";
}
