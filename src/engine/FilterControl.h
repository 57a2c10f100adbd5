// The control law of a filter unit: knob, modulation and key tracking to a smoothed cutoff and
// resonance, recomputed every sample.
#pragma once

#include <cmath>

#include "DspMath.h"
#include "FilterUnit.h"
#include "Smoother.h"
#include "TanPi.h"
#include "params/ValueCurves.h"

// Key tracking pivots on note 57 (A3, 220 Hz), twelve semitones below the A4 reference.
constexpr float kKeyTrackOffset = 12.0f;

// The tan of the bilinear map runs away at exactly half the sample rate; this is as close as
// the filters get (about 21.6 kHz at 44.1 kHz).
constexpr float kMaxFilterCutoff = 0.4999f;

// Cutoff in cycles per sample for a knob-plus-modulation value, a key-tracking amount (0..1) and
// the note's distance in semitones from A4; clamped to 0..0.5.
inline float filterCutoff(float cutoff, float keyAmount, float semisFromA4, float sampleRate)
{
    const float factor = std::exp2((semisFromA4 + kKeyTrackOffset) / 12.0f * keyAmount);
    const float fc = filterCutoffHz(clamp01(cutoff)) / sampleRate * factor;
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
        const float keyTarget = clamp01(keyParam);
        const float kt = keyTrack.step(keyTarget);
        refreshTarget(cutoffParam + cutoffMod, kt, semisFromA4, sampleRate);
        Cache& c = cache;
        const float resonanceTarget = clamp01(resonanceParam + resonanceMod);
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

    bool keyTrackSettledOn(float keyParam) const { return keyTrack.settledOn(clamp01(keyParam)); }

    // For a run of frames with the same arguments once the key tracking has settled and
    // refreshTarget has seen them (with the key tracking's value), so the cutoff target stands
    // still: only the cutoff and resonance glide. Gives the two smoothers and their targets, for
    // the caller to step side by side with others.
    void planHeldTargets(float resonanceParam, float resonanceMod, Smoother** smoothers, float* targets)
    {
        smoothers[0] = &cutoff;
        targets[0] = cache.target;
        smoothers[1] = &resonance;
        targets[1] = clamp01(resonanceParam + resonanceMod);
    }

    // After the planned smoothers stepped count times into fc and r: what stepControls gives
    // frame by frame (the cutoff clamped in place), and what it would return after the last.
    bool finishHeldTargets(const FilterUnit& unit, float resonanceParam, float resonanceMod, float keyParam, float* fc,
                           const float* r, bool* recompute, int count)
    {
        Cache& c = cache;
        const bool ladder = unit.usesLadder();
        bool typeMoved = ladder != c.ladder || (!ladder && unit.svfMode != c.svfMode);
        for (int i = 0; i < count; ++i) {
            const float f = fc[i] > kMaxFilterCutoff ? kMaxFilterCutoff : fc[i];
            fc[i] = f;
            recompute[i] = typeMoved || !(f == c.fc && r[i] == c.r);
            typeMoved = false;
            c.fc = f;
            c.r = r[i];
        }
        c.ladder = ladder;
        if (!ladder)
            c.svfMode = unit.svfMode;
        return keyTrackSettledOn(keyParam) && resonance.settledOn(clamp01(resonanceParam + resonanceMod)) &&
               cutoff.settledOn(c.target);
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

    // The cutoff target for these inputs, computed again only when one has moved.
    void refreshTarget(float cutoffIn, float keyAmount, float semisFromA4, float sampleRate)
    {
        Cache& c = cache;
        if (cutoffIn != c.cutoffIn || keyAmount != c.keyAmount || semisFromA4 != c.semis ||
            sampleRate != c.sampleRate) {
            c.target = filterCutoff(cutoffIn, keyAmount, semisFromA4, sampleRate);
            c.cutoffIn = cutoffIn;
            c.keyAmount = keyAmount;
            c.semis = semisFromA4;
            c.sampleRate = sampleRate;
        }
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
