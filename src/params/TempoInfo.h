// The tempo context of one processing block, as the host reported it.
#pragma once

struct TempoInfo {
    float tempo = 120.0f; // beats per minute
    int timeSigDenominator = 4;
};
