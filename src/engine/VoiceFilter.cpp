// The filter units of a voice over a segment: the control law frame by frame, then the units,
// alone or with the same unit of three other voices in SSE lanes.
#include "Voice.h"

#include "LadderLanes.h"
#include "SvfLanes.h"
#include "VoiceRules.h"

#include <algorithm>

void Voice::runFilterGroup(int n, Voice* const* group, Segment* segments, int size, bool second,
                           const FrameControls* const* controls)
{
    bool together = true;
    for (int v = 0; v < size; ++v)
        together = together && !group[v]->filter[n].isBypassed() && segments[v].count == segments[0].count;
    if (!together) {
        for (int v = 0; v < size; ++v) {
            Segment& s = segments[v];
            group[v]->runFilterSegment(n, second ? s.f2L : s.f1L, second ? s.f2R : s.f1R, *controls[v], s);
        }
        return;
    }
    for (int v = 0; v < size; ++v)
        group[v]->prepareFilterSegment(n, *controls[v], segments[v]);
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
            FilterControl::apply(group[v]->filter[n], s.filterTan[n][i], s.filterRes[n][i], s.filterRecompute[n][i],
                                 left[i], right[i]);
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
        b.tanOfCutoff[v] = s ? s->filterTan[n] : idleControl;
        b.resonance[v] = s ? s->filterRes[n] : idleControl;
        b.recompute[v] = s ? s->filterRecompute[n] : idleRecompute;
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

void Voice::runFilterSegment(int n, float* left, float* right, const FrameControls& c, Segment& s)
{
    if (filter[n].isBypassed()) {
        // A bypassed unit counts as settled after any frame that looked at its controls.
        for (int i = 0; i < s.count && !filterSettled[n]; ++i)
            filterSettled[n] = !s.filterInputsHeld[i];
        return;
    }
    prepareFilterSegment(n, c, s);
    for (int i = 0; i < s.count; ++i)
        FilterControl::apply(filter[n], s.filterTan[n][i], s.filterRes[n][i], s.filterRecompute[n][i], left[i],
                             right[i]);
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
    if (filterSettled[n] && smoothers[0]->settledOn(targets[0]) && smoothers[1]->settledOn(targets[1])) {
        s.filterHeld[n] = false;
        return 0;
    }
    out[0] = s.filterCutoffRun[n];
    out[1] = s.filterResonanceRun[n];
    return 2;
}

// A running unit's control law over the segment, frame by frame, and then
// the tan of every frame's cutoff in one pass that the compiler vectorises.
void Voice::prepareFilterSegment(int n, const FrameControls& c, Segment& s)
{
    FilterControl& control = filterControl[n];
    const FrameControls::Filter& knobs = c.filter[n];
    if (s.filterHeld[n]) {
        float* cutoff = s.filterCutoffRun[n];
        std::copy_n(s.filterResonanceRun[n], s.count, s.filterRes[n]);
        filterSettled[n] =
            control.finishHeldTargets(filter[n], knobs.resonance, mod.modSums[kFilterResTarget[n]], knobs.keyTrack,
                                      cutoff, s.filterRes[n], s.filterRecompute[n], s.count);
        for (int i = 0; i < s.count; ++i)
            s.filterTan[n][i] = tanPi(cutoff[i]);
        return;
    }
    float cutoff[kSegmentFrames];
    for (int i = 0; i < s.count; ++i) {
        if (s.filterInputsHeld[i] && filterSettled[n]) {
            cutoff[i] = 0.0f;
            s.filterRes[n][i] = 0.0f;
            s.filterRecompute[n][i] = false;
            continue;
        }
        FilterControl::Frame f;
        filterSettled[n] =
            control.stepControls(f, filter[n], knobs.cutoff, mod.modSums[kFilterCutTarget[n]], knobs.resonance,
                                 mod.modSums[kFilterResTarget[n]], knobs.keyTrack, s.semis[i], sampleRate);
        cutoff[i] = f.fc;
        s.filterRes[n][i] = f.r;
        s.filterRecompute[n][i] = f.recompute;
    }
    for (int i = 0; i < s.count; ++i)
        s.filterTan[n][i] = tanPi(cutoff[i]);
}

// Whether the pitch stays at the first frame's for the whole segment (no glide moves it).
bool Voice::pitchHeldThrough(const Segment& s)
{
    for (int i = 1; i < s.count; ++i)
        if (s.semis[i] != s.semis[0])
            return false;
    return true;
}
