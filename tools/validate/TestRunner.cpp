#include "TestRunner.h"

#include "ChildProcess.h"
#include "OpenPlugin.h"
#include "StepNote.h"
#include "ValidatorTest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

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

// The result lines of a child: "index<TAB>PASS|FAIL|SKIP<TAB>message".
std::vector<std::pair<int, Outcome>> readResults(const std::string& path)
{
    std::vector<std::pair<int, Outcome>> results;
    std::istringstream lines(readFile(path));
    for (std::string line; std::getline(lines, line);) {
        size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos)
            break; // a line cut short by a crash
        std::string verdict = line.substr(tab1 + 1, tab2 - tab1 - 1);
        Outcome outcome{verdict == "PASS"   ? Verdict::Passed
                        : verdict == "SKIP" ? Verdict::Skipped
                                            : Verdict::Failed,
                        line.substr(tab2 + 1)};
        results.emplace_back(std::atoi(line.c_str()), outcome);
    }
    return results;
}

// The verdict on the test that was running when the child ended without its result.
Outcome unfinished(const ChildEnd& end, const ChildFiles& files, int timeout)
{
    std::string step = readFile(files.step);
    step = step.substr(0, step.find('\0'));
    std::string during = step.empty() ? "" : " during: " + step;
    if (end.timedOut)
        return {Verdict::Failed, "hung: no end after " + std::to_string(timeout) + " s" + during};
    if (end.crashed)
        return {Verdict::Failed, "crashed (" + end.crash + ")" + during};
    return {Verdict::Failed,
            "the plug-in ended the process (exit status " + std::to_string(end.exitCode) + ")" + during};
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

void checkSuiteNames(const ValidateOptions& options)
{
    TestList tests = allTests(options.plugin);
    for (const std::string& suite : options.suites) {
        bool known = false;
        std::string names;
        for (const ValidatorTest& test : tests) {
            known = known || suite == test.suite;
            if (names.find(test.suite) == std::string::npos)
                names += std::string(names.empty() ? "" : ", ") + test.suite;
        }
        if (!known)
            throw std::invalid_argument("unknown suite '" + suite + "' (the suites: " + names + ")");
    }
}

TestList allTests(const std::string& pluginPath)
{
    TestList tests;
    if (isClapPath(pluginPath)) {
        addClapDescriptorTests(tests);
        addClapAudioTests(tests);
        addClapParameterTests(tests);
        addClapFuzzTests(tests);
        addClapStateTests(tests);
        addClapNoteTests(tests);
        addClapTransportTests(tests);
        addClapScanTests(tests);
        return tests;
    }
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
    // Kept open and overwritten in place: opening a file per step is slow under Wine.
    static FILE* file = stepFilePath.empty() ? nullptr : std::fopen(stepFilePath.c_str(), "wb");
    if (!file)
        return;
    std::rewind(file);
    std::fwrite(step.c_str(), 1, step.size() + 1, file); // with its terminator: older text may follow
    std::fflush(file);
}

int runTestsHere(const ValidateOptions& options)
{
    TestList tests = allTests(options.plugin);
    stepFilePath = options.stepFile;
    FILE* results = std::fopen(options.resultFile.c_str(), "ab");
    if (!results)
        return 2;
    for (int index : options.runTests) {
        if (index < 0 || size_t(index) >= tests.size())
            return 2;
        noteStep("starting the test");
        TestContext context;
        context.pluginPath = options.plugin;
        context.level = options.level;
        context.seed = options.seed;
        context.clipLevel = options.clip;
        context.random.seed(options.seed * 0x9E3779B97F4A7C15ULL + uint64_t(index));
        std::string result;
        try {
            tests[size_t(index)].run(context);
            result = "PASS\t";
        } catch (const TestFailure& failure) {
            result = std::string("FAIL\t") + failure.what();
        } catch (const TestSkipped& skipped) {
            result = std::string("SKIP\t") + skipped.what();
        } catch (const std::exception& error) {
            result = std::string("FAIL\tthe plug-in threw a C++ exception: ") + error.what();
        } catch (...) {
            result = "FAIL\tthe plug-in threw an exception of unknown type";
        }
        for (char& c : result)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::fprintf(results, "%d\t%s\n", index, result.c_str());
        std::fflush(results);
    }
    std::fclose(results);
    return 0;
}

size_t resultsWritten(const ChildFiles& files)
{
    std::string text = readFile(files.result);
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

int runAllTests(const ValidateOptions& options)
{
    TestList tests = allTests(options.plugin);
    std::printf("morvelline-validate: %s, level %d, seed %llu\n", options.plugin.c_str(), options.level,
                static_cast<unsigned long long>(options.seed));
    fs::path folder = fs::temp_directory_path() / ("morvelline-validate-" + std::to_string(std::random_device{}()) +
                                                   "-" + std::to_string(options.seed));
    fs::create_directories(folder);
    std::vector<int> pending;
    for (size_t i = 0; i < tests.size(); ++i)
        if (selected(options, tests[i]))
            pending.push_back(int(i));
    const size_t chosen = pending.size();
    int passed = 0, failed = 0, skipped = 0;
    auto print = [&](int index, const Outcome& outcome, const std::string& log) {
        const ValidatorTest& test = tests[size_t(index)];
        const char* mark = outcome.verdict == Verdict::Passed   ? "PASS"
                           : outcome.verdict == Verdict::Failed ? "FAIL"
                                                                : "SKIP";
        std::printf("%s  %s: %s%s%s\n", mark, test.suite, test.name, outcome.message.empty() ? "" : ": ",
                    outcome.message.c_str());
        if (!log.empty() && (options.verbose || outcome.verdict == Verdict::Failed))
            printIndented(options.verbose ? log : lastLines(log, 12));
        std::fflush(stdout);
        passed += outcome.verdict == Verdict::Passed;
        failed += outcome.verdict == Verdict::Failed;
        skipped += outcome.verdict == Verdict::Skipped;
    };
    for (int child = 0; !pending.empty(); ++child) {
        std::vector<int> batch = childPerTest() ? std::vector<int>{pending.front()} : pending;
        // Files of their own for each child: one that was killed may leave its files open a while.
        std::string number = std::to_string(child);
        ChildFiles files{(folder / ("result-" + number)).string(), (folder / ("step-" + number)).string(),
                         (folder / ("log-" + number)).string()};
        ChildEnd end = runChild(options, batch, files);
        auto results = readResults(files.result);
        std::string log = readFile(files.log);
        bool abnormal = end.timedOut || end.crashed || end.exitCode != 0;
        size_t finished = 0;
        for (; finished < results.size() && finished < batch.size(); ++finished) {
            Outcome outcome = results[finished].second;
            bool last = finished + 1 == batch.size();
            if (last && abnormal && outcome.verdict != Verdict::Failed)
                outcome = {Verdict::Failed, end.crashed
                                                ? "crashed (" + end.crash + ") after the test"
                                                : "the process ended with status " + std::to_string(end.exitCode) +
                                                      " after the test (a sanitizer report?)"};
            print(batch[finished], outcome, last || outcome.verdict == Verdict::Failed ? log : "");
        }
        if (finished < batch.size()) {
            print(batch[finished], unfinished(end, files, options.timeoutSeconds), log);
            ++finished;
        }
        pending.erase(pending.begin(), pending.begin() + long(finished));
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
    if (failed)
        return 1;
    // A run that checked nothing (no display, no such locale) must not pass for one that did.
    if (passed == 0 && !options.allowSkips) {
        std::printf("every test was skipped: nothing was checked (--allow-skips accepts such a run)\n");
        return 1;
    }
    return 0;
}
