// A voice's controls frame by frame: the program's values read once per run, the pitch with its
// glide, the sustain smoothers, the envelopes and LFOs, and the matrix on control frames.
#include "Voice.h"

#include "VoiceRules.h"

#include <algorithm>
#include <bit>

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

void FrameControls::addNoteOffsets(const NoteOffsets& o)
{
    auto add = [&o](float& value, int paramIndex) {
        const float amount = o.of(paramIndex);
        if (amount != 0.0f)
            value = safeValue(value + amount);
    };
    for (int k = 0; k < 2; ++k) {
        const int p = k * kSideStep;
        Side& s = side[k];
        add(s.semi, Param::Osc1Semi + p);
        add(s.fine, Param::Osc1Fine + p);
        add(s.volume, Param::Osc1Vol + p);
        add(s.detune, Param::Osc1Det + p);
        add(s.pulseWidth, Param::Osc1PW + p);
        add(s.sub, Param::Osc1Sub + p);
        add(s.pan, Param::Osc1Pan + p);
        if (o.pan != 0.5f)
            s.pan = safeValue(s.pan + (o.pan - 0.5f));
    }
    for (int u = 0; u < 2; ++u) {
        add(filter[u].cutoff, kFilterCut[u]);
        add(filter[u].resonance, kFilterRes[u]);
        add(filter[u].keyTrack, kFilterKey[u]);
    }
    for (int e = 0; e < 4; ++e)
        add(sustain[e], kEnvSustain[e]);
    noteTuning = o.tuning;
    noteGain = o.gain;
}

// Glide only in exact mono; otherwise the note sounds at once. Returns semitones from A4.
float Voice::stepPitch(const FrameControls& c)
{
    float sounding = note.pitch;
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

float Voice::bendFor(const MidiControllerState& midi, const FrameControls& c) const
{
    const float bendValue = midi.pitchBend;
    float bend = bendSemitones(bendValue < 0.0f ? c.bendDown : c.bendUp, bendValue);
    // A note's tuning, and its MPE channel's bend, move its oscillators like bends of their own.
    if (c.noteTuning != 0.0f)
        bend += c.noteTuning;
    if (played.bend != 0.0f)
        bend += played.bend;
    return bend;
}

void Voice::stepSustain(const FrameControls& c, bool continuing)
{
    if (continuing && sustainSteady)
        return;
    for (int e = 0; e < 4; ++e)
        env[e].setSustain(sustainSmoother[e].step(c.sustain[e]));
    sustainSteady = sustainSmoother[0].settledOn(c.sustain[0]) && sustainSmoother[1].settledOn(c.sustain[1]) &&
                    sustainSmoother[2].settledOn(c.sustain[2]) && sustainSmoother[3].settledOn(c.sustain[3]);
}

// Envelopes and LFOs run every frame; the matrix only on control frames.
void Voice::stepModulation(bool controlFrame, const MidiControllerState& midi)
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
        gatherModSources(mod, VoiceSources{note.velocity, noteRandom, note.note, played.pressure, played.slide}, midi,
                         sources);
        evaluateModMatrix(*programs, sources, mod);
    }
}

void Voice::updateLfoRates(const FrameControls& c, bool controlFrame)
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
        if (++controlCounter >= kControlPeriod)
            controlCounter = 0;
    }
    if (i > 0 && i < frames && isSounding(*this, route))
        i += stepSteadyControls(s, i, frames - i, c, route);
    s.count = i;

    for (int f = 0; f < i; ++f) {
        s.filterInputsHeld[f] = s.steadyAt(f) && s.semis[f] == filterSettledSemis;
        filterSettledSemis = s.semis[f];
    }
    if (!c.ignoreAmpVelocity)
        for (int f = 0; f < i; ++f) {
            s.amp1Gain[f] *= mod.envVelocityGain[0];
            s.amp2Gain[f] *= mod.envVelocityGain[1];
        }
    if (c.noteGain != 1.0f)
        for (int f = 0; f < i; ++f) {
            s.amp1Gain[f] *= c.noteGain;
            s.amp2Gain[f] *= c.noteGain;
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
    if (controlCounter >= kControlPeriod)
        controlCounter = 0;
    return count;
}
