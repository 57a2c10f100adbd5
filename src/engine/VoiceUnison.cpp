// The unison copies of a side over a segment, four copies at a time in SSE lanes.
#include "Voice.h"

#include "FourLanes.h"

#include <algorithm>

namespace {

// The copies' table reads for a segment, with the copies side by side in vector lanes: the
// phase, index and interpolation arithmetic runs on four copies at once (the same operations
// lane by lane as one copy at a time). Each read takes a sample and its successor in one load
// (tables end with a copy of their first sample). Four frames at a time, the copies' terms are
// turned so that frames lie in lanes, and the sums build in copy order, as copy after copy would.
constexpr int kLaneGroups = (kNumUnisonCopies + 3) / 4;

struct UnisonLanes {
    FourFloats phase, increment, length, pan;
    FourMasks mask;
    const float* samples[4];
};

// One frame of a group of copies: its samples (interpolated, before the pan) and the phases moved on.
[[gnu::always_inline]] inline FourFloats readCopies(UnisonLanes& g)
{
    const FourFloats y = interpolatePairs(g.samples, g.length * g.phase, g.mask);
    // Oscillator::advanced, lane by lane (taking 0 from a phase below 1 leaves it as it is).
    const FourFloats one = splat(1.0f);
    FourFloats next = g.phase + g.increment;
    next -= select(next >= one, one, splat(0.0f));
    g.phase = select(next >= one, splat(0.0f), next);
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
    FourFloats ph = {}, inc = {}, len = {}, side = {};
    FourMasks mk = {};
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
    g.phase = ph;
    g.increment = inc;
    g.length = len;
    g.pan = side;
    g.mask = mk;
    return g;
}

void storePhases(const UnisonLanes& g, const LaneFill* fill, int used)
{
    for (int lane = 0; lane < used; ++lane)
        fill[lane].source->phase[fill[lane].copy] = g.phase[lane];
}

// One frame of a group: the copies' left and right terms at the spreads in spread.
[[gnu::always_inline]] inline void copyTerms(UnisonLanes& g, FourFloats spread, FourFloats& left, FourFloats& right)
{
    const FourFloats one = splat(1.0f);
    const FourFloats y = readCopies(g);
    const FourFloats p = spread * g.pan;
    left = (one + p) * y;
    right = (one - p) * y;
}

// Four frames of a group, turned so that each lane's four frames form one vector.
template <typename Spread>
[[gnu::always_inline]] inline void copyTermsOfFour(UnisonLanes& g, Spread spreadAt, int i, FourFloats* left,
                                                   FourFloats* right)
{
    for (int f = 0; f < 4; ++f)
        copyTerms(g, spreadAt(i + f), left[f], right[f]);
    transposeFour(left);
    transposeFour(right);
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
    auto spreadAt = [sp](int i) { return splat(sp[i]); };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        FourFloats accL = splat(0.0f), accR = splat(0.0f);
        for (int k = 0; k < groups; ++k) {
            FourFloats tl[4], tr[4];
            copyTermsOfFour(g[k], spreadAt, i, tl, tr);
            for (int lane = 0; lane < 4 && k * 4 + lane < N; ++lane) {
                accL += tl[lane];
                accR += tr[lane];
            }
        }
        storeFour(sumL + i, accL);
        storeFour(sumR + i, accR);
    }
    for (; i < count; ++i) {
        FourFloats tl[kLaneGroups], tr[kLaneGroups];
        for (int k = 0; k < groups; ++k)
            copyTerms(g[k], spreadAt(i), tl[k], tr[k]);
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
    auto spread0 = [sp0](int i) { return splat(sp0[i]); };
    auto spread1 = [sp1](int i) { return splat(sp1[i]); };
    auto spreadShared = [sp0, sp1](int i) {
        return tail == 2 ? FourFloats{sp0[i], sp0[i], sp1[i], sp1[i]} : FourFloats{sp0[i], sp1[i], 0.0f, 0.0f};
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        FourFloats tl[3][4], tr[3][4];
        copyTermsOfFour(g[0], spread0, i, tl[0], tr[0]);
        copyTermsOfFour(g[1], spread1, i, tl[1], tr[1]);
        copyTermsOfFour(g[2], spreadShared, i, tl[2], tr[2]);
        for (int k = 0; k < 2; ++k) {
            FourFloats accL = splat(0.0f), accR = splat(0.0f);
            for (int lane = 0; lane < 4; ++lane) {
                accL += tl[k][lane];
                accR += tr[k][lane];
            }
            for (int t = 0; t < tail; ++t) {
                accL += tl[2][k * tail + t];
                accR += tr[2][k * tail + t];
            }
            storeFour(sumL[k] + i, accL);
            storeFour(sumR[k] + i, accR);
        }
    }
    for (; i < count; ++i) {
        FourFloats tl[3], tr[3];
        copyTerms(g[0], spread0(i), tl[0], tr[0]);
        copyTerms(g[1], spread1(i), tl[1], tr[1]);
        copyTerms(g[2], spreadShared(i), tl[2], tr[2]);
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

// Whether the copies' tables were looked up for the tables the side reads now.
bool Voice::unisonPlanned(int k) const
{
    const UnisonPlan& plan = unisonPlan[k];
    const Oscillator& main = mainOsc[k];
    return plan.ready && main.tables && main.tables->generation() == plan.generation;
}

// The unison copies over count frames: left holds the main oscillator's samples on entry and
// left and right the mixed side on return, before the volume.
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
