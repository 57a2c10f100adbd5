// The control law of a filter unit: knob, modulation and key tracking to a smoothed cutoff and
// resonance, recomputed every sample.
#pragma once

#include <cmath>

#include "FilterUnit.h"
#include "Smoother.h"
#include "SmootherLanes.h"
#include "TanPi.h"
#include "params/ValueCurves.h"

// Key tracking pivots on note 57 (A3, 220 Hz), twelve semitones below the A4 reference.
constexpr float kKeyTrackOffset = 12.0f;

// The tan of the bilinear map runs away at exactly half the sample rate; this is as close as
// the filters get (about 21.6 kHz at 44.1 kHz).
constexpr float kMaxFilterCutoff = 0.4999f;

inline float clampUnit(float x)
{
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

// Cutoff in cycles per sample for a knob-plus-modulation value, a key-tracking amount (0..1) and
// the note's distance in semitones from A4; clamped to 0..0.5.
inline float filterCutoff(float cutoff, float keyAmount, float semisFromA4, float sampleRate)
{
    const float factor = std::exp2((semisFromA4 + kKeyTrackOffset) / 12.0f * keyAmount);
    const float fc = filterCutoffHz(clampUnit(cutoff)) / sampleRate * factor;
    return fc > 0.0f ? (fc < 0.5f ? fc : 0.5f) : 0.0f;
}

struct FilterControl {
    Smoother cutoff;
    Smoother resonance;
    Smoother keyTrack;

    // The control law and the coefficients are pure functions of these inputs; once the
    // smoothers settle they stop changing and the transcendental work is skipped.
    struct Cache {
        float cutoffIn = -1.0f, keyAmount = -1.0f, semis = 0.0f, sampleRate = 0.0f, target = 0.0f;
        float fc = -1.0f, r = -1.0f;
        int32_t svfMode = -1;
        bool ladder = false;
    } cache;

    void setSampleRate(float sampleRate)
    {
        cutoff.setSampleRate(sampleRate);
        resonance.setSampleRate(sampleRate);
        keyTrack.setSampleRate(sampleRate);
    }

    // At a note start the controls take their targets at once instead of gliding.
    void jumpToTargets()
    {
        cutoff.jump = true;
        resonance.jump = true;
        keyTrack.jump = true;
    }

    // One sample through the unit, in place. A bypassed unit leaves the signal and its
    // smoothers alone. Returns true when the controls have settled: a next call with the same
    // arguments would only run the filter itself (see processSteady).
    bool process(FilterUnit& unit, float& left, float& right, float cutoffParam, float cutoffMod, float resonanceParam,
                 float resonanceMod, float keyParam, float semisFromA4, float sampleRate)
    {
        if (unit.isBypassed())
            return true;
        Frame f;
        const bool settled = stepControls(f, unit, cutoffParam, cutoffMod, resonanceParam, resonanceMod, keyParam,
                                          semisFromA4, sampleRate);
        apply(unit, f.recompute ? tanPi(f.fc) : 0.0f, f.r, f.recompute, left, right);
        return settled;
    }

    // One frame's controls: the smoothed cutoff and resonance, and whether the coefficients
    // derived from them change.
    struct Frame {
        float fc, r;
        bool recompute;
    };

    // The control law of process without the filter, for a caller that gathers a run of frames
    // and takes the tan of all their cutoffs in one pass. Not for a bypassed unit.
    bool stepControls(Frame& out, const FilterUnit& unit, float cutoffParam, float cutoffMod, float resonanceParam,
                      float resonanceMod, float keyParam, float semisFromA4, float sampleRate)
    {
        const float keyTarget = clampUnit(keyParam);
        const float kt = keyTrack.step(keyTarget);
        const float cutoffIn = cutoffParam + cutoffMod;
        Cache& c = cache;
        if (cutoffIn != c.cutoffIn || kt != c.keyAmount || semisFromA4 != c.semis || sampleRate != c.sampleRate) {
            c.target = filterCutoff(cutoffIn, kt, semisFromA4, sampleRate);
            c.cutoffIn = cutoffIn;
            c.keyAmount = kt;
            c.semis = semisFromA4;
            c.sampleRate = sampleRate;
        }
        const float resonanceTarget = clampUnit(resonanceParam + resonanceMod);
        const float r = resonance.step(resonanceTarget);
        float fc = cutoff.step(c.target);
        if (fc > kMaxFilterCutoff)
            fc = kMaxFilterCutoff;
        const bool ladder = unit.usesLadder();
        out.fc = fc;
        out.r = r;
        out.recompute = !(fc == c.fc && r == c.r && ladder == c.ladder) || (!ladder && unit.svfMode != c.svfMode);
        if (!ladder)
            c.svfMode = unit.svfMode;
        c.fc = fc;
        c.r = r;
        c.ladder = ladder;
        return keyTrack.settledOn(keyTarget) && resonance.settledOn(resonanceTarget) && cutoff.settledOn(c.target);
    }

    bool keyTrackSettledOn(float keyParam) const { return keyTrack.settledOn(clampUnit(keyParam)); }

    // Frames that follow one through stepControls with the same arguments while the key
    // tracking has settled, so the cutoff target stands still: only the cutoff and resonance
    // glide, stepped side by side. Fills what stepControls gives frame by frame and returns
    // what it would return after the last.
    bool stepHeldTargets(const FilterUnit& unit, float resonanceParam, float resonanceMod, float keyParam, float* fcOut,
                         float* rOut, bool* recompute, int count)
    {
        Cache& c = cache;
        Smoother* const both[] = {&cutoff, &resonance};
        const float targets[] = {c.target, clampUnit(resonanceParam + resonanceMod)};
        float* const out[] = {fcOut, rOut};
        stepSmoothersTogether(both, targets, out, 2, count);
        const bool ladder = unit.usesLadder();
        for (int i = 0; i < count; ++i) {
            const float fc = fcOut[i] > kMaxFilterCutoff ? kMaxFilterCutoff : fcOut[i];
            const float r = rOut[i];
            fcOut[i] = fc;
            recompute[i] = !(fc == c.fc && r == c.r && ladder == c.ladder) || (!ladder && unit.svfMode != c.svfMode);
            c.fc = fc;
            c.r = r;
        }
        c.ladder = ladder;
        if (!ladder)
            c.svfMode = unit.svfMode;
        return keyTrackSettledOn(keyParam) && resonance.settledOn(targets[1]) && cutoff.settledOn(c.target);
    }

    // One sample through a running unit, with new coefficients from tan(pi * cutoff) and the
    // resonance when recompute is set.
    static void apply(FilterUnit& unit, float tanOfCutoff, float r, bool recompute, float& left, float& right)
    {
        if (unit.usesLadder()) {
            applyLadder(unit, tanOfCutoff, r, recompute, left, right);
        } else {
            if (recompute)
                unit.svf.setCoefficientsFromTan(tanOfCutoff, r, unit.svfMode);
            unit.svf.process(left, right);
        }
    }

    // apply for a unit known to run its ladder.
    static void applyLadder(FilterUnit& unit, float tanOfCutoff, float r, bool recompute, float& left, float& right)
    {
        LadderFilter& l = unit.ladder;
        if (recompute) {
            l.g = tanOfCutoff;
            l.outGain = 1.122018f + 2.5f * r;
            l.k = 4.4444447f * r;
        }
        l.process(left, right);
    }

    // What process does once it has returned true and its arguments have not moved.
    static void processSteady(FilterUnit& unit, float& left, float& right)
    {
        if (unit.isBypassed())
            return;
        if (unit.usesLadder())
            unit.ladder.process(left, right);
        else
            unit.svf.process(left, right);
    }
};
