#include "instrument/InstrumentState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(InstrumentState, RoundTripsAndRefusesWhatItCannotReadWhole)
{
    InstrumentState saved;
    saved.program = 42;
    std::strcpy(saved.name, "Twenty-four characters!!");
    for (int i = 0; i < kNumParams; ++i)
        saved.values[i] = float(i) / 7.0f - 3.0f;
    const std::vector<uint8_t> bytes = encodeState(saved);
    InstrumentState read;
    ASSERT_EQ(decodeState(bytes.data(), bytes.size(), read), StateReadResult::Ok);
    EXPECT_EQ(read.program, 42);
    EXPECT_STREQ(read.name, saved.name);
    EXPECT_EQ(std::memcmp(read.values, saved.values, sizeof read.values), 0);

    auto changed = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> copy = bytes;
        copy[at] = value;
        return copy;
    };
    const float nan = NAN;
    std::vector<uint8_t> withNan = bytes;
    std::memcpy(withNan.data() + bytes.size() - 4, &nan, 4);
    const struct {
        std::vector<uint8_t> bytes;
        StateReadResult result;
    } cases[] = {
        {{}, StateReadResult::NotOurs},
        {changed(0, 'X'), StateReadResult::NotOurs},
        {changed(4, 2), StateReadResult::NewerVersion},
        {changed(8, 100), StateReadResult::Damaged}, // program 100 does not exist
        {std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), StateReadResult::Damaged},
        {withNan, StateReadResult::Damaged},
    };
    for (const auto& c : cases) {
        InstrumentState untouched = read;
        EXPECT_EQ(decodeState(c.bytes.data(), c.bytes.size(), untouched), c.result);
        EXPECT_EQ(untouched.program, read.program);
        EXPECT_EQ(std::memcmp(untouched.values, read.values, sizeof read.values), 0);
    }
}
