// The last stage of every frame: smoothed master volume and the output clip.
#pragma once

#include "Smoother.h"

constexpr float kOutputClip = 1.4142f;

// Clips to the output range; a sample that is not a number never reaches the host (it reads as
// silence).
inline float clipOutput(float x)
{
    if (!(x == x))
        return 0.0f;
    return x > kOutputClip ? kOutputClip : (x < -kOutputClip ? -kOutputClip : x);
}

inline void applyMasterStage(Smoother& volume, float target, float& left, float& right)
{
    // A volume that is not a number would stick in the smoother for good: it reads as 0.
    // Infinite volumes are held to a finite gain so silence times the gain stays silence.
    if (!(target == target))
        target = 0.0f;
    else if (target > 1e6f)
        target = 1e6f;
    else if (target < -1e6f)
        target = -1e6f;
    const float gain = volume.step(target);
    left = clipOutput(gain * left);
    right = clipOutput(gain * right);
}
