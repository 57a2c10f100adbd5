// Program selection across and outside the range, program names at and beyond the length limit,
// program changes while notes sound, and the state a host saves and restores.
#include "GuardedText.h"
#include "Rig.h"
#include "StepNote.h"

#include <cmath>
#include <limits>

namespace {

void selectProgram(Rig& rig, VstIntPtr program)
{
    rig.dispatch(effBeginSetProgram);
    rig.dispatch(effSetProgram, 0, program);
    rig.dispatch(effEndSetProgram);
}

std::string programName(Rig& rig, const std::string& what)
{
    GuardedText name(kProgramNameLimit);
    rig.dispatch(effGetProgramName, 0, 0, name.data());
    return name.checked(what);
}

void everyProgram(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 256);
    rig.resume();
    int count = rig.fx()->numPrograms;
    for (int p = 0; p < count; ++p) {
        noteStep("program " + std::to_string(p));
        selectProgram(rig, p);
        VstIntPtr now = rig.dispatch(effGetProgram);
        require(now == p, "effGetProgram answers " + std::to_string(now) + " after program " + std::to_string(p) +
                              " was selected");
        programName(rig, "the name of program " + std::to_string(p));
        rig.process(64);
    }
    for (VstIntPtr p : {VstIntPtr(-1), VstIntPtr(count), VstIntPtr(count + 1), VstIntPtr(100000),
                        VstIntPtr(std::numeric_limits<VstInt32>::max())}) {
        noteStep("program " + std::to_string(p) + " (outside the range)");
        selectProgram(rig, p);
        VstIntPtr now = rig.dispatch(effGetProgram);
        require(count == 0 || (now >= 0 && now < count), "effGetProgram answers " + std::to_string(now) +
                                                             " after the out-of-range program " + std::to_string(p) +
                                                             " was asked for");
        programName(rig, "the current program's name after program " + std::to_string(p) + " was asked for");
        rig.process(64);
    }
    for (int p : {-1, 0, count - 1, count, count + 1, 100000}) {
        noteStep("effGetProgramNameIndexed " + std::to_string(p));
        GuardedText name(kProgramNameLimit);
        rig.dispatch(effGetProgramNameIndexed, p, 0, name.data());
        name.checked("the indexed name of program " + std::to_string(p));
    }
}

void longNames(TestContext& context)
{
    Rig rig(context);
    if (rig.fx()->numPrograms < 2)
        skip("the plug-in has fewer than two programs");
    for (size_t length :
         {size_t(1), kProgramNameLimit - 2, kProgramNameLimit - 1, kProgramNameLimit, size_t(100), size_t(5000)}) {
        std::string written;
        for (size_t i = 0; i < length; ++i)
            written += char('A' + i % 26);
        noteStep("a program name of " + std::to_string(length) + " characters");
        selectProgram(rig, 1);
        std::vector<char> text(written.begin(), written.end());
        text.push_back(0);
        rig.dispatch(effSetProgramName, 0, 0, text.data());
        selectProgram(rig, 0);
        selectProgram(rig, 1);
        std::string read = programName(rig, "a program name of " + std::to_string(length) + " characters");
        // Names that fit must come back whole; longer ones may be cut, but only at the end.
        if (length < kProgramNameLimit)
            require(read == written, "the program name \"" + written + "\" reads back as \"" + read + "\"");
        else
            require(written.compare(0, read.size(), read) == 0 && !read.empty(),
                    "a name of " + std::to_string(length) + " characters reads back as \"" + read + "\"");
    }
}

void changeWhileNotesSound(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 256);
    rig.resume();
    int count = rig.fx()->numPrograms;
    if (count < 2)
        skip("the plug-in has fewer than two programs");
    for (int round = 0; round < context.scaled(20); ++round) {
        int program = context.between(0, count - 1);
        noteStep("program " + std::to_string(program) + " selected while notes sound");
        rig.sendMidi(
            {{0, 0x90, uint8_t(context.between(36, 84)), 100}, {5, 0x90, uint8_t(context.between(36, 84)), 80}});
        rig.process(256);
        selectProgram(rig, program);
        rig.process(256);
    }
    rig.releaseEverything();
    rig.requireSilenceWithin(30, "all notes off after program changes");
}

std::vector<float> allValues(Rig& rig)
{
    std::vector<float> values;
    for (int i = 0; i < rig.fx()->numParams; ++i)
        values.push_back(rig.fx()->getParameter(rig.fx(), i));
    return values;
}

std::string firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (std::fabs(a[i] - b[i]) > 1e-6f)
            return "parameter " + std::to_string(i) + " was " + std::to_string(a[i]) + ", restored as " +
                   std::to_string(b[i]);
    return {};
}

void stateRoundTrip(TestContext& context)
{
    Rig rig(context);
    rig.prepare(44100, 256);
    for (int i = 0; i < rig.fx()->numParams; ++i)
        rig.fx()->setParameter(rig.fx(), i, context.uniform(0, 1));
    std::vector<float> saved = allValues(rig);
    if (rig.fx()->flags & effFlagsProgramChunks) {
        noteStep("effGetChunk of the current program");
        void* chunk = nullptr;
        VstIntPtr size = rig.dispatch(effGetChunk, 1, 0, &chunk);
        require(size > 0 && chunk, "the plug-in offers chunks but effGetChunk returned none");
        std::vector<char> copy(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
        for (int i = 0; i < rig.fx()->numParams; ++i)
            rig.fx()->setParameter(rig.fx(), i, context.uniform(0, 1));
        noteStep("effSetChunk of the saved program");
        rig.dispatch(effSetChunk, 1, VstIntPtr(copy.size()), copy.data());
    } else {
        // Hosts save and restore such plug-ins value by value.
        noteStep("parameter values written back one by one");
        for (int i = 0; i < rig.fx()->numParams; ++i)
            rig.fx()->setParameter(rig.fx(), i, saved[size_t(i)]);
    }
    std::string difference = firstDifference(saved, allValues(rig));
    require(difference.empty(), "state not restored: " + difference);
}

} // namespace

void addProgramTests(TestList& tests)
{
    tests.push_back({"programs", "every program and numbers outside the range", everyProgram});
    tests.push_back({"programs", "program names at and beyond the length limit", longNames});
    tests.push_back({"programs", "program changes while notes sound", changeWhileNotesSound});
    tests.push_back({"programs", "state saved and restored", stateRoundTrip});
}
