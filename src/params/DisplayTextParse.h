// From a display text back to a value, for hosts that let the user type a value. The texts are
// the host's display texts (DisplayText.h): a text that one of them shows gives a value that
// shows it again; otherwise the number in the text gives the value whose text is nearest.
#pragma once

// linkedValue as for formatParamDisplay. False, value untouched, for an index outside the table
// or a text that names no value of the parameter.
bool parseParamDisplay(int index, const char* text, float linkedValue, float& value);
