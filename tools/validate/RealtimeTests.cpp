// After a warm-up, the plug-in's event and process calls must neither allocate nor wait on a
// lock: either can stall the audio thread for longer than a block lasts.
#include "CallCounter.h"
#include "Rig.h"
#include "StepNote.h"

namespace {

void playPattern(Rig& rig, int blocks)
{
    for (int block = 0; block < blocks; ++block) {
        uint8_t note = uint8_t(40 + block % 37);
        if (block % 8 == 0)
            rig.sendMidi({{0, 0x90, note, 100}, {7, 0x90, uint8_t(note + 7), 90}, {9, 0xB0, 1, uint8_t(block % 128)}});
        else if (block % 8 == 4)
            rig.sendMidi(
                {{0, 0x80, uint8_t(note - 4), 0}, {3, 0x80, uint8_t(note + 3), 0}, {5, 0xE0, 0, uint8_t(block % 128)}});
        rig.process(256);
    }
}

void noAllocationOrLock(TestContext& context)
{
    if (!callcounter::available())
        skip("allocation counting needs the Linux build without sanitizers");
    for (bool useDouble : {false, true}) {
        Rig rig(context);
        if (useDouble && !rig.canDouble())
            break;
        rig.prepare(44100, 256, useDouble);
        rig.resume();
        const char* precision = useDouble ? "double" : "single";
        noteStep(std::string("warm-up in ") + precision + " precision");
        playPattern(rig, 200);
        noteStep(std::string("counted process calls in ") + precision + " precision");
        callcounter::reset();
        rig.countCalls = true;
        int blocks = context.scaled(400);
        playPattern(rig, blocks);
        rig.countCalls = false;
        require(callcounter::total() == 0, callcounter::report() + " in " + std::to_string(blocks) + " " + precision +
                                               "-precision process calls after warm-up");
    }
}

} // namespace

void addRealtimeTests(TestList& tests)
{
    tests.push_back({"realtime", "no allocation or lock in process after warm-up", noAllocationOrLock});
}
