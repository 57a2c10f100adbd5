// The command line of morvelline-validate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ValidateOptions {
    std::string plugin;
    int level = 5;
    uint64_t seed = 0;
    float clip = 1.4142f;
    int timeoutSeconds = 0;          // 0: chosen from the level
    std::vector<std::string> suites; // empty: all
    bool verbose = false;
    bool allowSkips = false; // a run whose every test skipped passes
    bool help = false;
    // Set in a child process: the tests it runs.
    std::vector<int> runTests;
    std::string resultFile, stepFile;
};

// Throws std::invalid_argument with a message for the user.
ValidateOptions parseValidateOptions(const std::vector<std::string>& args);
// The arguments that make a child process run test `index` with the same settings.
std::vector<std::string> childArguments(const ValidateOptions& options, const std::vector<int>& indices,
                                        const std::string& resultFile, const std::string& stepFile);
extern const char* const kValidateUsage;
