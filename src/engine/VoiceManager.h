// The synthesis engine of one instance: renders one stereo frame at a time.
#pragma once

#include "plugin/ProgramStore.h"
#include "plugin/TempoInfo.h"

class VoiceManager {
public:
    // Binds the engine to the values it plays and the tempo of the current block.
    void bind(const ProgramStore& programs, const TempoInfo& tempo);

    void setEngineSampleRate(float rate);
    void resetEngine();

    // Adds the engine's output for frame frameIndex of a frameCount-long host block.
    void renderFrame(float& left, float& right, int frameCount, int frameIndex);

    // Drops MIDI events still pending after a block.
    void clearEventQueue();

private:
    const ProgramStore* programs = nullptr;
    const TempoInfo* tempo = nullptr;
    float sampleRate = 44100.0f;
};
