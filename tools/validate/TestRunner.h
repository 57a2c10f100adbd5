// Runs the selected tests one by one, each isolated in a child process, prints one line per test
// and the summary, and answers the exit status.
#pragma once

#include "ValidateOptions.h"

int runAllTests(const ValidateOptions& options);
// Throws std::invalid_argument naming a suite of --suite that does not exist.
void checkSuiteNames(const ValidateOptions& options);
// The child's side: runs the tests of `options.runTests` here, appending a line per test to the
// result file; the exit status.
int runTestsHere(const ValidateOptions& options);
