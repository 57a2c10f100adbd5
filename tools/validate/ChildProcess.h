// Runs one test in a child process, so that a crash or a hang of the plug-in ends only that
// child. The child writes its result, the step it was at and its output into files.
#pragma once

#include "ValidateOptions.h"

#include <string>

struct ChildFiles {
    std::string result, step, log;
};

struct ChildEnd {
    bool timedOut = false;
    bool crashed = false;
    std::string crash; // what killed it, e.g. "signal 11, Segmentation fault"
    long exitCode = 0;
};

ChildEnd runChild(const ValidateOptions& options, int index, const ChildFiles& files);
// Child side: prepares this process to report a crash instead of waiting on a debugger.
void prepareChildProcess();
