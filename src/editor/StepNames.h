// The words the Undo and Redo menu entries use for a step: the command's name, or the full name
// of the one parameter it changed ("Filter 1 Cutoff").
#pragma once

#include "editor/EditHistory.h"

#include <string>

// Every parameter's name in full words; unused slots are named by their key.
std::string parameterStepName(int index);
std::string stepDescription(const HistoryStep& step);
// The name of the step a command makes (tag and chosen position), or null where the step is
// named after the parameter it changes.
const char* commandStepLabel(int tag, int position);
