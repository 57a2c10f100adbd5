#include "TestRunner.h"

#include "ChildProcess.h"
#include "StepNote.h"
#include "ValidatorTest.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string stepFilePath;

enum class Verdict { Passed, Failed, Skipped };

struct Outcome {
    Verdict verdict;
    std::string message;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string lastLines(const std::string& text, int count)
{
    size_t start = text.size();
    while (start > 0 && count >= 0) {
        start = text.rfind('\n', start - 1);
        if (start == std::string::npos) {
            start = 0;
            break;
        }
        --count;
    }
    return text.substr(start == 0 ? 0 : start + 1);
}

Outcome judge(const ChildEnd& end, const ChildFiles& files, int timeout)
{
    std::string step = readFile(files.step);
    std::string during = step.empty() ? "" : " during: " + step;
    if (end.timedOut)
        return {Verdict::Failed, "hung: no end after " + std::to_string(timeout) + " s" + during};
    if (end.crashed)
        return {Verdict::Failed, "crashed (" + end.crash + ")" + during};
    std::string result = readFile(files.result);
    if (result.empty())
        return {Verdict::Failed, "the plug-in ended the process (exit status " + std::to_string(end.exitCode) + ")" + during};
    std::string message = result.size() > 5 ? result.substr(5) : "";
    if (result.rfind("PASS", 0) == 0) {
        if (end.exitCode != 0)
            return {Verdict::Failed, "the process ended with status " + std::to_string(end.exitCode) +
                                         " after the test (a sanitizer report?)"};
        return {Verdict::Passed, ""};
    }
    if (result.rfind("SKIP", 0) == 0)
        return {Verdict::Skipped, message};
    return {Verdict::Failed, message};
}

void printIndented(const std::string& text)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        std::printf("      | %s\n", line.c_str());
}

bool selected(const ValidateOptions& options, const ValidatorTest& test)
{
    if (options.suites.empty())
        return true;
    for (const std::string& suite : options.suites)
        if (suite == test.suite)
            return true;
    return false;
}

} // namespace

TestList allTests()
{
    TestList tests;
    addLifecycleTests(tests);
    addAudioTests(tests);
    addParameterTests(tests);
    addProgramTests(tests);
    addMidiTests(tests);
    addThreadTests(tests);
    addRealtimeTests(tests);
    addLocaleTests(tests);
    return tests;
}

void noteStep(const std::string& step)
{
    if (stepFilePath.empty())
        return;
    if (FILE* file = std::fopen(stepFilePath.c_str(), "wb")) {
        std::fputs(step.c_str(), file);
        std::fclose(file);
    }
}

int runTestHere(const ValidateOptions& options, int index)
{
    TestList tests = allTests();
    if (index < 0 || size_t(index) >= tests.size())
        return 2;
    stepFilePath = options.stepFile;
    TestContext context;
    context.pluginPath = options.plugin;
    context.level = options.level;
    context.seed = options.seed;
    context.clipLevel = options.clip;
    context.random.seed(options.seed * 0x9E3779B97F4A7C15ULL + uint64_t(index));
    std::string result;
    try {
        tests[size_t(index)].run(context);
        result = "PASS";
    } catch (const TestFailure& failure) {
        result = std::string("FAIL ") + failure.what();
    } catch (const TestSkipped& skipped) {
        result = std::string("SKIP ") + skipped.what();
    } catch (const std::exception& error) {
        result = std::string("FAIL the plug-in threw a C++ exception: ") + error.what();
    } catch (...) {
        result = "FAIL the plug-in threw an exception of unknown type";
    }
    std::ofstream(options.resultFile, std::ios::binary) << result;
    return 0;
}

int runAllTests(const ValidateOptions& options)
{
    TestList tests = allTests();
    std::printf("morvelline-validate: %s, level %d, seed %llu\n", options.plugin.c_str(), options.level,
                static_cast<unsigned long long>(options.seed));
    fs::path folder = fs::temp_directory_path() /
                      ("morvelline-validate-" + std::to_string(std::random_device{}()) + "-" + std::to_string(options.seed));
    fs::create_directories(folder);
    int passed = 0, failed = 0, skipped = 0, chosen = 0;
    for (size_t i = 0; i < tests.size(); ++i) {
        const ValidatorTest& test = tests[i];
        if (!selected(options, test))
            continue;
        ++chosen;
        ChildFiles files{(folder / "result").string(), (folder / "step").string(), (folder / "log").string()};
        for (const std::string& f : {files.result, files.step, files.log})
            fs::remove(f);
        Outcome outcome = judge(runChild(options, int(i), files), files, options.timeoutSeconds);
        const char* mark = outcome.verdict == Verdict::Passed ? "PASS" : outcome.verdict == Verdict::Failed ? "FAIL" : "SKIP";
        std::printf("%s  %s: %s%s%s\n", mark, test.suite, test.name, outcome.message.empty() ? "" : ": ",
                    outcome.message.c_str());
        std::string log = readFile(files.log);
        if (!log.empty() && (options.verbose || outcome.verdict == Verdict::Failed))
            printIndented(options.verbose ? log : lastLines(log, 12));
        std::fflush(stdout);
        passed += outcome.verdict == Verdict::Passed;
        failed += outcome.verdict == Verdict::Failed;
        skipped += outcome.verdict == Verdict::Skipped;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (chosen == 0) {
        std::printf("no test in the suites asked for\n");
        return 2;
    }
    std::printf("%d passed, %d failed", passed, failed);
    if (skipped)
        std::printf(", %d skipped", skipped);
    std::printf("\n");
    return failed ? 1 : 0;
}
