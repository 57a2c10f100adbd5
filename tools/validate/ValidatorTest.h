// One test of the validator: a name within a suite and a function that drives a plug-in and
// reports a fault by throwing. Each test runs in a child process of its own, so a plug-in that
// crashes or hangs costs one failed test, not the whole run.
#pragma once

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

class TestFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TestSkipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TestContext {
    std::string pluginPath;
    int level = 5;
    uint64_t seed = 0;
    float clipLevel = 1.4142f;
    std::mt19937_64 random;

    // A loop count of `atLevel5` at the default level, growing to four times that at level 10
    // and shrinking towards one at level 1.
    int scaled(int atLevel5) const
    {
        long n = long(atLevel5) * level * level / 25;
        return n < 1 ? 1 : int(n);
    }
    float uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
};

[[noreturn]] inline void fail(const std::string& why)
{
    throw TestFailure(why);
}

inline void require(bool ok, const std::string& why)
{
    if (!ok)
        fail(why);
}

[[noreturn]] inline void skip(const std::string& why)
{
    throw TestSkipped(why);
}

struct ValidatorTest {
    const char* suite;
    const char* name;
    void (*run)(TestContext&);
};

using TestList = std::vector<ValidatorTest>;

void addLifecycleTests(TestList&);
void addAudioTests(TestList&);
void addParameterTests(TestList&);
void addProgramTests(TestList&);
void addMidiTests(TestList&);
void addThreadTests(TestList&);
void addRealtimeTests(TestList&);
void addLocaleTests(TestList&);

void addClapDescriptorTests(TestList&);
void addClapAudioTests(TestList&);
void addClapParameterTests(TestList&);
void addClapFuzzTests(TestList&);
void addClapStateTests(TestList&);
void addClapNoteTests(TestList&);
void addClapTransportTests(TestList&);
void addClapScanTests(TestList&);

// Every test for the plug-in's format (CLAP for a .clap file, else VST 2.4) in the order they run.
TestList allTests(const std::string& pluginPath);
