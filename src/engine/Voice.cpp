// A voice's life (binding, note start, block set-up) and the scheduler of its runs: a run is
// rendered in segments that end before the next control frame; each segment steps the controls,
// the oscillator sides, the filter units (in lanes for a group of voices) and the amplifiers.
#include "Voice.h"

#include "SmootherLanes.h"
#include "VoiceRules.h"

#include <algorithm>
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
        pitch = record.pitch;
        glideJump = 1;
    }
    ageStamp = stamp;
    note = record;
    // A new note, legato or not, is the host's new note: nothing of the last one's offsets.
    noteOffsets = NoteOffsets{};
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
        lfo[n].setOffset(lfoOffsetParam(p, n));
    }
}

float Voice::lfoOffsetParam(const ProgramRecord& p, int n) const
{
    const float value = p.get(Param::Lfo1Ofs + n);
    const float amount = noteOffsets.of(Param::Lfo1Ofs + n);
    return safeValue(amount != 0.0f ? value + amount : value);
}

void Voice::setNoteOffset(int paramIndex, float amount)
{
    noteOffsets.set(paramIndex, amount);
    // The LFO offsets are otherwise only taken at block starts.
    const int n = paramIndex - Param::Lfo1Ofs;
    if (n >= 0 && n < 4 && programs)
        lfo[n].setOffset(lfoOffsetParam(programs->current(), n));
}

void Voice::setNoteExpression(NoteExpression kind, float value)
{
    noteOffsets.setExpression(kind, value);
}

const FrameControls& Voice::controlsFor(const FrameControls& shared)
{
    if (!noteOffsets.active)
        return shared;
    noteControls = shared;
    noteControls.addNoteOffsets(noteOffsets);
    return noteControls;
}

int Voice::renderRun(float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right, int frames,
                     const MidiControllerState& midi, const FrameControls& c, Routing route, Segment& scratch)
{
    return renderSegments(amp1Left, amp1Right, amp2Left, amp2Right, 0, frames, midi, controlsFor(c), route, scratch);
}

int Voice::renderSegments(float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right, int first, int frames,
                          const MidiControllerState& midi, const FrameControls& c, Routing route, Segment& s)
{
    int done = first;
    while (done < frames) {
        const int wanted = std::min(frames - done, kSegmentFrames - controlCounter);
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
                           Routing route, Segment* segments)
{
    // Voices in step, segment by segment, so their filters (each a chain of dependent samples)
    // interleave and the processor overlaps them. Each voice adds to the buses before the next,
    // frame for frame, as when they render one after the other.
    const FrameControls* own[kGroupVoices];
    for (int v = 0; v < size; ++v)
        own[v] = &group[v]->controlsFor(c);
    int done = 0;
    while (done < frames) {
        int wanted = frames - done;
        for (int v = 0; v < size; ++v)
            wanted = std::min(wanted, kSegmentFrames - group[v]->controlCounter);
        bool allWhole = true;
        for (int v = 0; v < size; ++v)
            allWhole =
                group[v]->beginSegment(segments[v], wanted, midi, *own[v], route, done > 0) == wanted && allWhole;
        runFilterGroup(0, group, segments, size, false, own);
        for (int v = 0; v < size; ++v)
            if (segments[v].count > 0)
                group[v]->feedSecondFilter(segments[v], c.route);
        runFilterGroup(1, group, segments, size, true, own);
        for (int v = 0; v < size; ++v)
            if (segments[v].count > 0)
                group[v]->finishSegment(segments[v], amp1Left + done, amp1Right + done, amp2Left + done,
                                        amp2Right + done, c.route);
        done += wanted;
        if (!allWhole) {
            // Some have fallen silent; the others go on alone.
            for (int v = 0; v < size; ++v)
                if (segments[v].count == wanted)
                    group[v]->renderSegments(amp1Left, amp1Right, amp2Left, amp2Right, done, frames, midi, *own[v],
                                             route, segments[v]);
            return;
        }
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

    // Filter 1 reads the sides the routing feeds it; filter 2 waits for filter 1's output.
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
