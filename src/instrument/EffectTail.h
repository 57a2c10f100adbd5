// How long the delay and reverb keep sounding after the last voice ends, for hosts that stop
// processing a silent instrument and would otherwise cut the echoes off.
#pragma once

#include "params/ProgramStore.h"
#include "params/TempoInfo.h"

// Seconds until the echoes of the program's effects have fallen by 80 dB, at most kLongestTail.
double effectTailSeconds(const ProgramRecord& program, TempoInfo tempo);

constexpr double kLongestTail = 60.0;
