// The engine's sound written plainly: frame by frame, voice after voice, every control stepped
// on every frame, no caches, no segments and no vector lanes. It reads as the definition of the
// sound, and the engine's block rendering is held to it bit for bit.
#pragma once

#include "engine/VoiceManager.h"

struct ReferenceRender {
    // Adds the engine's output for frame frameIndex of a frameCount-long host block.
    static void renderFrame(VoiceManager& engine, float& left, float& right, int frameCount, int frameIndex);

    // One frame of one voice, added to the two amplifier buses.
    static void renderVoice(Voice& voice, float* amp1, float* amp2, const MidiControllerState& midi,
                            const FrameControls& c);

private:
    static void renderSide(Voice& voice, int side, const FrameControls::Side& c, float bend, float semisFromA4,
                           float reference, bool controlFrame, float& left, float& right);
    static void route(Voice& voice, const float* sideL, const float* sideR, float semisFromA4, const FrameControls& c,
                      float* amp1, float* amp2);
    static void effects(VoiceManager& engine, const ProgramRecord& p, float* amp1, float* amp2, float& left,
                        float& right);
};
