// Rendering at every sample rate and block size hosts use, in both precisions, with zero-frame
// calls; the output must stay finite, below the clip, and fall silent after the notes end.
#include "Rig.h"
#include "StepNote.h"

namespace {

const std::vector<MidiBytes> kChordOn = {{0, 0x90, 48, 100}, {0, 0x90, 60, 110}, {0, 0x90, 64, 90}, {0, 0x90, 67, 127}};
const std::vector<MidiBytes> kChordOff = {{0, 0x80, 48, 0}, {0, 0x80, 60, 64}, {0, 0x80, 64, 0}, {0, 0x90, 67, 0}};

// Plays the chord for `seconds` in blocks of `block` frames, then releases it.
void playChord(Rig& rig, int block, double seconds)
{
    rig.sendMidi(kChordOn);
    long frames = long(seconds * rig.rate());
    for (long done = 0; done < frames; done += block)
        rig.process(block);
    rig.sendMidi(kChordOff);
    rig.process(block);
}

constexpr double kTailSeconds = 30;

void sampleRates(TestContext& context)
{
    Rig rig(context);
    for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 384000.0}) {
        noteStep("a chord at " + std::to_string(int(rate)) + " Hz");
        rig.prepare(rate, 512);
        rig.resume();
        playChord(rig, 512, 0.05 * context.scaled(4));
        rig.requireSilenceWithin(kTailSeconds, "the notes ended at " + std::to_string(int(rate)) + " Hz");
    }
}

void blockSizes(TestContext& context)
{
    Rig rig(context);
    for (int block : {1, 2, 31, 64, 500, 512, 4096, 8192}) {
        noteStep("a chord in blocks of " + std::to_string(block) + " frames");
        rig.prepare(44100, block);
        rig.resume();
        playChord(rig, block, 0.05 * context.scaled(2));
    }
    rig.requireSilenceWithin(kTailSeconds, "the notes ended");
}

void randomBlockSizes(TestContext& context)
{
    Rig rig(context);
    rig.prepare(48000, 8192);
    rig.resume();
    noteStep("random block sizes with random notes");
    for (int i = 0; i < context.scaled(60); ++i) {
        int block = context.between(0, 3) == 0 ? context.between(0, 8192) : context.between(0, 300);
        uint8_t note = uint8_t(context.between(24, 100));
        rig.sendMidi({{0, uint8_t(i % 2 ? 0x80 : 0x90), note, 100}});
        rig.process(block);
    }
    rig.releaseEverything();
    rig.requireSilenceWithin(kTailSeconds, "all notes off");
}

void doublePrecision(TestContext& context)
{
    Rig rig(context);
    noteStep("a chord in double precision");
    rig.prepare(44100, 512, true);
    rig.resume();
    playChord(rig, 512, 0.1 * context.scaled(2));
    rig.requireSilenceWithin(kTailSeconds, "the notes ended (double precision)");
}

void zeroFrameCalls(TestContext& context)
{
    for (bool useDouble : {false, true}) {
        Rig rig(context);
        if (useDouble && !rig.canDouble())
            break;
        rig.prepare(44100, 512, useDouble);
        noteStep(std::string("zero-frame process calls") + (useDouble ? " in double precision" : ""));
        rig.process(0); // before the first resume
        rig.resume();
        rig.process(0);
        rig.sendMidi(kChordOn); // events that come with a zero-frame call must not fault
        rig.process(0);
        rig.process(256);
        rig.process(0);
        rig.sendMidi(kChordOff);
        rig.process(0);
        rig.process(0);
        rig.requireSilenceWithin(kTailSeconds, "the notes ended around zero-frame calls");
    }
}

} // namespace

void addAudioTests(TestList& tests)
{
    tests.push_back({"audio", "sample rates 8000 to 384000 Hz", sampleRates});
    tests.push_back({"audio", "block sizes 1 to 8192 frames", blockSizes});
    tests.push_back({"audio", "random block sizes", randomBlockSizes});
    tests.push_back({"audio", "double precision", doublePrecision});
    tests.push_back({"audio", "zero-frame calls", zeroFrameCalls});
}
