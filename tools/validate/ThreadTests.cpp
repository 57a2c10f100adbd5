// The audio thread renders while a second thread does what a host's user-interface thread does:
// program changes, loading a whole set of values, opening and closing the editor. Built with
// ThreadSanitizer, the validator also reports data races between the two.
#include "EditorParent.h"
#include "Rig.h"
#include "StepNote.h"

#include <atomic>
#include <thread>

namespace {

// Runs `uiRounds` rounds of `uiStep` on this thread while a second thread renders audio with
// notes; fails with what the audio thread found.
template <class Step>
void withAudioRunning(TestContext& context, Rig& rig, int uiRounds, Step uiStep)
{
    rig.prepare(44100, 128);
    rig.resume();
    std::atomic<bool> stop{false};
    std::string audioFault;
    std::thread audio([&] {
        try {
            for (int block = 0; !stop; ++block) {
                if (block % 40 == 0)
                    rig.sendMidi(
                        {{0, 0x90, uint8_t(48 + block / 40 % 24), 100}, {3, 0x80, uint8_t(47 + block / 40 % 24), 0}});
                rig.process(128);
            }
        } catch (const TestFailure& failure) {
            audioFault = failure.what();
        }
    });
    for (int round = 0; round < uiRounds && audioFault.empty(); ++round)
        uiStep(round);
    stop = true;
    audio.join();
    require(audioFault.empty(), audioFault);
    (void)context;
}

void programChanges(TestContext& context)
{
    Rig rig(context);
    int count = rig.fx()->numPrograms;
    if (count < 2)
        skip("the plug-in has fewer than two programs");
    noteStep("program changes from a second thread while audio runs");
    withAudioRunning(context, rig, context.scaled(200), [&](int round) {
        rig.dispatch(effBeginSetProgram);
        rig.dispatch(effSetProgram, 0, round % count);
        rig.dispatch(effEndSetProgram);
        char name[256] = {};
        rig.dispatch(effGetProgramName, 0, 0, name);
    });
}

void parameterLoads(TestContext& context)
{
    Rig rig(context);
    bool chunks = rig.fx()->flags & effFlagsProgramChunks;
    std::vector<char> saved;
    if (chunks) {
        void* chunk = nullptr;
        VstIntPtr size = rig.dispatch(effGetChunk, 0, 0, &chunk);
        if (size > 0 && chunk)
            saved.assign(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
    }
    noteStep(chunks ? "banks loaded with effSetChunk while audio runs"
                    : "whole sets of values loaded while audio runs");
    withAudioRunning(context, rig, context.scaled(40), [&](int round) {
        if (!saved.empty()) {
            std::vector<char> copy = saved; // the plug-in may not keep the host's buffer
            rig.dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data());
            return;
        }
        for (int i = 0; i < rig.fx()->numParams; ++i)
            rig.fx()->setParameter(rig.fx(), i, float((i * 37 + round * 11) % 100) / 99.0f);
    });
}

void editorOpenAndClose(TestContext& context)
{
    Rig rig(context);
    if (!(rig.fx()->flags & effFlagsHasEditor))
        skip("the plug-in has no editor");
    std::string why;
    std::unique_ptr<EditorParent> parent = EditorParent::create(why);
    if (!parent)
        skip(why);
    withAudioRunning(context, rig, context.scaled(6), [&](int round) {
        noteStep("editor opened, round " + std::to_string(round + 1));
        ERect* rect = nullptr;
        rig.dispatch(effEditGetRect, 0, 0, &rect);
        VstIntPtr opened = rig.dispatch(effEditOpen, 0, parent->displayValue(), parent->handle());
        require(opened != 0 || rect != nullptr, "effEditOpen failed although the plug-in has an editor");
        rig.dispatch(effEditGetRect, 0, 0, &rect);
        for (int idle = 0; idle < 10; ++idle) {
            rig.dispatch(effEditIdle);
            parent->pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        noteStep("editor closed, round " + std::to_string(round + 1));
        rig.dispatch(effEditClose);
        parent->pump();
    });
}

} // namespace

void addThreadTests(TestList& tests)
{
    tests.push_back({"threads", "program changes while audio runs", programChanges});
    tests.push_back({"threads", "whole state loads while audio runs", parameterLoads});
    tests.push_back({"threads", "editor opened and closed while audio runs", editorOpenAndClose});
}
