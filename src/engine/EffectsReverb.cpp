#include "EffectsReverb.h"

#include "DspMath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLineCount = 15;

} // namespace

void EffectsReverb::Svf::refresh()
{
    f = 2.0f * std::sin(kPi * cutoff / rate);
}

void EffectsReverb::Line::init(int32_t samples)
{
    length = std::clamp<int32_t>(samples, 0, kLineRoom);
    write = 0;
    // A line of length 0 still uses its first sample.
    std::fill_n(data, std::max<int32_t>(length, 1), 0.0f);
}

void EffectsReverb::Ramp::glideTo(float to, int32_t frames)
{
    target = to;
    remaining = std::max<int32_t>(frames, 1);
    step = (to - value) / static_cast<float>(remaining);
}

EffectsReverb::EffectsReverb()
{
    memory.reset(static_cast<size_t>(kLineCount) * kLineRoom);
    Line* lines[kLineCount] = {&er1, &er2, &predelayLine, &input1, &input2, &input3, &input4, &a1,
                               &da1, &a2,  &da2,          &b1,     &db1,    &b2,     &db2};
    for (int i = 0; i < kLineCount; ++i)
        lines[i]->data = memory.data() + static_cast<size_t>(i) * kLineRoom;
    for (Svf* s : {&inputLeft, &inputRight, &tankA, &tankB}) {
        s->cutoff = 1000.0f;
        s->refresh();
    }
    mixSmoother.setSampleRate(sampleRate);
    rebuild();
}

void EffectsReverb::setSampleRate(float rate)
{
    sampleRate = std::isfinite(rate) ? std::clamp(rate, 1000.0f, 768000.0f) : 44100.0f;
    period = std::max<int32_t>(static_cast<int32_t>(sampleRate) / 1000, 1);
    mixSmoother.setSampleRate(sampleRate);
    rebuild();
}

void EffectsReverb::reset()
{
    if (dirty)
        rebuild();
}

void EffectsReverb::resetEngine()
{
    reset();
    mixSmoother.jump = true;
}

int32_t EffectsReverb::samples(double seconds, double scale) const
{
    const double n = seconds * static_cast<double>(sampleRate) * scale;
    return n >= static_cast<double>(kLineRoom) ? kLineRoom : static_cast<int32_t>(n);
}

int32_t EffectsReverb::tapOffset(double seconds, double scale, const Line& line) const
{
    // A tap never reaches past its own line.
    return std::min(samples(seconds, scale), std::max<int32_t>(line.length - 1, 0));
}

void EffectsReverb::rebuild()
{
    dirty = false;
    const float filterRate = 4.0f * std::max(sampleRate, 44100.0f);
    for (Svf* s : {&inputLeft, &inputRight, &tankA, &tankB}) {
        s->rate = filterRate;
        s->refresh();
        s->clear();
    }

    predelayLine.length = 0;
    predelayLine.write = 0;
    emptyPredelay();

    input1.init(samples(0.0048, 1.0));
    input2.init(samples(0.0036, 1.0));
    input3.init(samples(0.0127, 1.0));
    input4.init(samples(0.0093, 1.0));

    er1.init(samples(0.089, 1.0));
    er2.init(samples(0.069, 1.0));
    const double er1Offsets[6] = {0.0219, 0.0354, 0.0389, 0.0414, 0.0692, 0.0};
    const double er2Offsets[6] = {0.011, 0.0182, 0.0189, 0.0213, 0.0431, 0.0};
    for (int i = 0; i < 6; ++i) {
        er1Taps[i] = tapOffset(er1Offsets[i], 1.0, er1);
        er2Taps[i] = tapOffset(er2Offsets[i], 1.0, er2);
    }

    initTank();
    counter = 0;
    lastSize = -1.0f;
    sleeping = true;
    quietFrames = 0;
}

void EffectsReverb::initTank()
{
    const double s = sizeScale;
    a1.init(samples(0.02, s));
    da1.init(samples(0.15, s));
    a2.init(samples(0.06, s));
    da2.init(samples(0.12, s));
    b1.init(samples(0.03, s));
    db1.init(samples(0.14, s));
    b2.init(samples(0.089, s));
    db2.init(samples(0.11, s));

    da1Taps[0] = tapOffset(0.067, s, da1);
    da1Taps[1] = tapOffset(0.011, s, da1);
    da1Taps[2] = tapOffset(0.121, s, da1);
    a2Taps[0] = tapOffset(0.006, s, a2);
    a2Taps[1] = tapOffset(0.041, s, a2);
    da2Taps[0] = tapOffset(0.036, s, da2);
    da2Taps[1] = tapOffset(0.089, s, da2);
    db1Taps[0] = tapOffset(0.0089, s, db1);
    db1Taps[1] = tapOffset(0.099, s, db1);
    db1Taps[2] = tapOffset(0.0, s, db1);
    b2Taps[0] = tapOffset(0.031, s, b2);
    b2Taps[1] = tapOffset(0.011, s, b2);
    db2Taps[0] = tapOffset(0.067, s, db2);
    db2Taps[1] = tapOffset(0.0041, s, db2);

    // The cross-feedback and the tank filters hold the last samples of the old tail; keeping
    // them would restart a tail in the emptied tank.
    xA = 0.0f;
    xB = 0.0f;
    tankA.clear();
    tankB.clear();

    // The pre-delay line counts as far as it has reached (watchForSilence adds it).
    quietWindow = 0;
    for (const Line* line :
         {&er1, &er2, &input1, &input2, &input3, &input4, &a1, &da1, &a2, &da2, &b1, &db1, &b2, &db2})
        quietWindow += line->length;
    quietFrames = 0;
}

void EffectsReverb::applySize(float size)
{
    if (size == lastSize)
        return;
    lastSize = size;
    sizeScale = 0.05f + 0.95f * clamp01(size);
    initTank();
}

void EffectsReverb::beginBlock(const ReverbSettings& settings, int32_t frameCount)
{
    predelayMs = settings.predelayMs;
    applySize(settings.size);
    decayParameter = 1.0f - clamp01(settings.damping);
    density = clamp01(settings.density);
    width = clamp01(settings.width) * 0.5f;

    float predelaySamples = predelayMs / 1000.0f * sampleRate;
    predelaySamples = predelaySamples > 0.0f ? std::min(predelaySamples, static_cast<float>(kLineRoom)) : 0.0f;
    predelay.glideTo(predelaySamples, frameCount);
    decay.glideTo(0.005f + 0.7995f * decayParameter, frameCount);
    inputCutoff.glideTo(100.0f + 18400.0f * 1.0f, frameCount);
    tankCutoff.glideTo(100.0f + 18400.0f * 1.0f, frameCount);
    dirty = true;
}

void EffectsReverb::refreshFilters()
{
    inputLeft.cutoff = inputCutoff.value;
    inputRight.cutoff = inputCutoff.value;
    tankA.cutoff = tankCutoff.value;
    tankB.cutoff = tankCutoff.value;
    for (Svf* s : {&inputLeft, &inputRight, &tankA, &tankB})
        s->refresh();
}

void EffectsReverb::stepControls()
{
    dirty = true;
    predelay.advance();
    decay.advance();
    inputCutoff.advance();
    tankCutoff.advance();
    if (counter >= period) {
        counter = 0;
        refreshFilters();
    }
    ++counter;
    predelayLine.length = std::clamp<int32_t>(static_cast<int32_t>(predelay.value), 0, kLineRoom);
    predelayReached = std::max(predelayReached, predelayLine.length);
}

void EffectsReverb::emptyPredelay()
{
    // Its length moves without a rebuild, so it is emptied as far as it ever reached.
    std::fill_n(predelayLine.data, std::max<int32_t>(predelayReached, 1), 0.0f);
    predelayReached = 0;
}

bool EffectsReverb::controlsSettled(float mixTarget) const
{
    return predelay.still() && decay.still() && inputCutoff.still() && tankCutoff.still() &&
           mixSmoother.settledOn(clamp01(mixTarget));
}

void EffectsReverb::idle(int32_t frames, float mixTarget)
{
    if (frames <= 0)
        return;
    if (!sleeping || !controlsSettled(mixTarget)) {
        for (int32_t i = 0; i < frames; ++i) {
            float l = 0.0f, r = 0.0f;
            process(l, r, mixTarget);
        }
        return;
    }
    dirty = true;
    for (Ramp* ramp : {&predelay, &decay, &inputCutoff, &tankCutoff})
        ramp->remaining = std::max<int32_t>(ramp->remaining - frames, 0);
    // The filter refresh falls due once the counter reaches the period, then every period.
    const int64_t firstRefresh = counter >= period ? 0 : int64_t(period) - counter;
    if (frames > firstRefresh) {
        refreshFilters();
        counter = static_cast<int32_t>((frames - firstRefresh - 1) % period) + 1;
    } else {
        counter += frames;
    }
    predelayLine.length = std::clamp<int32_t>(static_cast<int32_t>(predelay.value), 0, kLineRoom);
    predelayReached = std::max(predelayReached, predelayLine.length);
}

void EffectsReverb::watchForSilence(float level)
{
    if (!(level < kSilenceFloor)) {
        quietFrames = 0;
        return;
    }
    if (++quietFrames <= quietWindow + predelayReached)
        return;
    emptyLines();
    sleeping = true;
}

void EffectsReverb::emptyLines()
{
    for (Line* line : {&er1, &er2, &input1, &input2, &input3, &input4, &a1, &da1, &a2, &da2, &b1, &db1, &b2, &db2})
        std::fill_n(line->data, std::max<int32_t>(line->length, 1), 0.0f);
    emptyPredelay();
    for (Svf* s : {&inputLeft, &inputRight, &tankA, &tankB})
        s->clear();
    xA = 0.0f;
    xB = 0.0f;
    quietFrames = 0;
}

void EffectsReverb::process(float& left, float& right, float mixTarget)
{
    stepControls();
    if (sleeping && left == 0.0f && right == 0.0f) {
        mixSmoother.step(clamp01(mixTarget));
        return;
    }
    sleeping = false;

    const float g2 = std::clamp(decay.value + 0.15f, 0.25f, 0.5f);
    const float inL = left;
    const float inR = right;
    const float l = inputLeft.run(inL);
    const float r = inputRight.run(inR);

    // Early reflections: the taps are read before the line is written.
    float erL = 0.6f * er1.tap(er1Taps[0]) + 0.4f * er1.tap(er1Taps[1]) + 0.3f * er1.tap(er1Taps[2]) +
                0.3f * er1.tap(er1Taps[3]) + 0.1f * er1.tap(er1Taps[4]) + 0.1f * er1.tap(er1Taps[5]);
    erL += er1.delay(0.5f * l + 0.3f * r) + 0.5f * (0.4f * l + 0.2f * r);
    float erR = 0.6f * er2.tap(er2Taps[0]) + 0.4f * er2.tap(er2Taps[1]) + 0.3f * er2.tap(er2Taps[2]) +
                0.3f * er2.tap(er2Taps[3]) + 0.1f * er2.tap(er2Taps[4]) + 0.1f * er2.tap(er2Taps[5]);
    erR += er2.delay(0.3f * l + 0.5f * r) + 0.5f * (0.4f * r + 0.2f * l);

    const float d = predelayLine.delay(0.5f * (l + r));
    const float u = input4.allpass(input3.allpass(input2.allpass(input1.allpass(d, 0.75f), 0.75f), 0.625f), 0.625f);

    const float oA = da2.delay(a2.allpass(tankA.run(da1.delay(a1.allpass(u + xA, 0.5f))), g2));
    const float oB = db2.delay(b2.allpass(tankB.run(db1.delay(b1.allpass(u + xB, 0.5f))), g2));
    xA = decay.value * oB;
    xB = decay.value * oA;

    const float tankL = 0.6f * (db1.tap(db1Taps[1]) + db1.tap(db1Taps[0]) - b2.tap(b2Taps[0]) + db2.tap(db2Taps[0]) -
                                da1.tap(da1Taps[0]) - a2.tap(a2Taps[0]) - da2.tap(da2Taps[0]));
    const float tankR = 0.6f * (da1.tap(da1Taps[2]) + da1.tap(da1Taps[1]) - a2.tap(a2Taps[1]) + da2.tap(da2Taps[1]) -
                                db1.tap(db1Taps[2]) - b2.tap(b2Taps[1]) - db2.tap(db2Taps[1]));

    const float sL = density * tankL + (1.0f - density) * erL;
    const float sR = density * tankR + (1.0f - density) * erR;
    const float outL = (0.5f + width) * sL + (0.5f - width) * sR;
    const float outR = (0.5f + width) * sR + (0.5f - width) * sL;

    const float m = mixSmoother.step(clamp01(mixTarget));
    left = m * 0.8f * outL + (1.0f - m) * inL;
    right = m * 0.8f * outR + (1.0f - m) * inR;
    watchForSilence(std::fabs(inL) + std::fabs(inR) + std::fabs(tankL) + std::fabs(tankR) + std::fabs(erL) +
                    std::fabs(erR) + std::fabs(xA) + std::fabs(xB));
}
