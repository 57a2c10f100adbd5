// An oscillator side over a segment: its smoothed controls, its increments on control frames,
// the main oscillator, the unison copies, the sub and the pan.
#include "Voice.h"

#include "VoiceRules.h"

#include <algorithm>
#include <cmath>

void Voice::planUnison(int k)
{
    UnisonPlan& plan = unisonPlan[k];
    plan.ready = false;
    const WtCollection* tables = mainOsc[k].tables;
    if (!tables)
        return;
    for (int j = 0; j < kNumUnisonCopies; ++j) {
        Oscillator& o = unison[k][j];
        const int row = plainTableRow(o.waveform);
        if (row < 0 || o.tables != tables)
            return;
        const Wavetable* t = o.tableFor(row);
        if (!t)
            return;
        plan.samples[j] = t->samples.data();
        plan.mask[j] = t->length - 1;
        plan.length[j] = static_cast<float>(t->length);
    }
    plan.generation = tables->generation();
    plan.ready = true;
}

// The side's oscillator increments on a control frame; base is bend plus semitones from A4.
void Voice::setSideIncrements(int k, const FrameControls::Side& c, float base, float reference, bool unisonOn)
{
    Oscillator& main = mainOsc[k];
    const float* sums = mod.modSums;
    const SideTargets& t = kSideTargets[k];
    const float semi = knobSemitones(c.semi);
    const float fine = knobCents(c.fine) / 100.0f;
    const float modSemis = std::floor(sums[t.semi] * 100.0f + 0.1f) + sums[t.tune] * 100.0f + sums[t.fine];
    base += modSemis;
    const float perSample = reference / sampleRate;
    const float f = std::exp2((base + semi + fine) * (1.0f / 12.0f)) * perSample;
    main.increment = clamp01(f);
    float semi2 = semi - 12.0f;
    float fine2 = fine;
    if (c.subMode != SubAltMode::Off) {
        semi2 = knobSemitones(c.subSemi);
        fine2 = knobCents(c.subFine) / 100.0f;
    }
    subOsc[k].increment = clamp01(std::exp2((base + semi2 + fine2) * (1.0f / 12.0f)) * perSample);
    if (unisonOn) {
        const float d = c.detune * c.detune;
        // All six copies follow, so raising the copy count between control frames never
        // brings in a copy at a stale pitch.
        for (int j = 0; j < kNumUnisonCopies; ++j) {
            unison[k][j].increment = clamp01((d * kUnisonDetune[j] + 1.0f) * f);
            unison[k][j].waveform = main.waveform;
        }
        planUnison(k);
    }
}

// A side's part of a segment before its smoothers step: their targets (the sums only move on
// control frames, so they stand still within a segment), the sub waveform and, on a control
// frame, the increments. Adds the side's smoothers to the lists and returns how many.
int Voice::planSideSegment(int k, const FrameControls::Side& c, const FrameControls& controls, Segment& s,
                           Smoother** smoothers, float* targets, float** out)
{
    SideSmoothers& sm = sideSmoothers[k];
    const SideTargets& t = kSideTargets[k];
    const float* sums = mod.modSums;
    SideRun& run = s.side[k];
    const OscWaveform wave = mainOsc[k].waveform;
    run.unisonOn = unisonPlays(c.detune, wave);
    const float subPosition = sums[t.sub] + c.sub;
    run.target[kPulseWidth] = clamp01(sums[t.pulseWidth] + c.pulseWidth);
    run.target[kVolume] = clampBipolar(sums[t.volume] + c.volume);
    run.target[kSubLevel] = subLevel(subPosition);
    run.target[kPan] = clamp01(sums[t.pan] + c.pan);
    run.target[kSpread] = c.spread;
    run.target[kMix] = c.mix;
    if (!(s.steadyAt(0) && sideSteady[k]))
        subOsc[k].waveform = subWaveform(c.subMode, subPosition < 0.5f);
    if (s.controlFrame)
        setSideIncrements(k, c, s.bend + s.semis[0], controls.reference, run.unisonOn);
    // Spread and mix only step on voiced frames; they step with the others on the likely guess
    // that every frame is, and are put back when one is not.
    run.spreadBefore = sm.spread;
    run.mixBefore = sm.mix;
    Smoother* const mine[kSideControls] = {&sm.pulseWidth, &sm.volume, &sm.subLevel, &sm.pan, &sm.spread, &sm.mix};
    const int n = run.unisonOn ? kSideControls : kSpread;
    for (int j = 0; j < n; ++j) {
        smoothers[j] = mine[j];
        targets[j] = run.target[j];
        out[j] = run.value[j];
    }
    return n;
}

// A side's smoothers once they have stepped: spread and mix put right where a frame was not
// voiced, and whether they have all settled.
void Voice::settleSideSegment(int k, const FrameControls::Side& c, Segment& s)
{
    SideSmoothers& sm = sideSmoothers[k];
    SideRun& run = s.side[k];
    const int count = s.count;
    const bool unisonOn = run.unisonOn;
    const float* v = run.value[kVolume];
    float* sp = run.value[kSpread];
    float* mx = run.value[kMix];
    int voiced = 0;
    for (int i = 0; i < count; ++i)
        voiced += v[i] > 0.0f;
    run.allVoiced = voiced == count;
    run.unisonMixed = false;
    if (unisonOn && !run.allVoiced) {
        sm.spread = run.spreadBefore;
        sm.mix = run.mixBefore;
        std::fill_n(sp, count, 0.0f);
        std::fill_n(mx, count, 0.0f);
        for (int i = 0; i < count; ++i)
            if (v[i] > 0.0f) {
                sp[i] = sm.spread.step(c.spread);
                mx[i] = sm.mix.step(c.mix);
            }
    }
    const bool lastVoiced = count > 0 && v[count - 1] > 0.0f;
    const float* target = run.target;
    sideSteady[k] = sm.pulseWidth.settledOn(target[kPulseWidth]) && sm.volume.settledOn(target[kVolume]) &&
                    sm.subLevel.settledOn(target[kSubLevel]) && sm.pan.settledOn(target[kPan]) &&
                    (!(lastVoiced && unisonOn) || (sm.spread.settledOn(c.spread) && sm.mix.settledOn(c.mix)));
}

// One side over a segment once its smoothers have settled: the main oscillator, the unison
// copies and the sub over the whole segment, then the pan.
void Voice::renderSideSegment(int k, const FrameControls::Side& c, Segment& s)
{
    Oscillator& main = mainOsc[k];
    SideRun& run = s.side[k];
    const int count = s.count;
    const bool unisonOn = run.unisonOn;
    const float* pw = run.value[kPulseWidth];
    const float* v = run.value[kVolume];
    const float* u = run.value[kSubLevel];
    const float* q = run.value[kPan];
    const float* sp = run.value[kSpread];
    const float* mx = run.value[kMix];
    float* l = s.sideL[k];
    float* r = s.sideR[k];
    if (run.allVoiced) {
        main.readRun(pw, l, count);
        if (unisonOn && run.unisonMixed)
            addUnisonSums(run.unisonL, run.unisonR, mx, l, r, count);
        else if (unisonOn)
            addUnisonSegment(k, c.copies, sp, mx, pw, l, r, count);
        else
            std::copy_n(l, count, r);
        for (int i = 0; i < count; ++i) {
            l[i] *= v[i];
            r[i] *= v[i];
        }
    } else {
        for (int i = 0; i < count; ++i) {
            l[i] = r[i] = 0.0f;
            if (!(v[i] > 0.0f))
                continue;
            float one[1];
            main.readRun(&pw[i], one, 1);
            l[i] = r[i] = one[0];
            if (unisonOn)
                addUnisonSegment(k, c.copies, &sp[i], &mx[i], &pw[i], &l[i], &r[i], 1);
            l[i] *= v[i];
            r[i] *= v[i];
        }
    }

    addSubSegment(subOsc[k], c, pw, v, u, l, r, count);
    for (int i = 0; i < count; ++i) {
        l[i] = (1.0f - q[i]) * l[i] * kPanGain;
        r[i] = q[i] * r[i] * kPanGain;
    }
}

// The sub oscillator over count frames at its levels u, added to both channels.
void Voice::addSubSegment(Oscillator& sub, const FrameControls::Side& c, const float* pw, const float* v,
                          const float* u, float* left, float* right, int count)
{
    int sounding = 0;
    for (int i = 0; i < count; ++i)
        sounding += u[i] > 0.0f;
    if (sounding == 0)
        return;
    float y[kSegmentFrames];
    if (sounding == count) {
        float width[kSegmentFrames];
        for (int i = 0; i < count; ++i)
            width[i] = c.subFollowsPw ? pw[i] : 0.5f;
        sub.readRun(width, y, count);
    } else {
        for (int i = 0; i < count; ++i)
            y[i] = u[i] > 0.0f ? sub.nextSample(c.subFollowsPw ? pw[i] : 0.5f) : 0.0f;
    }
    if (sounding == count && !c.subFollowsVol) {
        for (int i = 0; i < count; ++i) {
            const float z = y[i] * u[i];
            left[i] += z;
            right[i] += z;
        }
        return;
    }
    if (sounding == count) {
        for (int i = 0; i < count; ++i) {
            const float z = y[i] * u[i] * v[i];
            left[i] += z;
            right[i] += z;
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (!(u[i] > 0.0f))
            continue;
        float z = y[i] * u[i];
        if (c.subFollowsVol)
            z *= v[i];
        left[i] += z;
        right[i] += z;
    }
}
