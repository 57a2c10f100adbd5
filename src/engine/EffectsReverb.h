// The global plate reverb: lowpassed input, early reflections, pre-delay, four diffusing
// allpasses and a figure-eight tank of two cross-coupled halves, tapped for a stereo tail.
// Control values glide over each block; filter coefficients follow them once a millisecond.
#pragma once

#include "Smoother.h"
#include "ZeroedBuffer.h"

#include <cstdint>
#include <vector>

// Block-start settings: pre-delay in milliseconds, the rest the normalized 0..1 values of the
// controls (the width is halved inside, damping 1 is the shortest tail).
struct ReverbSettings {
    float predelayMs = 0.0f;
    float size = 1.0f;
    float damping = 0.5f;
    float density = 0.5f;
    float width = 1.0f;
};

class EffectsReverb {
public:
    // Every line has room for this many samples; longer lengths are cut to it.
    static constexpr int32_t kLineRoom = 96000;

    EffectsReverb();
    EffectsReverb(const EffectsReverb&) = delete;
    EffectsReverb& operator=(const EffectsReverb&) = delete;

    // Rebuilds every line for the rate (the memory is fixed, nothing is allocated) and retunes
    // the mix smoother. Call it only while the audio thread is kept out.
    void setSampleRate(float rate);

    // Empties the reverb, but only when it has run since it was last emptied, so that a reverb
    // left off costs nothing per block.
    void reset();

    // Engine reset: reset(), and the mix smoother takes its next target at once.
    void resetEngine();

    // Block start while the reverb is on: takes the settings and glides the pre-delay, decay and
    // filter cutoffs to them over the block's frameCount frames.
    void beginBlock(const ReverbSettings& settings, int32_t frameCount);

    // One frame of the output, in place, while the reverb is on; mixTarget is the mix 0..1.
    void process(float& left, float& right, float mixTarget);

    // Asleep: the tail has faded below -140 dBFS and the lines were emptied, so silent input
    // gives silent output without any line work.
    bool asleep() const { return sleeping; }
    // Frames of silent input while asleep: moves the controls exactly as that many calls of
    // process() with silent input would.
    void idle(int32_t frames, float mixTarget);

    bool isDirty() const { return dirty; }
    float sizeFactor() const { return sizeScale; }
    int32_t predelayLength() const { return predelayLine.length; }
    int32_t rampPeriod() const { return period; }
    float currentDecay() const { return decay.value; }

private:
    // Chamberlin state-variable lowpass run four times per sample.
    struct Svf {
        float rate = 176400.0f;
        float cutoff = 1000.0f;
        float q = 2.0f;
        float f = 0.0f;
        float low = 0.0f, high = 0.0f, band = 0.0f, notch = 0.0f;

        void refresh();
        void clear() { low = high = band = notch = 0.0f; }
        float run(float x)
        {
            for (int i = 0; i < 4; ++i) {
                // The tiny offset keeps the states (and all that follows) out of denormals.
                low = low + f * band + 1e-25f;
                high = x - low - q * band;
                band = band + f * high;
            }
            notch = high + low;
            return low;
        }
    };

    // A circular line; taps are offsets ahead of the write index.
    struct Line {
        float* data = nullptr;
        int32_t length = 0;
        int32_t write = 0;

        void init(int32_t samples);
        void advance()
        {
            if (++write >= length)
                write = 0;
        }
        float delay(float x)
        {
            const float out = data[write];
            data[write] = x;
            advance();
            return out;
        }
        float allpass(float x, float gain)
        {
            const float y = data[write] - gain * x;
            data[write] = gain * y + x;
            advance();
            return y;
        }
        float tap(int32_t offset) const
        {
            int32_t i = write + offset;
            if (i >= length)
                i -= length;
            return data[i];
        }
    };

    struct Ramp {
        float value = 0.0f;
        float step = 0.0f;
        float target = 0.0f;
        int32_t remaining = 0;

        void glideTo(float to, int32_t frames);
        // True when advancing leaves the value where it is.
        bool still() const { return remaining == 0 || (value == target && step == 0.0f); }
        void advance()
        {
            if (remaining > 0)
                value = --remaining == 0 ? target : value + step;
        }
    };

    static constexpr float kSilenceFloor = 1e-7f;

    void stepControls();
    void refreshFilters();
    bool controlsSettled(float mixTarget) const;
    void watchForSilence(float level);
    void emptyLines();
    void emptyPredelay();
    void rebuild();
    void applySize(float size);
    void initTank();
    int32_t samples(double seconds, double scale) const;
    int32_t tapOffset(double seconds, double scale, const Line& line) const;

    ZeroedBuffer memory;
    Line er1, er2, predelayLine, input1, input2, input3, input4;
    Line a1, da1, a2, da2, b1, db1, b2, db2;
    int32_t er1Taps[6] = {}, er2Taps[6] = {};
    int32_t da1Taps[3] = {}, a2Taps[2] = {}, da2Taps[2] = {}, db1Taps[3] = {}, b2Taps[2] = {}, db2Taps[2] = {};
    Svf inputLeft, inputRight, tankA, tankB;

    float xA = 0.0f, xB = 0.0f;
    float sampleRate = 44100.0f;
    float predelayMs = 0.0f;
    float decayParameter = 0.5f;
    float width = 0.5f;
    float density = 0.5f;
    float sizeScale = 1.0f;
    float lastSize = -1.0f;
    Ramp predelay, decay, inputCutoff, tankCutoff;
    int32_t counter = 0;
    int32_t period = 44;
    bool dirty = false;
    bool sleeping = true;
    // Frames in a row with input, taps and feedback all below kSilenceFloor, and how many it
    // takes for anything louder to have shown up at a tap (every line but the pre-delay, once).
    int32_t quietFrames = 0;
    int32_t quietWindow = 0;
    // The longest the pre-delay line has been since it was last emptied.
    int32_t predelayReached = 0;
    Smoother mixSmoother;
};
