// Every parameter written with sound and wild values and read back; every text in a guarded
// buffer, for every index and the indices just outside; automation from a second thread while
// the audio thread renders.
#include "EditorParent.h"
#include "GuardedText.h"
#include "Rig.h"
#include "StepNote.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <thread>

namespace {

const float kWildValues[] = {-1.0f,
                             2.0f,
                             std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             1e-40f,
                             -1e-40f,
                             -0.0f,
                             std::numeric_limits<float>::max()};

std::string valueText(float v)
{
    return std::isnan(v) ? "NaN" : std::to_string(v);
}

// After a value from 0 to 1 a parameter must read back within that range; after a wild value it
// must at least read back finite, since hosts draw and store what they read.
void requireSoundReading(Rig& rig, int index, float written)
{
    float v = rig.fx()->getParameter(rig.fx(), index);
    bool inRange = written >= 0.0f && written <= 1.0f;
    if (inRange ? !(v >= 0.0f && v <= 1.0f) : !std::isfinite(v))
        fail("parameter " + std::to_string(index) + " reads back " + valueText(v) + " after " + valueText(written) +
             " was written" + (inRange ? " (hosts expect a value from 0 to 1)" : ""));
}

void readTexts(Rig& rig, int index)
{
    for (auto [opcode, what] :
         {std::pair{effGetParamName, "name"}, {effGetParamLabel, "label"}, {effGetParamDisplay, "display text"}}) {
        GuardedText text(kParamTextLimit);
        rig.dispatch(opcode, index, 0, text.data());
        text.checked("the " + std::string(what) + " of parameter " + std::to_string(index));
    }
}

void soundValues(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 256);
    rig.resume();
    int count = rig.fx()->numParams;
    rig.sendMidi({{0, 0x90, 60, 100}, {0, 0x90, 67, 100}});
    for (int round = 0; round < context.scaled(2); ++round)
        for (int i = 0; i < count; ++i) {
            for (float v : {0.0f, 1.0f, context.uniform(0, 1), 0.5f}) {
                noteStep("parameter " + std::to_string(i) + " set to " + valueText(v));
                rig.fx()->setParameter(rig.fx(), i, v);
                requireSoundReading(rig, i, v);
                readTexts(rig, i);
                rig.process(16);
            }
        }
}

void wildValues(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 256);
    rig.resume();
    int count = rig.fx()->numParams;
    rig.sendMidi({{0, 0x90, 60, 100}, {0, 0x90, 72, 100}});
    for (int i = 0; i < count; ++i) {
        float before = rig.fx()->getParameter(rig.fx(), i);
        for (float v : kWildValues) {
            noteStep("parameter " + std::to_string(i) + " set to " + valueText(v));
            rig.fx()->setParameter(rig.fx(), i, v);
            requireSoundReading(rig, i, v);
            readTexts(rig, i);
            rig.process(32);
        }
        rig.fx()->setParameter(rig.fx(), i, std::isfinite(before) ? before : 0.5f);
    }
    rig.releaseEverything();
}

// setParameter and getParameter at indices no host should use (some plug-ins read commands or
// other state from them): nothing may crash, read NaN or disturb the parameters in the range.
void writeOutsideTheRange(Rig& rig, const std::string& editorState, const std::function<void()>& idle)
{
    int count = rig.fx()->numParams;
    std::vector<float> values;
    for (int i = 0; i < count; ++i)
        values.push_back(rig.fx()->getParameter(rig.fx(), i));
    for (int index : {-1, count, count + 1, 1000, std::numeric_limits<int>::max()}) {
        for (float v : {0.0f, 0.25f, 1.0f, 2.0f, 9.0f}) {
            noteStep("setParameter of index " + std::to_string(index) + " to " + valueText(v) + editorState);
            rig.fx()->setParameter(rig.fx(), index, v);
            idle();
        }
        noteStep("getParameter of index " + std::to_string(index) + editorState);
        float v = rig.fx()->getParameter(rig.fx(), index);
        require(!std::isnan(v), "getParameter of index " + std::to_string(index) + " answers NaN" + editorState);
    }
    for (int i = 0; i < count; ++i) {
        float v = rig.fx()->getParameter(rig.fx(), i);
        require(v == values[size_t(i)] || (std::isnan(v) && std::isnan(values[size_t(i)])),
                "setParameter outside the range changed parameter " + std::to_string(i) + editorState);
    }
}

void textsOutsideTheRange(TestContext& context)
{
    Rig rig(context);
    int count = rig.fx()->numParams;
    for (int index : {-1, count, count + 1, 100000, std::numeric_limits<int>::min()}) {
        noteStep("the texts of parameter " + std::to_string(index));
        readTexts(rig, index);
        GuardedText props(152);
        rig.dispatch(effGetParameterProperties, index, 0, props.data());
        props.checked("the properties of parameter " + std::to_string(index));
        rig.dispatch(effCanBeAutomated, index);
    }
    writeOutsideTheRange(rig, "", [] {});
    // Again with the editor open, where a display allows one: some plug-ins only act on such
    // indices while their window is open.
    std::string why;
    std::unique_ptr<EditorParent> parent;
    if (rig.fx()->flags & effFlagsHasEditor)
        parent = EditorParent::create(why);
    if (!parent)
        return;
    noteStep("editor opened");
    rig.dispatch(effEditOpen, 0, parent->displayValue(), parent->handle());
    writeOutsideTheRange(rig, " with the editor open", [&] {
        rig.dispatch(effEditIdle);
        parent->pump();
    });
    for (int idle = 0; idle < 5; ++idle) {
        rig.dispatch(effEditIdle);
        parent->pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    noteStep("editor closed");
    rig.dispatch(effEditClose);
    parent->pump();
    writeOutsideTheRange(rig, " after the editor closed", [] {});
}

void automationFromAnotherThread(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 128);
    rig.resume();
    int count = rig.fx()->numParams;
    if (count == 0)
        skip("the plug-in has no parameters");
    std::atomic<bool> done{false};
    std::string audioFault;
    noteStep("automation from a second thread while audio runs");
    std::thread audio([&] {
        try {
            for (int block = 0; block < context.scaled(400); ++block) {
                if (block % 50 == 0)
                    rig.sendMidi({{0, 0x90, uint8_t(48 + block / 50 % 24), 100}});
                rig.process(128);
            }
        } catch (const TestFailure& failure) {
            audioFault = failure.what();
        }
        done = true;
    });
    uint64_t state = context.seed | 1;
    while (!done) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        int index = int((state >> 33) % uint64_t(count));
        float value = float((state >> 11) & 0xffff) / 65535.0f;
        rig.fx()->setParameter(rig.fx(), index, value);
        char text[256] = {};
        rig.dispatch(effGetParamDisplay, index, 0, text);
    }
    audio.join();
    require(audioFault.empty(), audioFault + " (while a second thread automated parameters)");
}

} // namespace

void addParameterTests(TestList& tests)
{
    tests.push_back({"parameters", "every parameter at 0, 1 and random values", soundValues});
    tests.push_back({"parameters", "wild values: -1, 2, NaN, infinities, denormals", wildValues});
    tests.push_back(
        {"parameters", "texts and calls for indices outside the range, editor closed and open", textsOutsideTheRange});
    tests.push_back({"parameters", "automation from a second thread while audio runs", automationFromAnotherThread});
}
