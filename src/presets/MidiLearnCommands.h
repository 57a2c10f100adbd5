// The editor's MIDI-learn commands: the two "Mod CC" controller choosers and the clearing of
// the controller learned for the selected parameter.
#pragma once

struct UserSettings;

// The value the "Assigned CC" label sends on Ctrl+click.
constexpr float kClearAssignmentValue = 2.0f;

// Stores the controller a chooser value selects into Mod CC 1 (which 0) or 2 (which 1):
// trunc(120 x value) - 1, where -1 means none. Values outside 0..1 are held to that range, so
// a wild value never names a controller that does not exist.
void chooseModController(UserSettings& settings, int which, float value);
// The chooser value that selects controller (-1 for none); chooseModController reads it back
// as the same controller.
float modControllerChooserValue(int controller);
// Unbinds every controller mapped to the parameter selected for learning.
void clearLearnedController(UserSettings& settings);
