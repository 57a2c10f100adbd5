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
    PingPongDelay();

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

    float sampleRate() const { return rate; }
    const DelayLine& line(int index) const { return lines[index]; }

private:
    struct Bus {
        float lastB = 0.0f;
        bool lowpass = false;
        DelayToneFilter highpassA, highpassB, lowpassA, lowpassB;
    };

    void processBus(Bus& bus, DelayLine& a, DelayLine& b, float& left, float& right);
    void refreshIfDue(DelayToneFilter& filter, bool lowpass);
    void forget(int busIndex);

    float rate = 44100.0f;
    DelayLine lines[4]; // 0, 2: amp-1 bus A and B; 1, 3: amp-2 bus A and B
    Bus buses[2];
    Smoother mixSmoother, feedbackSmoother, cutoffSmoother, widthSmoother;

    // Smoothed values of the current frame.
    float mix = 0.0f, feedback = 0.0f, cutoff = 0.0f, width = 0.5f;
};
