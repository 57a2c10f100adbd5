// The last stage of every frame: smoothed master volume and the output clip.
#pragma once

#include "Smoother.h"

constexpr float kOutputClip = 1.4142f;

inline float clipOutput(float x)
{
    return x > kOutputClip ? kOutputClip : (x < -kOutputClip ? -kOutputClip : x);
}

inline void applyMasterStage(Smoother& volume, float target, float& left, float& right)
{
    const float gain = volume.step(target);
    left = clipOutput(gain * left);
    right = clipOutput(gain * right);
}
