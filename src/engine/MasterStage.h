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

inline float safeMasterTarget(float target)
{
    // A volume that is not a number would stick in the smoother for good: it reads as 0.
    // Infinite volumes are held to a finite gain so silence times the gain stays silence.
    if (!(target == target))
        return 0.0f;
    return target > 1e6f ? 1e6f : (target < -1e6f ? -1e6f : target);
}

// One frame of the master stage.
inline void applyMasterStage(Smoother& volume, float target, float& left, float& right)
{
    const float gain = volume.step(safeMasterTarget(target));
    left = clipOutput(gain * left);
    right = clipOutput(gain * right);
}

// The master stage over frames, in frame order, with one volume target for all of them.
inline void applyMasterStage(Smoother& volume, float target, float* left, float* right, int frames)
{
    target = safeMasterTarget(target);
    for (int i = 0; i < frames; ++i)
        applyMasterStage(volume, target, left[i], right[i]);
}
