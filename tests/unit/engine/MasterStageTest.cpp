#include "engine/MasterStage.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MasterStage, FirstFrameAfterRateChangeTakesTheTargetAtOnce)
{
    Smoother volume;
    volume.setSampleRate(44100.0f);
    EXPECT_NEAR(volume.a, 0.99644f, 1e-5f);
    float left = 1.0f, right = -1.0f;
    applyMasterStage(volume, 0.5f, left, right);
    EXPECT_EQ(left, 0.5f);
    EXPECT_EQ(right, -0.5f);
}

TEST(MasterStage, GainGlidesTowardANewTarget)
{
    Smoother volume;
    volume.setSampleRate(44100.0f);
    float l = 1.0f, r = 1.0f;
    applyMasterStage(volume, 1.0f, l, r);
    l = r = 1.0f;
    applyMasterStage(volume, 0.0f, l, r);
    EXPECT_NEAR(l, volume.a, 1e-6f); // one step of the one-pole toward 0
    // After 40 ms the gain has fallen by about 1/e^(2*pi) of its swing.
    for (int i = 1; i < 1764; ++i) {
        l = r = 1.0f;
        applyMasterStage(volume, 0.0f, l, r);
    }
    EXPECT_NEAR(l, std::exp(-2.0f * 3.14159265f), 2e-4f);
}

TEST(MasterStage, ZeroVolumeEndsInExactSilence)
{
    Smoother volume;
    volume.setSampleRate(48000.0f);
    float l = 1.0f, r = 1.0f;
    applyMasterStage(volume, 1.0f, l, r);
    int frames = 0;
    do {
        l = r = 1.0f;
        applyMasterStage(volume, 0.0f, l, r);
        ++frames;
    } while (l != 0.0f && frames < 1000000);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(volume.value, 0.0f);
    EXPECT_LT(frames, 48000 * 2); // the flush below 1e-20 ends the tail in well under two seconds
}

TEST(MasterStage, OutputIsClippedAtPlusMinusSqrtTwo)
{
    Smoother volume;
    volume.setSampleRate(44100.0f);
    float l = 10.0f, r = -10.0f;
    applyMasterStage(volume, 1.0f, l, r);
    EXPECT_EQ(l, 1.4142f);
    EXPECT_EQ(r, -1.4142f);
    l = 1.2f;
    r = -1.3f;
    applyMasterStage(volume, 1.0f, l, r);
    EXPECT_EQ(l, 1.2f);
    EXPECT_EQ(r, -1.3f);
}
