// The five oscillator routings ("Mode 1" to "Mode 5"): what feeds each filter unit and which
// amplifier each unit's output reaches. Every path of the voice reads the table, never the
// mode's number.
#pragma once

#include "params/ValueCurves.h"

#include <cstdint>

enum class Routing : uint8_t {
    BothSidesInSeries,      // both sides through filter 1, then filter 2
    SecondSideJoinsFilter2, // side 1 through both units, side 2 joins at filter 2
    SecondSideUnfiltered,   // side 1 through both units; side 2 to amplifier 2, unfiltered
    ParallelMixed,          // each side its own unit, both to amplifier 1
    ParallelSeparate,       // each side its own unit and its own amplifier
};

enum class Amp1Input : uint8_t { Filter1, Filter2, BothFilters };
enum class Amp2Input : uint8_t { None, Side2, Filter2 };

struct RouteTable {
    bool side2IntoFilter1;    // filter 1 reads side 1 plus side 2 (else side 1 alone)
    bool filter2ReadsFilter1; // filter 2 reads filter 1's output (else side 2)
    bool side2JoinsFilter2;   // side 2 is added to filter 1's output before filter 2
    Amp1Input amp1;
    Amp2Input amp2;
};

inline const RouteTable& routeTable(Routing routing)
{
    static constexpr RouteTable kTables[] = {
        {true, true, false, Amp1Input::Filter2, Amp2Input::None},
        {false, true, true, Amp1Input::Filter2, Amp2Input::None},
        {false, true, false, Amp1Input::Filter2, Amp2Input::Side2},
        {false, false, false, Amp1Input::BothFilters, Amp2Input::None},
        {false, false, false, Amp1Input::Filter1, Amp2Input::Filter2},
    };
    return kTables[static_cast<int>(routing)];
}

inline Routing routingOf(float parameterValue)
{
    return static_cast<Routing>(routeCode(parameterValue));
}

// Env 2 drives a second amplifier, so it too keeps a voice sounding.
inline bool usesSecondAmplifier(Routing routing)
{
    return routeTable(routing).amp2 != Amp2Input::None;
}
