// The global ping-pong delay: each of the two amplifier buses feeds its mono sum into a pair of
// lines A and B in series, so odd echoes come from A and even echoes from B, and the width
// places the two on opposite sides. A highpass or lowpass colours the echoes, outside the
// feedback loop.
#pragma once

#include "DelayLine.h"
#include "DelayToneFilter.h"
#include "Smoother.h"

// The per-frame values the delay glides toward, all normalized 0..1.
struct DelayTargets {
    float mix = 0.0f;
    float feedback = 0.0f;
    float cutoff = 0.0f;
    float width = 0.5f;
};

class PingPongDelay {
public:
    // Lines for 44.1 kHz, or none until setSampleRate() when allocateLines is false.
    explicit PingPongDelay(bool allocateLines = true);

    // Reallocates the lines for the rate and retunes the smoothers. Allocates: call it only
    // while the audio thread is kept out.
    void setSampleRate(float rate);

    // Engine reset: empties the lines that hold content; the smoothers take their next target
    // at once.
    void resetEngine();

    // Block start while the delay is on: all four lines take the time (milliseconds), and the
    // echoes are lowpassed when `lowpass` is set, highpassed otherwise.
    void beginBlock(float timeMs, bool lowpass);

    // Block start while the delay is off: empties the lines once, so it restarts silent.
    void switchOff();

    // One frame over the bus sums, only while the delay is on. The amp-2 pair passes unchanged
    // when `delayAmp2` is false.
    void process(float& amp1Left, float& amp1Right, float& amp2Left, float& amp2Right, bool delayAmp2,
                 const DelayTargets& targets);

    // Frames of silent input while both buses that are delayed are asleep (see Bus::asleep):
    // keeps every control moving exactly as `frames` calls of process() with silent input
    // would, without touching the lines.
    void idle(int frames, bool delayAmp2, const DelayTargets& targets);

    // True when every bus that is delayed holds nothing audible: silent input costs no line
    // work, and idle() may stand in for process().
    bool asleep(bool delayAmp2) const { return buses[0].asleep && (!delayAmp2 || buses[1].asleep); }

    float sampleRate() const { return rate; }
    const DelayLine& line(int index) const { return lines[index]; }

private:
    struct Bus {
        float lastB = 0.0f;
        bool lowpass = false;
        DelayToneFilter highpassA, highpassB, lowpassA, lowpassB;
        // Asleep: lines, feedback and filter states all hold exact zeros, so silent input gives
        // silent output and only the write positions and refresh phases need to move.
        bool asleep = true;
        // Frames in a row whose line writes and echoes all stayed below kSilenceFloor.
        int32_t quietFrames = 0;
    };

    // Below -140 dBFS: a tail this quiet is dropped once it has passed through every line.
    static constexpr float kSilenceFloor = 1e-7f;

    void processBus(Bus& bus, DelayLine& a, DelayLine& b, float& left, float& right);
    void idleBus(Bus& bus, DelayLine& a, DelayLine& b, int frames);
    void watchForSilence(int busIndex, float level);
    void refreshIfDue(DelayToneFilter& filter, bool lowpass);
    void retune(DelayToneFilter& filter, bool lowpass);
    void forget(int busIndex);
    bool smoothersSettled(const DelayTargets& targets) const;

    float rate = 44100.0f;
    DelayLine lines[4]; // 0, 2: amp-1 bus A and B; 1, 3: amp-2 bus A and B
    Bus buses[2];
    Smoother mixSmoother, feedbackSmoother, cutoffSmoother, widthSmoother;

    // Smoothed values of the current frame.
    float mix = 0.0f, feedback = 0.0f, cutoff = 0.0f, width = 0.5f;
};
