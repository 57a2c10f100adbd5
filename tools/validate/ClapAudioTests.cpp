// Rendering at the block sizes and sample rates hosts use, across deactivation and reactivation,
// and under every kind of transport: output finite, within the clip, and only inside the block.
#include "ClapRig.h"
#include "StepNote.h"

#include <cmath>
#include <limits>

namespace {
// Named as well: batched builds compile several test files as one unit.
namespace clap_audio {

constexpr double kTailSeconds = 30;
const int kChord[] = {48, 60, 64, 67};

void chord(ClapRig& rig, uint16_t type, int32_t firstId)
{
    for (int i = 0; i < 4; ++i)
        rig.note(type, 0, kChord[i], 0, type == CLAP_EVENT_NOTE_ON ? firstId + i : -1, 0.5 + 0.1 * i);
}

// The chord in blocks of the given sizes (repeated until `seconds` have passed), then released.
void playChord(ClapRig& rig, const std::vector<int>& blocks, double seconds)
{
    chord(rig, CLAP_EVENT_NOTE_ON, 0);
    long frames = long(seconds * rig.rate());
    for (size_t i = 0; frames > 0; ++i) {
        const int block = blocks[i % blocks.size()];
        rig.process(block);
        frames -= block;
    }
    chord(rig, CLAP_EVENT_NOTE_OFF, 0);
    rig.process(blocks.front());
}

void blockSizes(TestContext& context)
{
    ClapRig rig(context);
    for (int largest : {1, 97, 4096}) {
        noteStep("a chord in blocks up to " + std::to_string(largest) + " frames");
        rig.activate(48000, largest);
        std::vector<int> blocks = {1, largest};
        for (int odd : {3, 17, 31, 95, 127, 511, 1023, 4095})
            if (odd < largest)
                blocks.push_back(odd);
        for (int i = 0; i < 8; ++i)
            blocks.push_back(context.between(1, largest));
        playChord(rig, blocks, 0.05 * context.scaled(2));
    }
    noteStep("the release after blocks of every size");
    rig.requireSilenceWithin(kTailSeconds, "the notes ended");
}

void sampleRates(TestContext& context)
{
    ClapRig rig(context);
    for (double rate : {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
        noteStep("a chord at " + std::to_string(int(rate)) + " Hz");
        rig.activate(rate, 512);
        playChord(rig, {512, 100}, 0.05 * context.scaled(4));
        rig.requireSilenceWithin(kTailSeconds, "the notes ended at " + std::to_string(int(rate)) + " Hz");
    }
}

// A host moves a project to another rate while notes sound, and may reactivate without
// processing in between.
void reactivation(TestContext& context)
{
    ClapRig rig(context);
    rig.activate(44100, 256);
    const struct {
        double rate;
        int largest;
    } steps[] = {{96000, 1024}, {22050, 64}, {22050, 64}, {192000, 4096}, {44100, 256}};
    for (const auto& step : steps) {
        noteStep("deactivating while notes sound, reactivating at " + std::to_string(int(step.rate)) + " Hz");
        chord(rig, CLAP_EVENT_NOTE_ON, 0);
        rig.process(std::min(rig.maxFrames(), 200));
        rig.deactivate();
        rig.activate(step.rate, step.largest);
        for (int i = 0; i < context.scaled(10); ++i)
            rig.process(context.between(1, step.largest));
    }
    noteStep("the release after the last reactivation");
    rig.releaseEverything();
    rig.requireSilenceWithin(kTailSeconds, "all notes off after reactivations");
}

struct TransportStep {
    const char* what;
    double tempo;
    int numerator, denominator;
    bool present = true;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const TransportStep kTransports[] = {
    {"120 bpm in 4/4", 120, 4, 4},       {"a jump to 300 bpm", 300, 4, 4},     {"a jump to 20 bpm", 20, 4, 4},
    {"3/4", 90, 3, 4},                   {"7/8", 140, 7, 8},                   {"5/16", 160, 5, 16},
    {"no transport at all", 120, 4, 4, false}, {"999 bpm in 12/8", 999, 12, 8}, {"1 bpm", 1, 4, 4},
    {"tempo 0 and 0/0", 0, 0, 0},        {"a negative tempo", -120, 4, 4},     {"a NaN tempo", kNaN, 4, 4},
    {"an infinite tempo", kInf, 4, 4},   {"a huge tempo", 1e12, 65535, 65535}, {"back to 128 bpm", 128, 4, 4},
};

// The step's transport, playing or stopped, sometimes with a loop and the position moved back.
clap_event_transport_t transportFor(const TransportStep& step, TestContext& context)
{
    clap_event_transport_t t = ClapRig::playingTransport(step.tempo, step.numerator, step.denominator);
    if (context.between(0, 3) == 0)
        t.flags &= ~CLAP_TRANSPORT_IS_PLAYING;
    if (context.between(0, 3) == 0) {
        t.flags |= CLAP_TRANSPORT_IS_LOOP_ACTIVE;
        t.loop_end_beats = 4 * CLAP_BEATTIME_FACTOR;
    }
    t.song_pos_beats = clap_beattime(context.between(-8, 64)) * CLAP_BEATTIME_FACTOR;
    t.bar_number = context.between(-2, 16);
    return t;
}

// Tempo and metre changes, both as the block's transport and as events inside blocks, with every
// parameter at random values so that tempo-synced parts of the sound are likely to be on.
void transportChanges(TestContext& context)
{
    ClapRig rig(context);
    rig.checkClip = false; // random settings may be loud; they must still be finite
    for (int round = 0; round < context.scaled(3); ++round) {
        noteStep("round " + std::to_string(round) + ": every parameter at a random value");
        rig.randomizeParams(context);
        rig.activate(48000, 512);
        chord(rig, CLAP_EVENT_NOTE_ON, round * 4);
        for (const TransportStep& step : kTransports) {
            noteStep("round " + std::to_string(round) + ": " + step.what);
            if (step.present)
                rig.transport = transportFor(step, context);
            else
                rig.transport.reset();
            for (int block = 0; block < context.scaled(6); ++block) {
                const int frames = context.between(1, 512);
                if (step.present && block % 2) {
                    clap_event_transport_t change = transportFor(step, context);
                    change.header.time = uint32_t(context.between(0, frames - 1));
                    rig.add(change.header);
                }
                rig.process(frames);
            }
        }
        rig.releaseEverything();
    }
}

} // namespace clap_audio
} // namespace

void addClapAudioTests(TestList& tests)
{
    using namespace clap_audio;
    tests.push_back({"audio", "block sizes 1, odd and the largest", blockSizes});
    tests.push_back({"audio", "sample rates 22050 to 192000 Hz", sampleRates});
    tests.push_back({"audio", "deactivation and reactivation at new rates", reactivation});
}

void addClapTransportTests(TestList& tests)
{
    using namespace clap_audio;
    tests.push_back({"transport", "tempo jumps, time signatures, no transport and wild tempos", transportChanges});
}
