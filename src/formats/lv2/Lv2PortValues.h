// A parameter's value as its control port carries it. Most ports carry the parameter's value
// itself (0 to 1), as VST 2.4 and CLAP automation does. Menu parameters are integer ports whose
// value is the stored number (the parameter holds it divided by 100), so hosts can offer the
// menu's entries; switches are toggles of 0 and 1.
#pragma once

#include "params/CodeTables.h"

enum class Lv2PortKind { Continuous, Coded, Toggle };

Lv2PortKind lv2PortKind(int index);
// The code table of a menu parameter; false for the others.
bool lv2CodeKind(int index, CodeKind& kind);
// The largest stored number of a code table.
int lv2LargestStoredNumber(CodeKind kind);

// The parameter value a port value sets. A value that is not a number stays one, so the core
// refuses it.
float lv2ValueFromPort(int index, float port);
// The port value for a parameter value. False when no port value gives this value back exactly
// (a menu value between two entries, a switch other than 0 or 1); port is then the nearest.
bool lv2PortFromValue(int index, float value, float& port);
