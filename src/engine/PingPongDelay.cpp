#include "PingPongDelay.h"

#include "DspMath.h"

#include "params/ValueCurves.h"

#include <algorithm>
#include <cmath>

PingPongDelay::PingPongDelay(bool allocateLines)
{
    if (allocateLines)
        setSampleRate(44100.0f);
}

void PingPongDelay::setSampleRate(float newRate)
{
    // Keeps the allocation bounded whatever the host claims.
    rate = std::isfinite(newRate) ? std::clamp(newRate, 1000.0f, 768000.0f) : 44100.0f;
    for (DelayLine& line : lines)
        line.allocate(rate);
    for (int bus = 0; bus < 2; ++bus) {
        forget(bus);
        buses[bus].asleep = true;
    }
    for (Smoother* s : {&mixSmoother, &feedbackSmoother, &cutoffSmoother, &widthSmoother})
        s->setSampleRate(rate);
}

void PingPongDelay::resetEngine()
{
    switchOff();
    for (Smoother* s : {&mixSmoother, &feedbackSmoother, &cutoffSmoother, &widthSmoother})
        s->jump = true;
}

void PingPongDelay::beginBlock(float timeMs, bool lowpass)
{
    const double seconds = static_cast<double>(timeMs) * 0.001;
    for (int index : {0, 2, 1, 3}) {
        // The echo one sample after the clear would otherwise be a leftover of the old content.
        if (lines[index].setTime(seconds))
            buses[index & 1].lastB = 0.0f;
    }
    buses[0].lowpass = lowpass;
    buses[1].lowpass = lowpass;
}

void PingPongDelay::switchOff()
{
    for (int bus = 0; bus < 2; ++bus) {
        if (lines[bus].inUse || lines[bus + 2].inUse)
            forget(bus);
        lines[bus].clearIfUsed();
        lines[bus + 2].clearIfUsed();
        buses[bus].asleep = true;
    }
}

void PingPongDelay::forget(int busIndex)
{
    // Clearing the lines alone would leave one sample of feedback and the filters' ringing,
    // which would sound when the delay comes back.
    Bus& bus = buses[busIndex];
    bus.lastB = 0.0f;
    bus.highpassA.clearState();
    bus.highpassB.clearState();
    bus.lowpassA.clearState();
    bus.lowpassB.clearState();
    bus.quietFrames = 0;
}

void PingPongDelay::process(float& amp1Left, float& amp1Right, float& amp2Left, float& amp2Right, bool delayAmp2,
                            const DelayTargets& targets)
{
    mix = mixSmoother.step(clamp01(targets.mix));
    feedback = feedbackSmoother.step(clamp01(targets.feedback));
    cutoff = cutoffSmoother.step(clamp01(targets.cutoff));
    width = widthSmoother.step(clamp01(targets.width));

    processBus(buses[0], lines[0], lines[2], amp1Left, amp1Right);
    if (delayAmp2)
        processBus(buses[1], lines[1], lines[3], amp2Left, amp2Right);
}

bool PingPongDelay::smoothersSettled(const DelayTargets& targets) const
{
    return mixSmoother.settledOn(clamp01(targets.mix)) && feedbackSmoother.settledOn(clamp01(targets.feedback)) &&
           cutoffSmoother.settledOn(clamp01(targets.cutoff)) && widthSmoother.settledOn(clamp01(targets.width));
}

void PingPongDelay::idle(int frames, bool delayAmp2, const DelayTargets& targets)
{
    if (frames <= 0)
        return;
    if (!smoothersSettled(targets)) {
        // Gliding controls: the plain path, whose silent frames cost no line work either.
        for (int i = 0; i < frames; ++i) {
            float l = 0.0f, r = 0.0f, l2 = 0.0f, r2 = 0.0f;
            process(l, r, l2, r2, delayAmp2, targets);
        }
        return;
    }
    idleBus(buses[0], lines[0], lines[2], frames);
    if (delayAmp2)
        idleBus(buses[1], lines[1], lines[3], frames);
}

void PingPongDelay::idleBus(Bus& bus, DelayLine& a, DelayLine& b, int frames)
{
    // With the cutoff settled every refresh in the stretch gives the same coefficients.
    DelayToneFilter& filterA = bus.lowpass ? bus.lowpassA : bus.highpassA;
    DelayToneFilter& filterB = bus.lowpass ? bus.lowpassB : bus.highpassB;
    if (filterA.skip(frames))
        retune(filterA, bus.lowpass);
    if (filterB.skip(frames))
        retune(filterB, bus.lowpass);
    a.skip(frames);
    b.skip(frames);
}

void PingPongDelay::refreshIfDue(DelayToneFilter& filter, bool lowpass)
{
    if (filter.due())
        retune(filter, lowpass);
}

void PingPongDelay::retune(DelayToneFilter& filter, bool lowpass)
{
    // Below Nyquist: at rates under 40 kHz the top of the range would otherwise fold over and
    // make the filter unstable.
    const float hz = std::min(delayCutoffHz(cutoff), 0.49f * rate);
    const float k = std::tan(kPi * hz / rate);
    if (lowpass)
        filter.setLowpass(k);
    else
        filter.setHighpass(k);
}

void PingPongDelay::processBus(Bus& bus, DelayLine& a, DelayLine& b, float& left, float& right)
{
    if (bus.asleep && left == 0.0f && right == 0.0f) {
        // Exactly what the lines of zeros would give, without reading them.
        DelayToneFilter& filterA = bus.lowpass ? bus.lowpassA : bus.highpassA;
        DelayToneFilter& filterB = bus.lowpass ? bus.lowpassB : bus.highpassB;
        refreshIfDue(filterA, bus.lowpass);
        refreshIfDue(filterB, bus.lowpass);
        a.skip(1);
        b.skip(1);
        left = right = 0.0f;
        return;
    }
    bus.asleep = false;
    const float written = flushTiny(feedback * bus.lastB + (left + right));
    const float e = a.exchange(written);
    const float g = b.exchange(flushTiny(feedback * e));
    bus.lastB = g;

    float fe, fg;
    if (bus.lowpass) {
        refreshIfDue(bus.lowpassA, true);
        refreshIfDue(bus.lowpassB, true);
        fe = bus.lowpassA.run(e);
        fg = bus.lowpassB.run(g);
    } else {
        refreshIfDue(bus.highpassA, false);
        refreshIfDue(bus.highpassB, false);
        fe = bus.highpassA.run(e);
        fg = bus.highpassB.run(g);
    }

    const float dry = 1.0f - mix;
    const float near = width; // share of the even echoes on the left
    const float far = 1.0f - width;
    left = dry * left + mix * (near * fg + far * fe);
    right = dry * right + mix * (near * fe + far * fg);
    watchForSilence(int(&bus - buses), std::fabs(written) + std::fabs(g) + std::fabs(fe) + std::fabs(fg));
}

void PingPongDelay::watchForSilence(int busIndex, float level)
{
    Bus& bus = buses[busIndex];
    if (!(level < kSilenceFloor)) {
        bus.quietFrames = 0;
        return;
    }
    // Once every sample of both lines was written below the floor, nothing louder is left.
    DelayLine& a = lines[busIndex];
    DelayLine& b = lines[busIndex + 2];
    if (++bus.quietFrames <= std::max(a.length, b.length))
        return;
    for (const DelayToneFilter* f : {&bus.highpassA, &bus.highpassB, &bus.lowpassA, &bus.lowpassB})
        if (!f->holdsLessThan(kSilenceFloor))
            return;
    std::fill_n(a.buffer.begin(), std::max<int32_t>(a.length, 1), 0.0f);
    std::fill_n(b.buffer.begin(), std::max<int32_t>(b.length, 1), 0.0f);
    forget(busIndex);
    bus.asleep = true;
}
