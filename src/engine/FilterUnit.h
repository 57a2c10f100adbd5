// One stereo filter unit of a voice: a ladder lowpass or a state-variable filter, or bypass.
// Both state sets live on across notes and type changes; only the running one moves.
#pragma once

#include <cstdint>

#include "LadderFilter.h"
#include "StateVariableFilter.h"
#include "params/CodeTables.h"

struct FilterUnit {
    FilterType typeCode = FilterType::Off;
    int32_t svfMode = SvfLowpass;
    LadderFilter ladder;
    StateVariableFilter svf;

    // From the decoded type parameter, at block set-up. The menu separators (codes 1 and 4)
    // run the state-variable filter in whatever response it had last.
    void setType(FilterType code)
    {
        typeCode = code;
        switch (code) {
        case FilterType::Lowpass12:
            svfMode = SvfLowpass;
            break;
        case FilterType::Highpass:
            svfMode = SvfHighpass;
            break;
        case FilterType::Bandpass:
            svfMode = SvfBandpass;
            break;
        case FilterType::Bandstop:
            svfMode = SvfNotch;
            break;
        case FilterType::Peaking:
            svfMode = SvfPeak;
            break;
        default:
            break;
        }
    }

    bool isBypassed() const { return typeCode == FilterType::Off; }
    bool usesLadder() const { return typeCode == FilterType::Lowpass24; }
};
