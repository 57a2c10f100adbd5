#include "Voice.h"

#include "VoiceRules.h"

#include "LadderLanes.h"
#include "SmootherLanes.h"
#include "SvfLanes.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

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
    bool sounds[2];
    Smoother* smoothers[kMaxSmootherLanes];
    float targets[kMaxSmootherLanes];
    float* out[kMaxSmootherLanes];
    int lanes = 0;
    for (int k = 0; k < 2; ++k) {
        sounds[k] = sidePlays(k, c);
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
