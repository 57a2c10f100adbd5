// One of the 32 voices: the note it plays, its envelopes, glide state and control smoothers.
#pragma once

#include "Envelope.h"
#include "MidiProcessor.h"
#include "Smoother.h"
#include "plugin/ProgramStore.h"
#include "settings/UserSettings.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

// A key as the voice manager keeps it: one per held key, and the note a voice plays.
struct NoteRecord {
    int32_t channel = 0;
    int32_t note = 0;
    float velocity = 0.0f; // 0..1
    uint8_t legato = 0;    // the voice keeps its pitch and glides to the note
    float glideMs = 0.0f;
};

constexpr int kNumVoiceSmoothers = 22;
constexpr int kNumUnisonCopies = 6;

struct Voice {
    const ProgramStore* programs = nullptr;
    const UserSettings* settings = nullptr;

    // The 16 oscillators (two main, two sub, six unison copies of each main) and the two filter
    // units go here, with the oscillator and filter code.

    // Env 1 and Env 2 shape the two amplifiers; Env 3 and Env 4 are modulation sources.
    Envelope env[4];

    // The four per-voice LFOs go here, with the LFO code.

    // Glide: the sounding note number, fractional while gliding.
    float pitch = 0.0f;
    float glideA = 0.0f;
    float glideB = 1.0f;
    uint8_t glideJump = 1;

    NoteRecord note;

    const MidiControllerState* controllers = nullptr;

    // Oscillator (12), filter (6) and sustain (4) smoothers.
    Smoother smoothers[kNumVoiceSmoothers];

    static constexpr float kUnisonDetune[kNumUnisonCopies] = {-0.01952356f, 0.01991221f, -0.06288439f,
                                                              0.06216538f,  -0.1100231f, 0.1074524f};
    static constexpr float kUnisonPan[kNumUnisonCopies] = {0.6f, -0.6f, 0.4f, -0.4f, 0.2f, -0.2f};

    // The modulation block (envelope velocity gains, source values, target sums, amount scales)
    // goes here, with the modulation matrix.

    float sampleRate = 44100.0f;
    float referenceA4 = 440.0f;
    float noteRandom = 0.0f;
    int32_t ageStamp = 0;
    int32_t controlCounter = 0;
    int32_t oscWaveform[2] = {};
    int32_t filterType[2] = {};
    int32_t keyTrackOffset = 12;

    void bind(const ProgramStore& programStore, const UserSettings& userSettings)
    {
        programs = &programStore;
        settings = &userSettings;
    }

    void setSampleRate(float rate)
    {
        sampleRate = rate;
        for (Smoother& smoother : smoothers) {
            smoother.setSampleRate(rate);
            smoother.value = 0.0f;
        }
    }

    // A free voice taking a new note, and every voice at the engine reset: silent at once.
    void resetVoice()
    {
        // Every smoother takes its target at once on the next frame.
        for (Smoother& smoother : smoothers)
            smoother.jump = true;
        for (Envelope& envelope : env)
            envelope.reset();
        controlCounter = 0;
        noteRandom = float(std::rand()) / 32767.0f;
    }

    void startVoice(int32_t stamp, const NoteRecord& record)
    {
        const float g = record.glideMs;
        glideA = g > 0.0f ? std::exp(-2.0f * 3.14159265358979f / (g * sampleRate * 0.001f)) : 0.0f;
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

    void releaseEnvelopes()
    {
        for (Envelope& envelope : env)
            envelope.gateOff();
    }

    // Block-rate update: waveforms, filter types, envelope coefficients, LFO set-up. Filled in
    // with the signal path.
    void updateBlock() {}
};

// The routing bucket of the OscRoute value; in routings 2 and 4 Env 2 drives a second amplifier.
inline int routeCode(float oscRoute)
{
    if (oscRoute < 0.2f)
        return 0;
    if (oscRoute < 0.4f)
        return 1;
    if (oscRoute < 0.6f)
        return 2;
    if (oscRoute < 0.8f)
        return 3;
    return 4;
}

inline bool usesSecondAmplifier(int route)
{
    return route == 2 || route == 4;
}

// A voice sounds until its amplifier envelopes have finished.
inline bool isSounding(const Voice& voice, int route)
{
    if (usesSecondAmplifier(route))
        return !voice.env[0].isIdle() || !voice.env[1].isIdle();
    return !voice.env[0].isIdle();
}

// A voice whose amplifier envelopes are all idle or releasing: its key has been let go.
inline bool isReleasing(const Voice& voice, int route)
{
    auto done = [](const Envelope& e) { return e.stage == EnvIdle || e.stage == EnvRelease; };
    if (usesSecondAmplifier(route))
        return done(voice.env[0]) && done(voice.env[1]);
    return done(voice.env[0]);
}
