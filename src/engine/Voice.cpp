#include "Voice.h"

#include "LadderLanes.h"
#include "SmootherLanes.h"
#include "SvfLanes.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Side 2's parameters follow side 1's by one index throughout the oscillator section.
constexpr int kSideStep = 1;

constexpr int kEnvAttack[4] = {Param::Env1Att, Param::Env2Att, Param::Env3Att, Param::Env4Att};
constexpr int kEnvDecay[4] = {Param::Env1Dec, Param::Env2Dec, Param::Env3Dec, Param::Env4Dec};
constexpr int kEnvSustain[4] = {Param::Env1Sus, Param::Env2Sus, Param::Env3Sus, Param::Env4Sus};
constexpr int kEnvRelease[4] = {Param::Env1Rel, Param::Env2Rel, Param::Env3Rel, Param::Env4Rel};
constexpr int kEnvVelocity[4] = {Param::Env1Vel, Param::Env2Vel, Param::Env3Vel, Param::Env4Vel};

constexpr int kFilterType[2] = {Param::FltType, Param::Flt2Type};
constexpr int kFilterCut[2] = {Param::FltCut, Param::Flt2Cut};
constexpr int kFilterRes[2] = {Param::FltRes, Param::Flt2Res};
constexpr int kFilterKey[2] = {Param::FltKey, Param::Flt2Key};

// The modulation targets of a side, side 2's codes following the same layout.
struct SideTargets {
    int tune, semi, fine, pulseWidth, sub, pan, volume;
};
constexpr SideTargets kSideTargets[2] = {
    {int(ModTarget::Osc1Tune), int(ModTarget::Osc1Semi), int(ModTarget::Osc1Fine), int(ModTarget::Osc1PW),
     int(ModTarget::Osc1Sub), int(ModTarget::Osc1Pan), int(ModTarget::Osc1Vol)},
    {int(ModTarget::Osc2Tune), int(ModTarget::Osc2Semi), int(ModTarget::Osc2Fine), int(ModTarget::Osc2PW),
     int(ModTarget::Osc2Sub), int(ModTarget::Osc2Pan), int(ModTarget::Osc2Vol)},
};
constexpr int kFilterCutTarget[2] = {int(ModTarget::Filter1Cut), int(ModTarget::Filter2Cut)};
constexpr int kFilterResTarget[2] = {int(ModTarget::Filter1Res), int(ModTarget::Filter2Res)};

// Linear pan law: +3 dB at the extremes, about -3 dB per channel at the centre.
constexpr float kPanGain = 1.4125375f;

// A stored value as the engine may use it: a number within a range no arithmetic here can
// overflow. Normal values (and moderately wild ones) pass unchanged.
inline float safeValue(float x)
{
    if (!(x == x))
        return 0.0f;
    return x > 1000.0f ? 1000.0f : (x < -1000.0f ? -1000.0f : x);
}

// The sub waveform: the knob's half picks one of the alternative mode's pair.
inline OscWaveform subWaveform(SubAltMode mode, bool lowHalf)
{
    switch (mode) {
    case SubAltMode::SawSquare:
        return lowHalf ? OscWaveform::Sawtooth : OscWaveform::Square;
    case SubAltMode::TriangleSine:
        return lowHalf ? OscWaveform::Triangle : OscWaveform::Sine;
    case SubAltMode::WhitePink:
        return lowHalf ? OscWaveform::White : OscWaveform::Pink;
    case SubAltMode::ChimeOrgan:
        return lowHalf ? OscWaveform::Chime : OscWaveform::Organ;
    default:
        return lowHalf ? OscWaveform::Triangle : OscWaveform::Square;
    }
}

// Adds an amplifier's signal (silence when there is none) times its gain to two buses.
void addAmplified(float* busL, float* busR, const float* left, const float* right, const float* gain, int count)
{
    if (!left) {
        for (int i = 0; i < count; ++i) {
            busL[i] += 0.0f * gain[i];
            busR[i] += 0.0f * gain[i];
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        busL[i] += left[i] * gain[i];
        busR[i] += right[i] * gain[i];
    }
}

} // namespace

void FrameControls::read(const ProgramStore& programs, const std::atomic<bool>* ignoreVelocity,
                         const TempoInfo& tempoInfo)
{
    const ProgramRecord& p = programs.current();
    polyZero = p.get(Param::Poly) == 0.0f;
    keySplit = keySplitNote(p.get(Param::KeySplit));
    bendUp = safeValue(p.get(Param::PBRange));
    bendDown = safeValue(p.get(Param::PBRange2));
    reference = tuningHz(safeValue(p.get(Param::Tuning)));
    for (int e = 0; e < 4; ++e)
        sustain[e] = safeValue(p.get(kEnvSustain[e]));
    for (int k = 0; k < 2; ++k) {
        const int o = k * kSideStep;
        Side& s = side[k];
        s.semi = safeValue(p.get(Param::Osc1Semi + o));
        s.fine = safeValue(p.get(Param::Osc1Fine + o));
        s.subSemi = safeValue(p.get(Param::Sub1Semi + o));
        s.subFine = safeValue(p.get(Param::Sub1Fine + o));
        s.detune = safeValue(p.get(Param::Osc1Det + o));
        s.copies = unisonCount(p.get(Param::Osc1DtVo + o));
        const float subModeValue = p.get(Param::Sub1AltW + o);
        if (!subModeKnown[k] || std::bit_cast<uint32_t>(subModeValue) != std::bit_cast<uint32_t>(subModeStored[k])) {
            subModeKnown[k] = true;
            subModeStored[k] = subModeValue;
            subModeCode[k] = decodeSubAltMode(subModeValue);
        }
        s.subMode = subModeCode[k];
        s.volume = safeValue(p.get(Param::Osc1Vol + o));
        s.pan = safeValue(p.get(Param::Osc1Pan + o));
        s.pulseWidth = safeValue(p.get(Param::Osc1PW + o));
        s.sub = safeValue(p.get(Param::Osc1Sub + o));
        s.spread = safeValue(p.get(Param::Osc1DtSp + o));
        s.mix = safeValue(p.get(Param::Osc1DtMx + o));
        s.subFollowsPw = p.get(Param::Sub1FlPW + o) != 0.0f;
        s.subFollowsVol = p.get(Param::Sub1FlVl + o) != 0.0f;
    }
    for (int u = 0; u < 2; ++u) {
        filter[u].cutoff = safeValue(p.get(kFilterCut[u]));
        filter[u].resonance = safeValue(p.get(kFilterRes[u]));
        filter[u].keyTrack = safeValue(p.get(kFilterKey[u]));
    }
    bool lfoInputsMoved = tempoInfo.tempo != tempo.tempo || tempoInfo.timeSigDenominator != tempo.timeSigDenominator;
    for (int n = 0; n < 4; ++n) {
        const float rate = safeValue(p.get(Param::Lfo1Rate + n));
        const bool sync = p.get(Param::Lfo1Sync + n) != 0.0f;
        const bool freeRunning = p.get(Param::Lfo1Free + n) != 0.0f;
        lfoInputsMoved |= std::bit_cast<uint32_t>(rate) != std::bit_cast<uint32_t>(lfoRate[n]) || sync != lfoSync[n] ||
                          freeRunning != lfoFree[n];
        lfoRate[n] = rate;
        lfoSync[n] = sync;
        lfoFree[n] = freeRunning;
    }
    if (lfoInputsMoved)
        ++lfoRevision;
    route = routingOf(p.get(Param::OscRoute));
    ignoreAmpVelocity = ignoreVelocity && ignoreVelocity->load(std::memory_order_relaxed);
    tempo = tempoInfo;
}

void Voice::bind(const ProgramStore& programStore, const WtCollection& tables)
{
    programs = &programStore;
    for (int k = 0; k < 2; ++k) {
        mainOsc[k].tables = &tables;
        subOsc[k].tables = &tables;
        for (Oscillator& copy : unison[k])
            copy.tables = &tables;
        assignUnisonStartPhases(k, unison[k]);
    }
}

void Voice::setSampleRate(float rate)
{
    sampleRate = rate;
    auto prepare = [rate](Smoother& s) {
        s.setSampleRate(rate);
        s.value = 0.0f;
    };
    for (SideSmoothers& s : sideSmoothers)
        for (Smoother* sm : {&s.pan, &s.volume, &s.pulseWidth, &s.subLevel, &s.spread, &s.mix})
            prepare(*sm);
    for (FilterControl& fc : filterControl)
        for (Smoother* sm : {&fc.cutoff, &fc.resonance, &fc.keyTrack})
            prepare(*sm);
    for (Smoother& s : sustainSmoother)
        prepare(s);
    for (Lfo& l : lfo)
        l.sampleRate = rate;
    for (float& r : lfoRateInput)
        r = -1.0f;
    lfoRevisionValid = false;
}

void Voice::seedRandomSources()
{
    // Unison copies never play noise, so only the main and sub oscillators draw.
    for (int k = 0; k < 2; ++k) {
        mainOsc[k].noise.random.seedFromLibrary();
        subOsc[k].noise.random.seedFromLibrary();
    }
    for (Lfo& l : lfo)
        l.random.seedFromLibrary();
}

void Voice::resetVoice()
{
    seedRandomSources();
    if (programs) {
        const ProgramRecord& p = programs->current();
        for (int k = 0; k < 2; ++k)
            startSidePhases(p.get(Param::Osc1Phse + k * kSideStep),
                            decodeSubAltMode(p.get(Param::Sub1AltW + k * kSideStep)), mainOsc[k], subOsc[k], unison[k]);
        for (int n = 0; n < 4; ++n) {
            // The wave is set first so a newly chosen Random wave starts on a fresh step.
            lfo[n].waveform = decodeLfoWaveform(p.get(Param::Lfo1Wave + n));
            lfo[n].restart(p.get(Param::Lfo1Phse + n));
        }
    }
    // Every control takes its target at once on the next frame.
    for (SideSmoothers& s : sideSmoothers)
        s.pan.jump = s.volume.jump = s.pulseWidth.jump = s.subLevel.jump = s.spread.jump = s.mix.jump = true;
    for (FilterControl& fc : filterControl)
        fc.jumpToTargets();
    for (Smoother& s : sustainSmoother)
        s.jump = true;
    for (Envelope& envelope : env)
        envelope.reset();
    controlCounter = 0;
    noteRandom = float(randomInt15()) / 32767.0f;
}

void Voice::startVoice(int32_t stamp, const NoteRecord& record)
{
    const float g = record.glideMs;
    glideA = g > 0.0f ? std::exp(-kTwoPi / (g * sampleRate * 0.001f)) : 0.0f;
    glideB = 1.0f - glideA;
    if (record.legato == 0) {
        pitch = float(record.note);
        glideJump = 1;
    }
    ageStamp = stamp;
    note = record;
    for (Envelope& envelope : env)
        envelope.gateOn();
}

void Voice::updateBlock(const Lfo* globalLfos)
{
    if (!programs)
        return;
    const ProgramRecord& p = programs->current();
    for (int k = 0; k < 2; ++k) {
        oscWaveform[k] = decodeOscWaveform(p.get(Param::Osc1Wave + k * kSideStep));
        mainOsc[k].waveform = oscWaveform[k];
    }
    for (int u = 0; u < 2; ++u) {
        filterType[u] = decodeFilterType(p.get(kFilterType[u]));
        filter[u].setType(filterType[u]);
    }
    for (int e = 0; e < 4; ++e) {
        env[e].setTimes(p.get(kEnvAttack[e]), p.get(kEnvDecay[e]), p.get(kEnvRelease[e]), sampleRate);
        mod.envVelocityGain[e] = envelopeVelocityFactor(safeValue(p.get(kEnvVelocity[e])), note.velocity);
    }
    for (int n = 0; n < 4; ++n) {
        lfo[n].waveform = decodeLfoWaveform(p.get(Param::Lfo1Wave + n));
        if (globalLfos && p.get(Param::Lfo1Free + n) != 0.0f) {
            lfo[n].followPhase(globalLfos[n]);
            // The rate too, so a note starting here ticks in step with the engine's LFO from
            // its first frame instead of drifting until the next block start.
            lfo[n].increment = globalLfos[n].increment;
        }
        lfo[n].setOffset(safeValue(p.get(Param::Lfo1Ofs + n)));
    }
}

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

void Voice::renderSide(int k, const FrameControls::Side& c, float bend, float semisFromA4, float reference,
                       bool controlFrame, bool steady, float& left, float& right)
{
    Oscillator& main = mainOsc[k];
    Oscillator& sub = subOsc[k];
    SideSmoothers& sm = sideSmoothers[k];
    const SideTargets& t = kSideTargets[k];
    const float* sums = mod.modSums;

    // Settled smoothers return their value unchanged, so a steady frame reads the values and
    // leaves the targets (and the sub waveform they were computed with) alone.
    const float subPosition = sums[t.sub] + c.sub;
    if (!steady)
        sub.waveform = subWaveform(c.subMode, subPosition < 0.5f);

    const float pwTarget = clamp01(sums[t.pulseWidth] + c.pulseWidth);
    const float pw = steady ? sm.pulseWidth.value : sm.pulseWidth.step(pwTarget);

    const bool unisonOn = c.detune > 0.0f && main.waveform != OscWaveform::White && main.waveform != OscWaveform::Pink;
    if (controlFrame)
        setSideIncrements(k, c, bend + semisFromA4, reference, unisonOn);

    const float volumeTarget = clampBipolar(sums[t.volume] + c.volume);
    const float subTarget = subLevel(subPosition);
    const float v = steady ? sm.volume.value : sm.volume.step(volumeTarget);
    const float u = steady ? sm.subLevel.value : sm.subLevel.step(subTarget);

    float l = 0.0f, r = 0.0f;
    if (v > 0.0f) {
        const float x = main.nextSample(pw);
        l = r = x;
        if (unisonOn) {
            const float sp = steady ? sm.spread.value : sm.spread.step(c.spread);
            const float mx = steady ? sm.mix.value : sm.mix.step(c.mix);
            float sumL = 0.0f, sumR = 0.0f;
            Oscillator* copies = unison[k];
            const UnisonPlan& plan = unisonPlan[k];
            const int count = c.copies;
            if (plan.ready && main.tables && main.tables->generation() == plan.generation) {
                for (int j = 0; j < count; ++j) {
                    const float p = sp * kUnisonPan[j];
                    Oscillator& o = copies[j];
                    const float y = interpolateTable(plan.samples[j], plan.mask[j], plan.length[j], o.phase);
                    o.advance();
                    sumL += (1.0f + p) * y;
                    sumR += (1.0f - p) * y;
                }
            } else {
                for (int j = 0; j < count; ++j) {
                    const float p = sp * kUnisonPan[j];
                    const float y = copies[j].nextSample(pw);
                    sumL += (1.0f + p) * y;
                    sumR += (1.0f - p) * y;
                }
            }
            l = mx * sumL + x;
            r = mx * sumR + x;
        }
        l *= v;
        r *= v;
    }
    if (u > 0.0f) {
        float y = sub.nextSample(c.subFollowsPw ? pw : 0.5f) * u;
        if (c.subFollowsVol)
            y *= v;
        l += y;
        r += y;
    }
    const float panTarget = clamp01(sums[t.pan] + c.pan);
    const float q = steady ? sm.pan.value : sm.pan.step(panTarget);
    left = (1.0f - q) * l * kPanGain;
    right = q * r * kPanGain;
    if (!steady)
        sideSteady[k] = sm.pulseWidth.settledOn(pwTarget) && sm.volume.settledOn(volumeTarget) &&
                        sm.subLevel.settledOn(subTarget) && sm.pan.settledOn(panTarget) &&
                        (!(v > 0.0f && unisonOn) || (sm.spread.settledOn(c.spread) && sm.mix.settledOn(c.mix)));
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
    run.unisonOn = c.detune > 0.0f && wave != OscWaveform::White && wave != OscWaveform::Pink;
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

namespace {

// The copies' table reads for a segment, with the copies side by side in vector lanes: the
// phase, index and interpolation arithmetic runs on four copies at once (the same operations
// lane by lane as one copy at a time). Each read takes a sample and its successor in one load
// (tables end with a copy of their first sample). Four frames at a time, the copies' terms are
// turned so that frames lie in lanes, and the sums build in copy order, as copy after copy would.
constexpr int kLaneGroups = (kNumUnisonCopies + 3) / 4;

struct UnisonLanes {
    __m128 phase, increment, length, pan;
    __m128i mask;
    const float* samples[4];
};

// One frame of a group of copies: its samples (interpolated, before the pan) and the phases moved on.
[[gnu::always_inline]] inline __m128 readCopies(UnisonLanes& g)
{
    const __m128 x = _mm_mul_ps(g.length, g.phase);
    const __m128i index = _mm_cvttps_epi32(x);
    const __m128 f = _mm_sub_ps(x, _mm_cvtepi32_ps(index));
    alignas(16) int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), _mm_and_si128(index, g.mask));
    const __m128 pair01 =
        _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(g.samples[0] + at[0])),
                     reinterpret_cast<const __m64*>(g.samples[1] + at[1]));
    const __m128 pair23 =
        _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(g.samples[2] + at[2])),
                     reinterpret_cast<const __m64*>(g.samples[3] + at[3]));
    const __m128 a = _mm_shuffle_ps(pair01, pair23, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 b = _mm_shuffle_ps(pair01, pair23, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 y = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), f));
    // Oscillator::advanced, lane by lane (taking 0 from a phase below 1 leaves it as it is).
    const __m128 one = _mm_set1_ps(1.0f);
    __m128 next = _mm_add_ps(g.phase, g.increment);
    next = _mm_sub_ps(next, _mm_and_ps(_mm_cmpge_ps(next, one), one));
    g.phase = _mm_andnot_ps(_mm_cmpge_ps(next, one), next);
    return y;
}

// One side's copies as a mixer reads them; phase is read at the start and written back.
struct UnisonSource {
    const float* const* samples;
    const int32_t* mask;
    const float* length;
    float* phase;
    const float* increment;
};

// A lane's copy: which side's, and which of its copies.
struct LaneFill {
    const UnisonSource* source;
    int copy;
};

// Lanes from up to four copies; lanes past used read copy 0 of the first one's side at phase 0
// (its table's first pair) and go unused.
UnisonLanes makeLanes(const LaneFill* fill, int used)
{
    UnisonLanes g;
    alignas(16) float ph[4] = {}, inc[4] = {}, len[4] = {}, side[4] = {};
    alignas(16) int32_t mk[4] = {};
    for (int lane = 0; lane < 4; ++lane) {
        const UnisonSource& s = *fill[lane < used ? lane : 0].source;
        const int j = fill[lane < used ? lane : 0].copy;
        g.samples[lane] = lane < used ? s.samples[j] : s.samples[0];
        if (lane >= used)
            continue;
        ph[lane] = s.phase[j];
        inc[lane] = s.increment[j];
        len[lane] = s.length[j];
        side[lane] = Voice::kUnisonPan[j];
        mk[lane] = s.mask[j];
    }
    g.phase = _mm_load_ps(ph);
    g.increment = _mm_load_ps(inc);
    g.length = _mm_load_ps(len);
    g.pan = _mm_load_ps(side);
    g.mask = _mm_load_si128(reinterpret_cast<const __m128i*>(mk));
    return g;
}

void storePhases(const UnisonLanes& g, const LaneFill* fill, int used)
{
    alignas(16) float ph[4];
    _mm_store_ps(ph, g.phase);
    for (int lane = 0; lane < used; ++lane)
        fill[lane].source->phase[fill[lane].copy] = ph[lane];
}

// One frame of a group: the copies' left and right terms at the spreads in spread.
[[gnu::always_inline]] inline void copyTerms(UnisonLanes& g, __m128 spread, __m128& left, __m128& right)
{
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 y = readCopies(g);
    const __m128 p = _mm_mul_ps(spread, g.pan);
    left = _mm_mul_ps(_mm_add_ps(one, p), y);
    right = _mm_mul_ps(_mm_sub_ps(one, p), y);
}

// Four frames of a group, turned so that each lane's four frames form one vector.
template <typename Spread>
[[gnu::always_inline]] inline void copyTermsOfFour(UnisonLanes& g, Spread spreadAt, int i, __m128* left, __m128* right)
{
    for (int f = 0; f < 4; ++f)
        copyTerms(g, spreadAt(i + f), left[f], right[f]);
    _MM_TRANSPOSE4_PS(left[0], left[1], left[2], left[3]);
    _MM_TRANSPOSE4_PS(right[0], right[1], right[2], right[3]);
}

template <int N>
void mixUnisonCopies(const UnisonSource& side, const float* sp, float* sumL, float* sumR, int count)
{
    constexpr int groups = (N + 3) / 4;
    LaneFill fill[kLaneGroups * 4];
    for (int j = 0; j < N; ++j)
        fill[j] = {&side, j};
    UnisonLanes g[kLaneGroups];
    for (int k = 0; k < groups; ++k)
        g[k] = makeLanes(fill + k * 4, std::min(4, N - k * 4));
    auto spreadAt = [sp](int i) { return _mm_set1_ps(sp[i]); };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m128 accL = _mm_setzero_ps(), accR = _mm_setzero_ps();
        for (int k = 0; k < groups; ++k) {
            __m128 tl[4], tr[4];
            copyTermsOfFour(g[k], spreadAt, i, tl, tr);
            for (int lane = 0; lane < 4 && k * 4 + lane < N; ++lane) {
                accL = _mm_add_ps(accL, tl[lane]);
                accR = _mm_add_ps(accR, tr[lane]);
            }
        }
        _mm_storeu_ps(sumL + i, accL);
        _mm_storeu_ps(sumR + i, accR);
    }
    for (; i < count; ++i) {
        alignas(16) float tl[kLaneGroups][4], tr[kLaneGroups][4];
        for (int k = 0; k < groups; ++k) {
            __m128 l, r;
            copyTerms(g[k], spreadAt(i), l, r);
            _mm_store_ps(tl[k], l);
            _mm_store_ps(tr[k], r);
        }
        float l = 0.0f, r = 0.0f;
        for (int j = 0; j < N; ++j) {
            l += tl[j / 4][j % 4];
            r += tr[j / 4][j % 4];
        }
        sumL[i] = l;
        sumR[i] = r;
    }
    for (int k = 0; k < groups; ++k)
        storePhases(g[k], fill + k * 4, std::min(4, N - k * 4));
}

// Both sides' copies when each has N (5 or 6): the first four of each side fill a group of
// their own and the rest of both share a third, so fewer lanes idle than side by side.
template <int N>
void mixUnisonPair(const UnisonSource* side, const float* const* sp, float* const* sumL, float* const* sumR, int count)
{
    constexpr int tail = N - 4;
    LaneFill fill[3][4];
    for (int lane = 0; lane < 4; ++lane) {
        fill[0][lane] = {&side[0], lane};
        fill[1][lane] = {&side[1], lane};
    }
    for (int t = 0; t < tail; ++t) {
        fill[2][t] = {&side[0], 4 + t};
        fill[2][tail + t] = {&side[1], 4 + t};
    }
    UnisonLanes g[3] = {makeLanes(fill[0], 4), makeLanes(fill[1], 4), makeLanes(fill[2], 2 * tail)};
    const float* sp0 = sp[0];
    const float* sp1 = sp[1];
    auto spread0 = [sp0](int i) { return _mm_set1_ps(sp0[i]); };
    auto spread1 = [sp1](int i) { return _mm_set1_ps(sp1[i]); };
    auto spreadShared = [sp0, sp1](int i) {
        return tail == 2 ? _mm_setr_ps(sp0[i], sp0[i], sp1[i], sp1[i]) : _mm_setr_ps(sp0[i], sp1[i], 0.0f, 0.0f);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m128 tl[3][4], tr[3][4];
        copyTermsOfFour(g[0], spread0, i, tl[0], tr[0]);
        copyTermsOfFour(g[1], spread1, i, tl[1], tr[1]);
        copyTermsOfFour(g[2], spreadShared, i, tl[2], tr[2]);
        for (int k = 0; k < 2; ++k) {
            __m128 accL = _mm_setzero_ps(), accR = _mm_setzero_ps();
            for (int lane = 0; lane < 4; ++lane) {
                accL = _mm_add_ps(accL, tl[k][lane]);
                accR = _mm_add_ps(accR, tr[k][lane]);
            }
            for (int t = 0; t < tail; ++t) {
                accL = _mm_add_ps(accL, tl[2][k * tail + t]);
                accR = _mm_add_ps(accR, tr[2][k * tail + t]);
            }
            _mm_storeu_ps(sumL[k] + i, accL);
            _mm_storeu_ps(sumR[k] + i, accR);
        }
    }
    for (; i < count; ++i) {
        alignas(16) float tl[3][4], tr[3][4];
        __m128 l, r;
        copyTerms(g[0], spread0(i), l, r);
        _mm_store_ps(tl[0], l), _mm_store_ps(tr[0], r);
        copyTerms(g[1], spread1(i), l, r);
        _mm_store_ps(tl[1], l), _mm_store_ps(tr[1], r);
        copyTerms(g[2], spreadShared(i), l, r);
        _mm_store_ps(tl[2], l), _mm_store_ps(tr[2], r);
        for (int k = 0; k < 2; ++k) {
            float sl = 0.0f, sr = 0.0f;
            for (int lane = 0; lane < 4; ++lane) {
                sl += tl[k][lane];
                sr += tr[k][lane];
            }
            for (int t = 0; t < tail; ++t) {
                sl += tl[2][k * tail + t];
                sr += tr[2][k * tail + t];
            }
            sumL[k][i] = sl;
            sumR[k][i] = sr;
        }
    }
    for (int k = 0; k < 3; ++k)
        storePhases(g[k], fill[k], k < 2 ? 4 : 2 * tail);
}

using UnisonMixer = void (*)(const UnisonSource&, const float*, float*, float*, int);
constexpr UnisonMixer kUnisonMixers[kNumUnisonCopies + 1] = {
    nullptr,
    mixUnisonCopies<1>,
    mixUnisonCopies<2>,
    mixUnisonCopies<3>,
    mixUnisonCopies<4>,
    mixUnisonCopies<5>,
    mixUnisonCopies<6>,
};

} // namespace

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

// The unison copies over count frames: left holds the main oscillator's samples on entry and
// left and right the mixed side on return, before the volume.
bool Voice::unisonPlanned(int k) const
{
    const UnisonPlan& plan = unisonPlan[k];
    const Oscillator& main = mainOsc[k];
    return plan.ready && main.tables && main.tables->generation() == plan.generation;
}

void Voice::addUnisonSegment(int k, int copies, const float* sp, const float* mx, const float* pw, float* left,
                             float* right, int count)
{
    float sumL[kSegmentFrames] = {}, sumR[kSegmentFrames] = {};
    if (unisonPlanned(k) && copies >= 1 && copies <= kNumUnisonCopies) {
        const UnisonPlan& plan = unisonPlan[k];
        float phase[kNumUnisonCopies], increment[kNumUnisonCopies];
        for (int j = 0; j < copies; ++j) {
            phase[j] = unison[k][j].phase;
            increment[j] = unison[k][j].increment;
        }
        const UnisonSource source{plan.samples, plan.mask, plan.length, phase, increment};
        kUnisonMixers[copies](source, sp, sumL, sumR, count);
        for (int j = 0; j < copies; ++j)
            unison[k][j].phase = phase[j];
    } else {
        for (int j = 0; j < copies; ++j) {
            Oscillator& o = unison[k][j];
            for (int i = 0; i < count; ++i) {
                const float p = sp[i] * kUnisonPan[j];
                const float y = o.nextSample(pw[i]);
                sumL[i] += (1.0f + p) * y;
                sumR[i] += (1.0f - p) * y;
            }
        }
    }
    addUnisonSums(sumL, sumR, mx, left, right, count);
}

// The main oscillator's samples in left on entry; left and right the mixed side on return.
void Voice::addUnisonSums(const float* sumL, const float* sumR, const float* mx, float* left, float* right, int count)
{
    for (int i = 0; i < count; ++i) {
        const float x = left[i];
        left[i] = mx[i] * sumL[i] + x;
        right[i] = mx[i] * sumR[i] + x;
    }
}

// Both sides' copies in one pass when both play all frames of the segment with five or six
// copies each; their sums wait in the sides' runs.
void Voice::mixUnisonPairSegment(const FrameControls& c, Segment& s)
{
    const int copies = c.side[0].copies;
    for (int k = 0; k < 2; ++k) {
        const SideRun& run = s.side[k];
        if (!run.sounds || !run.unisonOn || !run.allVoiced || !unisonPlanned(k) || c.side[k].copies != copies)
            return;
    }
    if (copies < 5 || copies > kNumUnisonCopies)
        return;
    float phase[2][kNumUnisonCopies], increment[2][kNumUnisonCopies];
    UnisonSource sources[2];
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < copies; ++j) {
            phase[k][j] = unison[k][j].phase;
            increment[k][j] = unison[k][j].increment;
        }
        const UnisonPlan& plan = unisonPlan[k];
        sources[k] = {plan.samples, plan.mask, plan.length, phase[k], increment[k]};
    }
    const float* sp[2] = {s.side[0].value[kSpread], s.side[1].value[kSpread]};
    float* sumL[2] = {s.side[0].unisonL, s.side[1].unisonL};
    float* sumR[2] = {s.side[0].unisonR, s.side[1].unisonR};
    if (copies == 6)
        mixUnisonPair<6>(sources, sp, sumL, sumR, s.count);
    else
        mixUnisonPair<5>(sources, sp, sumL, sumR, s.count);
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < copies; ++j)
            unison[k][j].phase = phase[k][j];
        s.side[k].unisonMixed = true;
    }
}

void Voice::renderVoice(float& amp1Left, float& amp1Right, float& amp2Left, float& amp2Right,
                        const MidiControllerState& midi, const FrameControls& c, bool continuing)
{
    renderOneFrame(amp1Left, amp1Right, amp2Left, amp2Right, midi, c, continuing);
}

// A unit whose controls have settled skips its control law while they stay put.
inline void Voice::runFilter(int n, float& left, float& right, const FrameControls& c, float semisFromA4,
                             bool steadyNow)
{
    if (steadyNow && filterSteady[n]) {
        FilterControl::processSteady(filter[n], left, right);
        return;
    }
    filterSteady[n] = filterControl[n].process(
        filter[n], left, right, c.filter[n].cutoff, mod.modSums[kFilterCutTarget[n]], c.filter[n].resonance,
        mod.modSums[kFilterResTarget[n]], c.filter[n].keyTrack, semisFromA4, sampleRate);
}

// Glide only in exact mono; otherwise the note sounds at once. Returns semitones from A4.
[[gnu::always_inline]] inline float Voice::stepPitch(const FrameControls& c)
{
    float sounding = float(note.note);
    if (c.polyZero) {
        if (glideJump) {
            pitch = sounding;
            glideJump = 0;
        } else {
            pitch = glideA * pitch + glideB * sounding;
        }
        sounding = pitch;
    }
    return sounding - 69.0f;
}

float Voice::bendFor(const MidiControllerState& midi, const FrameControls& c)
{
    const float bendValue = midi.pitchBend;
    return bendSemitones(bendValue < 0.0f ? c.bendDown : c.bendUp, bendValue);
}

[[gnu::always_inline]] inline void Voice::stepSustain(const FrameControls& c, bool continuing)
{
    if (continuing && sustainSteady)
        return;
    for (int e = 0; e < 4; ++e)
        env[e].setSustain(sustainSmoother[e].step(c.sustain[e]));
    sustainSteady = sustainSmoother[0].settledOn(c.sustain[0]) && sustainSmoother[1].settledOn(c.sustain[1]) &&
                    sustainSmoother[2].settledOn(c.sustain[2]) && sustainSmoother[3].settledOn(c.sustain[3]);
}

// Envelopes and LFOs run every frame; the matrix only on control frames.
[[gnu::always_inline]] inline void Voice::stepModulation(bool controlFrame, const MidiControllerState& midi)
{
    for (int e = 0; e < 4; ++e)
        mod.envValue[e] = env[e].tick();
    // Only the matrix reads LFO values, and only on control frames; between them the LFOs just
    // move on.
    for (int n = 0; n < 4; ++n) {
        if (controlFrame)
            mod.lfoValue[n] = lfo[n].tick();
        else
            lfo[n].advance();
    }
    if (controlFrame && programs) {
        ModSourceValues sources;
        gatherModSources(mod, note.velocity, noteRandom, note.note, midi, sources);
        evaluateModMatrix(*programs, sources, mod);
    }
}

[[gnu::always_inline]] inline void Voice::updateLfoRates(const FrameControls& c, bool controlFrame)
{
    const bool lfoRatesKnown = !controlFrame && lfoRevisionValid && c.lfoRevision == lfoRevisionSeen;
    lfoRevisionSeen = c.lfoRevision;
    lfoRevisionValid = true;
    for (int n = 0; n < 4 && !lfoRatesKnown; ++n) {
        float r = c.lfoRate[n];
        if (!c.lfoFree[n])
            r += mod.modSums[int(ModTarget::Lfo1Rate) + n];
        r = clamp01(r);
        // The rate curve is costly; it only runs again when its inputs move.
        if (r != lfoRateInput[n] || c.lfoSync[n] != lfoRateSync[n] ||
            (c.lfoSync[n] && (c.tempo.tempo != lfoRateTempo[n].tempo ||
                              c.tempo.timeSigDenominator != lfoRateTempo[n].timeSigDenominator))) {
            lfo[n].setRate(r, c.lfoSync[n], c.tempo);
            lfoRateInput[n] = r;
            lfoRateSync[n] = c.lfoSync[n];
            lfoRateTempo[n] = c.tempo;
        }
    }
}

// Inlined into both callers, so a run's frame loop has no call per frame.
[[gnu::always_inline]] inline void Voice::renderOneFrame(float& amp1Left, float& amp1Right, float& amp2Left,
                                                         float& amp2Right, const MidiControllerState& midi,
                                                         const FrameControls& c, bool continuing)
{
    controllers = &midi;
    const float semisFromA4 = stepPitch(c);
    const float bend = bendFor(midi, c);
    stepSustain(c, continuing);
    const bool controlFrame = controlCounter == 0;
    stepModulation(controlFrame, midi);
    updateLfoRates(c, controlFrame);

    // The two oscillator sides; a side that is off or outside the key split stays silent and
    // steps nothing.
    float sideL[2] = {0.0f, 0.0f};
    float sideR[2] = {0.0f, 0.0f};
    const int split = c.keySplit;
    // Between control frames the modulation sums stand still, so within a run nothing a side's
    // or a filter's smoothers aim at moves.
    const bool sideSteadyNow = continuing && !controlFrame;
    for (int k = 0; k < 2; ++k) {
        if (oscWaveform[k] == OscWaveform::Off)
            continue;
        if (split > 0 && (k == 0 ? note.note >= split : note.note < split))
            continue;
        renderSide(k, c.side[k], bend, semisFromA4, c.reference, controlFrame, sideSteadyNow && sideSteady[k], sideL[k],
                   sideR[k]);
    }

    // Routing: what feeds each filter unit and which amplifier each result reaches. Each unit
    // runs from one place so its control code is inlined once.
    const RouteTable& routes = routeTable(c.route);
    float f1L = sideL[0], f1R = sideR[0];
    if (routes.side2IntoFilter1) {
        f1L += sideL[1];
        f1R += sideR[1];
    }
    const bool filterSteadyNow = sideSteadyNow && semisFromA4 == filterSteadySemis;
    filterSteadySemis = semisFromA4;
    runFilter(0, f1L, f1R, c, semisFromA4, filterSteadyNow);
    float f2L = sideL[1], f2R = sideR[1];
    if (routes.filter2ReadsFilter1) {
        f2L = f1L, f2R = f1R;
        if (routes.side2JoinsFilter2) {
            f2L += sideL[1];
            f2R += sideR[1];
        }
    }
    runFilter(1, f2L, f2R, c, semisFromA4, filterSteadyNow);
    float a1L = f2L, a1R = f2R, a2L = 0.0f, a2R = 0.0f;
    if (routes.amp1 == Amp1Input::Filter1)
        a1L = f1L, a1R = f1R;
    else if (routes.amp1 == Amp1Input::BothFilters)
        a1L = f1L + f2L, a1R = f1R + f2R;
    if (routes.amp2 == Amp2Input::Side2)
        a2L = sideL[1], a2R = sideR[1];
    else if (routes.amp2 == Amp2Input::Filter2)
        a2L = f2L, a2R = f2R;

    float g1 = mod.envValue[0];
    float g2 = mod.envValue[1];
    if (!c.ignoreAmpVelocity) {
        g1 *= mod.envVelocityGain[0];
        g2 *= mod.envVelocityGain[1];
    }
    amp1Left += a1L * g1;
    amp1Right += a1R * g1;
    amp2Left += a2L * g2;
    amp2Right += a2R * g2;

    if (++controlCounter >= 64)
        controlCounter = 0;
}

int Voice::renderRun(float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right, int frames,
                     const MidiControllerState& midi, const FrameControls& c, Routing route)
{
    return renderSegments(amp1Left, amp1Right, amp2Left, amp2Right, 0, frames, midi, c, route);
}

int Voice::renderSegments(float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right, int first, int frames,
                          const MidiControllerState& midi, const FrameControls& c, Routing route)
{
    int done = first;
    while (done < frames) {
        const int wanted = std::min(frames - done, kSegmentFrames - controlCounter);
        Segment s;
        const int rendered = beginSegment(s, wanted, midi, c, route, done > 0);
        if (rendered > 0) {
            runFilterSegment(0, s.f1L, s.f1R, c, s);
            feedSecondFilter(s, c.route);
            runFilterSegment(1, s.f2L, s.f2R, c, s);
            finishSegment(s, amp1Left + done, amp1Right + done, amp2Left + done, amp2Right + done, c.route);
        }
        done += rendered;
        if (rendered < wanted)
            break;
    }
    return done;
}

void Voice::renderRunGroup(Voice* const* group, int size, float* amp1Left, float* amp1Right, float* amp2Left,
                           float* amp2Right, int frames, const MidiControllerState& midi, const FrameControls& c,
                           Routing route)
{
    // Voices in step, segment by segment, so their filters (each a chain of dependent samples)
    // interleave and the processor overlaps them. Each voice adds to the buses before the next,
    // frame for frame, as when they render one after the other.
    Segment segments[kGroupVoices];
    int done = 0;
    while (done < frames) {
        int wanted = frames - done;
        for (int v = 0; v < size; ++v)
            wanted = std::min(wanted, kSegmentFrames - group[v]->controlCounter);
        bool allWhole = true;
        for (int v = 0; v < size; ++v)
            allWhole = group[v]->beginSegment(segments[v], wanted, midi, c, route, done > 0) == wanted && allWhole;
        runFilterGroup(0, group, segments, size, false, c);
        for (int v = 0; v < size; ++v)
            if (segments[v].count > 0)
                group[v]->feedSecondFilter(segments[v], c.route);
        runFilterGroup(1, group, segments, size, true, c);
        for (int v = 0; v < size; ++v)
            if (segments[v].count > 0)
                group[v]->finishSegment(segments[v], amp1Left + done, amp1Right + done, amp2Left + done,
                                        amp2Right + done, c.route);
        done += wanted;
        if (!allWhole) {
            // Some have fallen silent; the others go on alone.
            for (int v = 0; v < size; ++v)
                if (segments[v].count == wanted)
                    group[v]->renderSegments(amp1Left, amp1Right, amp2Left, amp2Right, done, frames, midi, c, route);
            return;
        }
    }
}

void Voice::runFilterGroup(int n, Voice* const* group, Segment* segments, int size, bool second, const FrameControls& c)
{
    bool together = true;
    for (int v = 0; v < size; ++v)
        together = together && !group[v]->filter[n].isBypassed() && segments[v].count == segments[0].count;
    if (!together) {
        for (int v = 0; v < size; ++v) {
            Segment& s = segments[v];
            group[v]->runFilterSegment(n, second ? s.f2L : s.f1L, second ? s.f2R : s.f1R, c, s);
        }
        return;
    }
    for (int v = 0; v < size; ++v)
        group[v]->prepareFilterSegment(n, c, segments[v]);
    // Every voice plays the same program, so their units are alike and run side by side in
    // lanes; a group mixing both types (a type change between blocks) goes voice by voice.
    bool allLadder = true;
    for (int v = 0; v < size; ++v)
        allLadder = allLadder && group[v]->filter[n].usesLadder();
    bool noLadder = true;
    for (int v = 0; v < size; ++v)
        noLadder = noLadder && !group[v]->filter[n].usesLadder();
    if (allLadder || noLadder)
        runGroupLanes(n, group, segments, size, second, allLadder);
    else
        runGroupFrames(n, group, segments, size, second);
}

void Voice::runGroupFrames(int n, Voice* const* group, Segment* segments, int size, bool second)
{
    for (int i = 0; i < segments[0].count; ++i)
        for (int v = 0; v < size; ++v) {
            Segment& s = segments[v];
            float* left = second ? s.f2L : s.f1L;
            float* right = second ? s.f2R : s.f1R;
            FilterControl::apply(group[v]->filter[n], s.filterTan[i], s.filterRes[i], s.filterRecompute[i], left[i],
                                 right[i]);
        }
}

namespace {

// Where each lane of a group's filter units reads its segment's controls and signal.
struct LaneBuffers {
    float* left[4];
    float* right[4];
    const float* tanOfCutoff[4];
    const float* resonance[4];
    const bool* recompute[4];
};

// The units' frames as FilterControl::apply runs them, four voices at once.
template <class UnitLanes>
void runLanes(UnitLanes& lanes, const LaneBuffers& b, int count)
{
    for (int i = 0; i < count; ++i) {
        if (b.recompute[0][i] || b.recompute[1][i] || b.recompute[2][i] || b.recompute[3][i])
            lanes.setCoefficients(gatherFlags(b.recompute, i), gatherLanes(b.tanOfCutoff, i),
                                  gatherLanes(b.resonance, i));
        FourFloats left = gatherLanes(b.left, i);
        FourFloats right = gatherLanes(b.right, i);
        lanes.process(left, right);
        scatterLanes(left, b.left, i);
        scatterLanes(right, b.right, i);
    }
}

} // namespace

// A group of alike units in SSE lanes; lanes past the group's size run on silence.
static_assert(Voice::kGroupVoices == 4, "a group's filter units fill the four lanes of a register");
void Voice::runGroupLanes(int n, Voice* const* group, Segment* segments, int size, bool second, bool ladders)
{
    const int count = segments[0].count;
    if (count == 0)
        return;
    // Cleared only when some lane is idle: a full group would pay for it on every segment.
    float idleLeft[kSegmentFrames], idleRight[kSegmentFrames], idleControl[kSegmentFrames];
    bool idleRecompute[kSegmentFrames];
    if (size < 4) {
        std::fill_n(idleLeft, count, 0.0f);
        std::fill_n(idleRight, count, 0.0f);
        std::fill_n(idleControl, count, 0.0f);
        std::fill_n(idleRecompute, count, false);
    }
    LaneBuffers b;
    for (int v = 0; v < 4; ++v) {
        Segment* s = v < size ? &segments[v] : nullptr;
        b.left[v] = s ? (second ? s->f2L : s->f1L) : idleLeft;
        b.right[v] = s ? (second ? s->f2R : s->f1R) : idleRight;
        b.tanOfCutoff[v] = s ? s->filterTan : idleControl;
        b.resonance[v] = s ? s->filterRes : idleControl;
        b.recompute[v] = s ? s->filterRecompute : idleRecompute;
    }
    if (ladders) {
        LadderFilter* units[kGroupVoices] = {};
        for (int v = 0; v < size; ++v)
            units[v] = &group[v]->filter[n].ladder;
        LadderLanes lanes;
        lanes.load(units, size);
        runLanes(lanes, b, count);
        lanes.store(units, size);
    } else {
        StateVariableFilter* units[kGroupVoices] = {};
        int32_t modes[kGroupVoices] = {};
        for (int v = 0; v < size; ++v) {
            units[v] = &group[v]->filter[n].svf;
            modes[v] = group[v]->filter[n].svfMode;
        }
        SvfLanes lanes;
        lanes.load(units, modes, size);
        runLanes(lanes, b, count);
        lanes.store(units, size);
    }
}

// The segment's controls and sides, and filter 1's input.
int Voice::beginSegment(Segment& s, int frames, const MidiControllerState& midi, const FrameControls& c, Routing route,
                        bool continuing)
{
    s.continuing = continuing;
    s.controlFrame = controlCounter == 0;
    s.filterHeld[0] = s.filterHeld[1] = false;
    const int count = stepSegmentControls(s, frames, midi, c, route);
    if (count == 0)
        return 0;

    // Both sides' smoothers and the filter units' step together, so their chains of dependent
    // steps overlap.
    const int split = c.keySplit;
    bool sounds[2];
    Smoother* smoothers[kMaxSmootherLanes];
    float targets[kMaxSmootherLanes];
    float* out[kMaxSmootherLanes];
    int lanes = 0;
    for (int k = 0; k < 2; ++k) {
        sounds[k] =
            oscWaveform[k] != OscWaveform::Off && !(split > 0 && (k == 0 ? note.note >= split : note.note < split));
        if (sounds[k])
            lanes += planSideSegment(k, c.side[k], c, s, smoothers + lanes, targets + lanes, out + lanes);
    }
    // Only glide moves the pitch within a segment.
    const bool pitchHeld = !c.polyZero || pitchHeldThrough(s);
    for (int n = 0; n < 2; ++n)
        if (pitchHeld)
            lanes += planFilterSegment(n, c, s, smoothers + lanes, targets + lanes, out + lanes);
    stepSmoothersTogether(smoothers, targets, out, lanes, count);
    for (int k = 0; k < 2; ++k) {
        s.side[k].sounds = sounds[k];
        if (sounds[k])
            settleSideSegment(k, c.side[k], s);
    }
    mixUnisonPairSegment(c, s);
    for (int k = 0; k < 2; ++k) {
        if (sounds[k]) {
            renderSideSegment(k, c.side[k], s);
        } else {
            std::fill_n(s.sideL[k], count, 0.0f);
            std::fill_n(s.sideR[k], count, 0.0f);
        }
    }

    // Routing as in the frame path: filter 1 reads sides, filter 2 reads filter 1 and sides.
    for (int i = 0; i < count; ++i) {
        s.f1L[i] = s.sideL[0][i];
        s.f1R[i] = s.sideR[0][i];
    }
    if (routeTable(c.route).side2IntoFilter1)
        for (int i = 0; i < count; ++i) {
            s.f1L[i] += s.sideL[1][i];
            s.f1R[i] += s.sideR[1][i];
        }
    return count;
}

void Voice::feedSecondFilter(Segment& s, Routing routing)
{
    const RouteTable& routes = routeTable(routing);
    const bool fromFilter1 = routes.filter2ReadsFilter1;
    for (int i = 0; i < s.count; ++i) {
        s.f2L[i] = fromFilter1 ? s.f1L[i] : s.sideL[1][i];
        s.f2R[i] = fromFilter1 ? s.f1R[i] : s.sideR[1][i];
    }
    if (fromFilter1 && routes.side2JoinsFilter2)
        for (int i = 0; i < s.count; ++i) {
            s.f2L[i] += s.sideL[1][i];
            s.f2R[i] += s.sideR[1][i];
        }
}

void Voice::finishSegment(Segment& s, float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right,
                          Routing routing)
{
    const RouteTable& routes = routeTable(routing);
    const int count = s.count;
    const float* a1L = s.f2L;
    const float* a1R = s.f2R;
    if (routes.amp1 == Amp1Input::Filter1) {
        a1L = s.f1L, a1R = s.f1R;
    } else if (routes.amp1 == Amp1Input::BothFilters) {
        for (int i = 0; i < count; ++i) {
            s.f1L[i] += s.f2L[i];
            s.f1R[i] += s.f2R[i];
        }
        a1L = s.f1L, a1R = s.f1R;
    }
    const float* a2L = nullptr;
    const float* a2R = nullptr;
    if (routes.amp2 == Amp2Input::Side2)
        a2L = s.sideL[1], a2R = s.sideR[1];
    else if (routes.amp2 == Amp2Input::Filter2)
        a2L = s.f2L, a2R = s.f2R;
    addAmplified(amp1Left, amp1Right, a1L, a1R, s.amp1Gain, count);
    addAmplified(amp2Left, amp2Right, a2L, a2R, s.amp2Gain, count);
}

// Everything a frame does before its sides: pitch, sustain, envelopes, LFOs, the matrix on the
// control frame; stops before a frame where the voice no longer sounds.
int Voice::stepSegmentControls(Segment& s, int frames, const MidiControllerState& midi, const FrameControls& c,
                               Routing route)
{
    controllers = &midi;
    s.bend = bendFor(midi, c);
    int i = 0;
    // Frame by frame while the sustain levels move; afterwards each envelope and LFO runs alone.
    for (; i < frames && !(i > 0 && sustainSteady); ++i) {
        if (!isSounding(*this, route))
            break;
        const float semis = stepPitch(c);
        s.semis[i] = semis;
        stepSustain(c, s.continuing || i > 0);
        const bool controlFrame = controlCounter == 0;
        stepModulation(controlFrame, midi);
        updateLfoRates(c, controlFrame);
        s.amp1Gain[i] = mod.envValue[0];
        s.amp2Gain[i] = mod.envValue[1];
        if (++controlCounter >= 64)
            controlCounter = 0;
    }
    if (i > 0 && i < frames && isSounding(*this, route))
        i += stepSteadyControls(s, i, frames - i, c, route);
    s.count = i;

    for (int f = 0; f < i; ++f) {
        s.filterSteady[f] = s.steadyAt(f) && s.semis[f] == filterSteadySemis;
        filterSteadySemis = s.semis[f];
    }
    if (!c.ignoreAmpVelocity)
        for (int f = 0; f < i; ++f) {
            s.amp1Gain[f] *= mod.envVelocityGain[0];
            s.amp2Gain[f] *= mod.envVelocityGain[1];
        }
    return i;
}

// Frames from first on, after a frame that left the sustain levels settled and the LFO rates
// known: no control frame among them, so each envelope and LFO runs alone over them. Returns
// the frames the voice still sounds for.
int Voice::stepSteadyControls(Segment& s, int first, int frames, const FrameControls& c, Routing route)
{
    const bool secondGates = usesSecondAmplifier(route);
    // The gating envelopes first: where they fall idle ends the segment.
    const int idle0 = env[0].tickRun(s.amp1Gain + first, frames);
    int running = idle0;
    if (secondGates) {
        const int idle1 = env[1].tickRun(s.amp2Gain + first, frames);
        running = std::max(idle0, idle1);
    }
    const int count = std::min(frames, running + 1);
    if (!secondGates)
        env[1].tickRun(s.amp2Gain + first, count);
    float scratch[kSegmentFrames];
    env[2].tickRun(scratch, count);
    env[3].tickRun(scratch, count);
    // A tick's result is the envelope's level.
    for (int e = 0; e < 4; ++e)
        mod.envValue[e] = env[e].level;
    advanceRunsTogether(lfo, count);
    for (int f = first; f < first + count; ++f)
        s.semis[f] = stepPitch(c);
    controlCounter += count;
    if (controlCounter >= 64)
        controlCounter = 0;
    return count;
}

void Voice::runFilterSegment(int n, float* left, float* right, const FrameControls& c, Segment& s)
{
    if (filter[n].isBypassed()) {
        // A bypassed unit counts as settled after any frame that looked, as in the frame path.
        for (int i = 0; i < s.count && !filterSteady[n]; ++i)
            filterSteady[n] = !s.filterSteady[i];
        return;
    }
    prepareFilterSegment(n, c, s);
    for (int i = 0; i < s.count; ++i)
        FilterControl::apply(filter[n], s.filterTan[i], s.filterRes[i], s.filterRecompute[i], left[i], right[i]);
}

// A running unit whose key tracking has settled, at a pitch that holds for the segment (the
// caller knows): its cutoff and resonance smoothers join the lists and step with the sides'.
// Returns how many smoothers it added.
int Voice::planFilterSegment(int n, const FrameControls& c, Segment& s, Smoother** smoothers, float* targets,
                             float** out)
{
    FilterControl& control = filterControl[n];
    const FrameControls::Filter& knobs = c.filter[n];
    s.filterHeld[n] = !filter[n].isBypassed() && control.keyTrackSettledOn(knobs.keyTrack);
    if (!s.filterHeld[n])
        return 0;
    control.refreshTarget(knobs.cutoff + mod.modSums[kFilterCutTarget[n]], control.keyTrack.value, s.semis[0],
                          sampleRate);
    control.planHeldTargets(knobs.resonance, mod.modSums[kFilterResTarget[n]], smoothers, targets);
    // Settled controls cost next to nothing frame by frame: the unit only looks once.
    if (filterSteady[n] && smoothers[0]->settledOn(targets[0]) && smoothers[1]->settledOn(targets[1])) {
        s.filterHeld[n] = false;
        return 0;
    }
    out[0] = s.filterCutoffRun[n];
    out[1] = s.filterResonanceRun[n];
    return 2;
}

// A running unit's control law over the segment, frame by frame as runFilter steps it, and then
// the tan of every frame's cutoff in one pass that the compiler vectorises.
void Voice::prepareFilterSegment(int n, const FrameControls& c, Segment& s)
{
    FilterControl& control = filterControl[n];
    const FrameControls::Filter& knobs = c.filter[n];
    if (s.filterHeld[n]) {
        float* cutoff = s.filterCutoffRun[n];
        std::copy_n(s.filterResonanceRun[n], s.count, s.filterRes);
        filterSteady[n] = control.finishHeldTargets(filter[n], knobs.resonance, mod.modSums[kFilterResTarget[n]],
                                                    knobs.keyTrack, cutoff, s.filterRes, s.filterRecompute, s.count);
        for (int i = 0; i < s.count; ++i)
            s.filterTan[i] = tanPi(cutoff[i]);
        return;
    }
    float cutoff[kSegmentFrames];
    for (int i = 0; i < s.count; ++i) {
        if (s.filterSteady[i] && filterSteady[n]) {
            cutoff[i] = 0.0f;
            s.filterRes[i] = 0.0f;
            s.filterRecompute[i] = false;
            continue;
        }
        FilterControl::Frame f;
        filterSteady[n] =
            control.stepControls(f, filter[n], knobs.cutoff, mod.modSums[kFilterCutTarget[n]], knobs.resonance,
                                 mod.modSums[kFilterResTarget[n]], knobs.keyTrack, s.semis[i], sampleRate);
        cutoff[i] = f.fc;
        s.filterRes[i] = f.r;
        s.filterRecompute[i] = f.recompute;
    }
    for (int i = 0; i < s.count; ++i)
        s.filterTan[i] = tanPi(cutoff[i]);
}

// Whether the pitch stays at the first frame's for the whole segment (no glide moves it).
bool Voice::pitchHeldThrough(const Segment& s)
{
    for (int i = 1; i < s.count; ++i)
        if (s.semis[i] != s.semis[0])
            return false;
    return true;
}
