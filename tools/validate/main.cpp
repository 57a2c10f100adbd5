// morvelline-validate: tests any VST 2.4 or CLAP plug-in through its binary interface.
#include "ChildProcess.h"
#include "TestRunner.h"
#include "ValidateOptions.h"

#include <cstdio>
#include <stdexcept>

int main(int argc, char** argv)
{
    ValidateOptions options;
    try {
        options = parseValidateOptions(std::vector<std::string>(argv + 1, argv + argc));
        checkSuiteNames(options);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "morvelline-validate: %s\n%s", error.what(), kValidateUsage);
        return 2;
    }
    if (options.help) {
        std::printf("%s", kValidateUsage);
        return 0;
    }
    if (!options.runTests.empty()) {
        prepareChildProcess();
        return runTestsHere(options);
    }
    return runAllTests(options);
}
