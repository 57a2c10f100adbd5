// One of the 32 voices: two oscillator sides (main, sub and unison copies), two filter units in
// one of five routings, four envelopes, four LFOs and the modulation matrix, rendered in runs
// of frames, alone or in a group of four, into the engine's amplifier buses.
#pragma once

#include "Envelope.h"
#include "FilterControl.h"
#include "FilterUnit.h"
#include "Lfo.h"
#include "MidiProcessor.h"
#include "ModMatrix.h"
#include "NoteOffsets.h"
#include "Routing.h"
#include "VoiceRules.h"
#include "Oscillator.h"
#include "Smoother.h"
#include "params/CodeTables.h"
#include "params/ProgramStore.h"
#include "params/TempoInfo.h"
#include "params/ValueCurves.h"
#include "settings/MidiMap.h"

#include <cstdint>

// A key as the voice manager keeps it: one per held key, and the note a voice plays.
struct NoteRecord {
    int32_t channel = 0;
    int32_t note = 0;
    float pitch = 0.0f;    // the key's note number under the tuning (fractional; 69 is A4)
    float velocity = 0.0f; // 0..1
    uint8_t legato = 0;    // the voice keeps its pitch and glides to the note
    float glideMs = 0.0f;
};

constexpr int kNumVoiceSmoothers = 22;
constexpr int kNumUnisonCopies = 6;

// The parameter values every sounding voice reads each frame. The engine reads them once per
// frame for all voices; a stored value that is not a number or far out of range is made safe
// here, never in the program itself.
struct FrameControls {
    struct Side {
        float semi = 0.0f, fine = 0.0f;       // raw knobs, decoded on control frames
        float subSemi = 0.5f, subFine = 0.5f; // used with an alternative sub waveform
        float detune = 0.0f;
        int copies = 1;
        SubAltMode subMode = SubAltMode::Off;
        float volume = 0.0f, pan = 0.5f, pulseWidth = 0.5f, sub = 0.5f;
        float spread = 0.0f, mix = 0.0f;
        bool subFollowsPw = true, subFollowsVol = true;
    };
    struct Filter {
        float cutoff = 1.0f, resonance = 0.0f, keyTrack = 0.0f;
    };

    bool polyZero = false; // glide runs only in exact mono
    int keySplit = 0;      // 0: both sides play every note
    float bendUp = 0.0f, bendDown = 0.0f;
    float reference = 440.0f;
    float sustain[4] = {};
    Side side[2];
    Filter filter[2];
    float lfoRate[4] = {};
    bool lfoSync[4] = {};
    bool lfoFree[4] = {};
    Routing route = Routing::BothSidesInSeries;
    bool ignoreAmpVelocity = false;
    TempoInfo tempo;
    // Moves whenever an LFO rate input above (rate, sync, free, tempo) differs from the last
    // frame's, so voices can tell their rates need no new look.
    uint32_t lfoRevision = 0;
    // One note's own pitch and level on top of the others' (neutral in the shared controls).
    float noteTuning = 0.0f; // semitones, like a bend
    float noteGain = 1.0f;

    void read(const ProgramStore& programs, const std::atomic<bool>* ignoreVelocity, const TempoInfo& tempoInfo);
    // A note's offsets added to the values they offset, made safe like the values themselves;
    // the voice's clamps then hold the sums to their ranges.
    void addNoteOffsets(const NoteOffsets& offsets);

private:
    // The last stored sub-mode values and their codes: decoding is a pure function of the value,
    // and the values seldom move.
    float subModeStored[2] = {};
    bool subModeKnown[2] = {};
    SubAltMode subModeCode[2] = {SubAltMode::Off, SubAltMode::Off};
};

struct Voice {
    const ProgramStore* programs = nullptr;

    // Per side: main oscillator, sub-oscillator and six unison copies.
    Oscillator mainOsc[2];
    Oscillator subOsc[2];
    Oscillator unison[2][kNumUnisonCopies];

    // The unison copies' tables, looked up when their increments were last set (on a control
    // frame), so the per-sample loop reads straight from them.
    struct UnisonPlan {
        const float* samples[kNumUnisonCopies] = {};
        int32_t mask[kNumUnisonCopies] = {};
        float length[kNumUnisonCopies] = {};
        uint32_t generation = 0;
        bool ready = false;
    };
    UnisonPlan unisonPlan[2];

    FilterUnit filter[2];

    // Env 1 and Env 2 shape the two amplifiers; Env 3 and Env 4 are modulation sources.
    Envelope env[4];
    Lfo lfo[4];

    // Glide: the sounding note number, fractional while gliding.
    float pitch = 0.0f;
    float glideA = 0.0f;
    float glideB = 1.0f;
    uint8_t glideJump = 1;

    NoteRecord note;
    // What the host has changed for this note alone; cleared at every note start.
    NoteOffsets noteOffsets;
    // What the voice's channel plays it with: under MPE its own bend and pressure, and the slide
    // (controller 74). A voice stops following its channel when a newer note starts there.
    struct PlayedExpression {
        float bend = 0.0f;     // semitones
        float pressure = 0.0f; // 0..1, the Poly Pressure source
        float slide = 0.0f;    // 0..1, the Slide source
        bool followsChannel = false;
    };
    PlayedExpression played;

    const MidiControllerState* controllers = nullptr;

    // The control smoothers: six per oscillator side, three per filter unit (inside its
    // control), one per envelope sustain.
    struct SideSmoothers {
        Smoother pan, volume, pulseWidth, subLevel, spread, mix;
    };
    SideSmoothers sideSmoothers[2];
    FilterControl filterControl[2];
    Smoother sustainSmoother[4];

    static constexpr float kUnisonDetune[kNumUnisonCopies] = {-0.01952356f, 0.01991221f, -0.06288439f,
                                                              0.06216538f,  -0.1100231f, 0.1074524f};
    static constexpr float kUnisonPan[kNumUnisonCopies] = {0.6f, -0.6f, 0.4f, -0.4f, 0.2f, -0.2f};

    ModBlock mod;

    float sampleRate = 44100.0f;
    float referenceA4 = 440.0f;
    float noteRandom = 0.0f;
    int32_t ageStamp = 0;
    int32_t controlCounter = 0;
    OscWaveform oscWaveform[2] = {};
    FilterType filterType[2] = {};
    int32_t keyTrackOffset = 12;

    // The normalized rate each LFO's increment was last computed from, so the rate curve only
    // runs when the rate moves.
    float lfoRateInput[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    bool lfoRateSync[4] = {};
    TempoInfo lfoRateTempo[4];
    // The frame controls' LFO revision at this voice's last rate check; between control frames
    // (where the matrix may move a rate) an unchanged revision means nothing to check.
    uint32_t lfoRevisionSeen = 0;
    bool lfoRevisionValid = false;

    void bind(const ProgramStore& programStore, const WtCollection& tables);
    void setSampleRate(float rate);

    // A free voice taking a new note, and every voice at the engine reset: silent at once.
    void resetVoice();
    void seedRandomSources();
    void startVoice(int32_t stamp, const NoteRecord& record);
    void releaseEnvelopes()
    {
        for (Envelope& envelope : env)
            envelope.gateOff();
    }

    // Block-rate update: waveforms, filter types, envelope times and velocity gains, LFO set-up
    // (free-running LFOs take the phase of the engine's LFO of the same number).
    void updateBlock(const Lfo* globalLfos);

    // A per-note offset or expression for the note this voice plays, from its frame on.
    void setNoteOffset(int paramIndex, float amount);
    void setNoteExpression(NoteExpression kind, float value);
    // The controls this voice plays with: the shared ones, or with offsets a copy of them with
    // its note's offsets added.
    const FrameControls& controlsFor(const FrameControls& shared);

    // The matrix runs, and new oscillator increments are taken, once every kControlPeriod frames.
    static constexpr int kControlPeriod = 64;

    // A run is rendered in segments that end before the next control frame, so the modulation
    // sums stand still within one: first the per-frame controls of the whole segment, then
    // each oscillator side, then each filter unit, then the amplifiers. A segment's working
    // memory (about 9 kB) is the caller's, kept with the engine instead of on the audio stack.
    static constexpr int kSegmentFrames = kControlPeriod;
    // A side's smoothed controls within a segment, in the order its smoothers step.
    enum SideControl { kPulseWidth, kVolume, kSubLevel, kPan, kSpread, kMix, kSideControls };
    struct SideRun {
        bool sounds = false, unisonOn = false, allVoiced = false;
        bool unisonMixed = false; // unisonL and unisonR hold the copies' sums
        float unisonL[kSegmentFrames], unisonR[kSegmentFrames];
        float target[kSideControls];
        float value[kSideControls][kSegmentFrames];
        Smoother spreadBefore, mixBefore;
    };
    struct Segment {
        int count = 0;
        bool continuing = false;   // the first frame follows this voice's previous frame
        bool controlFrame = false; // the first frame is a control frame
        float bend = 0.0f;
        float semis[kSegmentFrames];
        float amp1Gain[kSegmentFrames], amp2Gain[kSegmentFrames];
        bool filterInputsHeld[kSegmentFrames]; // same pitch, no control frame: a settled unit stays so
        // Each filter unit's control values for the segment: tan(pi * cutoff), resonance, and
        // whether the frame takes new coefficients from them.
        float filterTan[2][kSegmentFrames], filterRes[2][kSegmentFrames];
        bool filterRecompute[2][kSegmentFrames];
        // Per unit: whether its cutoff and resonance stepped with the sides' smoothers, into these.
        bool filterHeld[2];
        float filterCutoffRun[2][kSegmentFrames], filterResonanceRun[2][kSegmentFrames];
        SideRun side[2];
        float sideL[2][kSegmentFrames], sideR[2][kSegmentFrames];
        float f1L[kSegmentFrames], f1R[kSegmentFrames], f2L[kSegmentFrames], f2R[kSegmentFrames];
        bool steadyAt(int i) const { return (continuing || i > 0) && !(controlFrame && i == 0); }
    };

    // Up to frames frames in a row, each added to the buses at its own index; stops early when
    // the voice falls silent under the given routing. Returns the frames rendered.
    int renderRun(float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right, int frames,
                  const MidiControllerState& midi, const FrameControls& controls, Routing route, Segment& scratch);

    // Up to kGroupVoices voices over the same frames, as a renderRun of each in turn would
    // render them.
    static constexpr int kGroupVoices = 4;
    static void renderRunGroup(Voice* const* group, int size, float* amp1Left, float* amp1Right, float* amp2Left,
                               float* amp2Right, int frames, const MidiControllerState& midi,
                               const FrameControls& controls, Routing route, Segment* scratch);

    // The sum of every slot on a target, as the signal path reads it.
    float modSum(ModTarget target) const { return mod.sum(target); }

    // Whether a side plays this voice's note: its waveform is on and the key split lets it.
    bool sidePlays(int side, const FrameControls& c) const
    {
        return oscWaveform[side] != OscWaveform::Off && splitLetsSidePlay(side, c.keySplit, note.note);
    }

private:
    // Settled controls found at the end of the last frame: the sustain smoothers (good for the
    // rest of a run), each side's smoothers and each filter unit's controls (good until the
    // next control frame; the filters also only at the same pitch).
    bool sustainSteady = false;
    bool sideSteady[2] = {};
    bool filterSettled[2] = {};
    float filterSettledSemis = 0.0f;
    // The shared controls with this note's offsets, when it has any.
    FrameControls noteControls;

    float lfoOffsetParam(const ProgramRecord& p, int n) const;

    int renderSegments(float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right, int first, int frames,
                       const MidiControllerState& midi, const FrameControls& controls, Routing route, Segment& s);
    int beginSegment(Segment& s, int frames, const MidiControllerState& midi, const FrameControls& controls,
                     Routing route, bool continuing);
    void feedSecondFilter(Segment& s, Routing routing);
    void finishSegment(Segment& s, float* amp1Left, float* amp1Right, float* amp2Left, float* amp2Right,
                       Routing routing);
    static void runFilterGroup(int n, Voice* const* group, Segment* segments, int size, bool second,
                               const FrameControls* const* controls);
    int stepSegmentControls(Segment& s, int frames, const MidiControllerState& midi, const FrameControls& c,
                            Routing route);
    int stepSteadyControls(Segment& s, int first, int frames, const FrameControls& c, Routing route);
    int planSideSegment(int side, const FrameControls::Side& c, const FrameControls& controls, Segment& s,
                        Smoother** smoothers, float* targets, float** out);
    void settleSideSegment(int side, const FrameControls::Side& c, Segment& s);
    void renderSideSegment(int side, const FrameControls::Side& c, Segment& s);
    bool unisonPlanned(int side) const;
    void mixUnisonPairSegment(const FrameControls& c, Segment& s);
    static void addUnisonSums(const float* sumL, const float* sumR, const float* mx, float* left, float* right,
                              int count);
    static void addSubSegment(Oscillator& sub, const FrameControls::Side& c, const float* pw, const float* v,
                              const float* u, float* left, float* right, int count);
    void addUnisonSegment(int side, int copies, const float* spread, const float* mix, const float* width, float* left,
                          float* right, int count);
    void runFilterSegment(int n, float* left, float* right, const FrameControls& c, Segment& s);
    int planFilterSegment(int n, const FrameControls& c, Segment& s, Smoother** smoothers, float* targets, float** out);
    void prepareFilterSegment(int n, const FrameControls& c, Segment& s);
    static bool pitchHeldThrough(const Segment& s);
    static void runGroupFrames(int n, Voice* const* group, Segment* segments, int size, bool second);
    static void runGroupLanes(int n, Voice* const* group, Segment* segments, int size, bool second, bool ladders);

    float stepPitch(const FrameControls& c);
    float bendFor(const MidiControllerState& midi, const FrameControls& c) const;
    void stepSustain(const FrameControls& c, bool continuing);
    void stepModulation(bool controlFrame, const MidiControllerState& midi);
    void updateLfoRates(const FrameControls& c, bool controlFrame);

    void planUnison(int side);
    void setSideIncrements(int side, const FrameControls::Side& c, float base, float reference, bool unisonOn);

    // The tests' plain frame-by-frame rendering, which the runs are held to.
    friend struct ReferenceRender;
};

// A voice sounds until its amplifier envelopes have finished.
inline bool isSounding(const Voice& voice, Routing route)
{
    if (usesSecondAmplifier(route))
        return !voice.env[0].isIdle() || !voice.env[1].isIdle();
    return !voice.env[0].isIdle();
}

// A voice whose amplifier envelopes are all idle or releasing: its key has been let go.
inline bool isReleasing(const Voice& voice, Routing route)
{
    auto done = [](const Envelope& e) { return e.stage == EnvIdle || e.stage == EnvRelease; };
    if (usesSecondAmplifier(route))
        return done(voice.env[0]) && done(voice.env[1]);
    return done(voice.env[0]);
}
