#include "PingPongDelay.h"

#include "params/ValueCurves.h"

#include <algorithm>
#include <cmath>

namespace {

float unit(float v)
{
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; // also maps NaN to 0
}

float flushTiny(float v)
{
    return std::fabs(v) < 1e-20f ? 0.0f : v;
}

} // namespace

PingPongDelay::PingPongDelay()
{
    setSampleRate(44100.0f);
}

void PingPongDelay::setSampleRate(float newRate)
{
    // Keeps the allocation bounded whatever the host claims.
    rate = std::isfinite(newRate) ? std::clamp(newRate, 1000.0f, 768000.0f) : 44100.0f;
    for (DelayLine& line : lines)
        line.allocate(rate);
    for (int bus = 0; bus < 2; ++bus)
        forget(bus);
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
}

void PingPongDelay::process(float& amp1Left, float& amp1Right, float& amp2Left, float& amp2Right, bool delayAmp2,
                            const DelayTargets& targets)
{
    mix = mixSmoother.step(unit(targets.mix));
    feedback = feedbackSmoother.step(unit(targets.feedback));
    cutoff = cutoffSmoother.step(unit(targets.cutoff));
    width = widthSmoother.step(unit(targets.width));

    processBus(buses[0], lines[0], lines[2], amp1Left, amp1Right);
    if (delayAmp2)
        processBus(buses[1], lines[1], lines[3], amp2Left, amp2Right);
}

void PingPongDelay::refreshIfDue(DelayToneFilter& filter, bool lowpass)
{
    if (!filter.due())
        return;
    // Below Nyquist: at rates under 40 kHz the top of the range would otherwise fold over and
    // make the filter unstable.
    const float hz = std::min(delayCutoffHz(cutoff), 0.49f * rate);
    const float k = std::tan(3.14159265f * hz / rate);
    if (lowpass)
        filter.setLowpass(k);
    else
        filter.setHighpass(k);
}

void PingPongDelay::processBus(Bus& bus, DelayLine& a, DelayLine& b, float& left, float& right)
{
    const float e = a.exchange(flushTiny(feedback * bus.lastB + (left + right)));
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
    const float near = width;         // share of the even echoes on the left
    const float far = 1.0f - width;
    left = dry * left + mix * (near * fg + far * fe);
    right = dry * right + mix * (near * fe + far * fg);
}
