// Runs tests in a child process, so that a crash or a hang of the plug-in ends only that child.
// The child appends one result line per test, keeps the step it is at in a file and writes its
// output into a log. Linux forks a child per test; Windows, where starting a process is slow,
// runs the remaining tests in one child and starts another after a crash.
#pragma once

#include "ValidateOptions.h"

#include <string>
#include <vector>

struct ChildFiles {
    std::string result, step, log;
};

struct ChildEnd {
    bool timedOut = false;
    bool crashed = false;
    std::string crash; // what killed it, e.g. "signal 11, Segmentation fault"
    long exitCode = 0;
};

// Whether each child runs a single test.
bool childPerTest();
// Runs `indices` in order in one child; ends when the child does, or kills it when a single test
// has taken longer than the time-out.
ChildEnd runChild(const ValidateOptions& options, const std::vector<int>& indices, const ChildFiles& files);
// Number of result lines the child has written so far.
size_t resultsWritten(const ChildFiles& files);
// Child side: prepares this process to report a crash instead of waiting on a debugger.
void prepareChildProcess();
