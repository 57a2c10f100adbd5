// A bound engine with its own program store and MIDI map, for tests that drive notes directly.
#pragma once

#include "engine/VoiceManager.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

struct RecordingWriter : ParameterWriter {
    std::vector<std::pair<int, float>> writes;
    void writeParameter(int index, float value) override { writes.emplace_back(index, value); }
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
    {
        engine.bind(writer, programs, midiMap, ignoreVelocity, tempo);
        set(Param::Poly, 1.0f);
        set(Param::GldAmt, 0.0f);
        set(Param::OscRoute, 0.0f);
        engine.setEngineSampleRate(44100.0f);
    }

    void set(int index, float value) { programs.current().set(index, value); }

    void send(int32_t kind, int note, int velocity = 100, int channel = 0)
    {
        MidiMessage message;
        message.kind = kind;
        message.channel = channel;
        message.data1 = note;
        message.data2 = velocity;
        engine.processNote(message);
    }
    void noteOn(int note, int velocity = 100, int channel = 0) { send(MidiNoteOn, note, velocity, channel); }
    void noteOff(int note, int channel = 0) { send(MidiNoteOff, note, 0, channel); }

    // Renders one block in runs of one frame.
    void renderBlock(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            float left = 0.0f, right = 0.0f;
            engine.renderFrames(&left, &right, frames, i, 1);
        }
        engine.clearEventQueue();
    }

    int32_t stage(int voice, int envelope = 0) const { return engine.voice(voice).env[envelope].stage; }

    // The index of the voice holding a note in its attack, or -1.
    int attackingVoiceOf(int note) const
    {
        for (int i = 0; i < kNumVoices; ++i)
            if (engine.voice(i).note.note == note && engine.voice(i).env[0].stage == EnvAttack)
                return i;
        return -1;
    }

    ProgramStore programs;
    MidiMap midiMap;
    std::atomic<bool> ignoreVelocity{false};
    TempoInfo tempo;
    RecordingWriter writer;
    VoiceManager engine;
};
