// ADSR envelope of a voice.
#pragma once

#include <cstdint>

enum EnvStage : int32_t {
    EnvIdle = 0,
    EnvAttack = 2,
    EnvDecay = 3,
    EnvSustain = 4,
    EnvRelease = 5,
};

struct Envelope {
    int32_t stage = EnvIdle;
    float level = 0.0f;

    // A note start attacks from the current level.
    void gateOn() { stage = EnvAttack; }
    // Note release, all-notes-off and voice stealing: every running envelope releases.
    void gateOff()
    {
        if (stage != EnvIdle)
            stage = EnvRelease;
    }
    void reset()
    {
        stage = EnvIdle;
        level = 0.0f;
    }
    bool isIdle() const { return stage == EnvIdle; }
};
