// The texts that show parameter values: to the host (effGetParamDisplay) and in the editor's
// value displays. All texts fit the host interface's limit of 8 characters and a terminator,
// whatever value is stored.
#pragma once

#include "ParamTable.h"

#include <cstddef>

struct ProgramRecord;

constexpr int kDisplayTextMax = 8;                            // characters, without the terminator
constexpr std::size_t kDisplayTextSize = kDisplayTextMax + 1; // smallest buffer the functions accept

// The text of value shown as kind. linkedValue is the value of the parameter's linked parameter
// (the key tracking amount for Cutoff, the sync switch for LfoRate, DelayTime and Predelay; a
// linked value other than 0 is on) and is ignored by the other kinds. Writes at most 8
// characters and a terminator. Returns false and leaves text untouched when the value has no
// text (a coded value whose code has no display name).
bool formatKindText(DisplayKind kind, float value, float linkedValue, char* text);

// The host's text of parameter index with its value and the value of kParamTable[index].linkedIndex.
// False, text untouched, for an index outside 0..198 or a value without a text.
bool formatParamDisplay(int index, float value, float linkedValue, char* text);
// The same, reading both values from a program.
bool formatParamDisplay(int index, const ProgramRecord& program, char* text);

// The editor's text of parameter index. It differs from the host's in two places: the master
// tuning reads in Hz ("440.0 Hz" at the centre), and the delay time and pre-delay take their sync
// state from the sync button's control value (linkedValue), on only when it is exactly 1.
// Elsewhere linkedValue is used as by formatParamDisplay.
bool formatEditorDisplay(int index, float value, float linkedValue, char* text);

// Master tuning as the editor shows it: (value - 0.5) * 100 + 440 Hz, one decimal.
void formatTuningHz(float value, char* text);
