// Asleep effects skip their line work on silent input; whatever stretch of silence a host's
// block layout hands them, they must come back sounding exactly as if they had run through it.
#include "engine/EffectsReverb.h"
#include "engine/PingPongDelay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

namespace {

// Plays an impulse, lets it fade for `quiet` frames while the controls move at `change`, in
// stretches of `chunk` frames (0: frame by frame through process()), then plays a second
// impulse; returns everything heard.
std::vector<float> delayStory(int chunk, int quiet, int change)
{
    PingPongDelay delay;
    delay.resetEngine();
    delay.beginBlock(20.0f, false);
    DelayTargets targets{0.5f, 0.4f, 0.3f, 0.7f};
    std::vector<float> heard;
    auto play = [&](float in) {
        float l = in, r = 0.0f, l2 = in, r2 = 0.0f;
        delay.process(l, r, l2, r2, true, targets);
        heard.insert(heard.end(), {l, r, l2, r2});
    };
    play(1.0f);
    for (int done = 1; done < quiet;) {
        if (done >= change) {
            targets.cutoff = 0.8f; // the tone filters retune while asleep
            targets.mix = 0.9f;
        }
        const int n = chunk == 0 ? 1 : std::min({chunk, quiet - done, done < change ? change - done : chunk});
        if (chunk == 0 || !delay.asleep(true))
            for (int i = 0; i < n; ++i)
                play(0.0f);
        else
            delay.idle(n, true, targets);
        done += n;
    }
    EXPECT_TRUE(delay.asleep(true));
    play(1.0f);
    for (int i = 0; i < 4000; ++i)
        play(0.0f);
    return std::vector<float>(heard.end() - 4 * 4001, heard.end());
}

std::vector<float> reverbStory(int chunk, int quiet, int change)
{
    EffectsReverb reverb;
    reverb.resetEngine();
    std::vector<float> heard;
    float mix = 0.5f;
    auto play = [&](float in) {
        float l = in, r = in;
        reverb.process(l, r, mix);
        heard.insert(heard.end(), {l, r});
    };
    const ReverbSettings settings{5.0f, 0.3f, 0.8f, 0.6f, 0.8f};
    reverb.beginBlock(settings, 512);
    play(1.0f);
    for (int done = 1; done < quiet;) {
        if (done >= change)
            mix = 0.8f;
        const int n = chunk == 0 ? 1 : std::min({chunk, quiet - done, done < change ? change - done : chunk});
        if (chunk == 0 || !reverb.asleep())
            for (int i = 0; i < n; ++i)
                play(0.0f);
        else
            reverb.idle(n, mix);
        done += n;
    }
    EXPECT_TRUE(reverb.asleep());
    reverb.beginBlock(ReverbSettings{20.0f, 0.3f, 0.8f, 0.6f, 0.8f}, 300);
    play(1.0f);
    for (int i = 0; i < 6000; ++i)
        play(0.0f);
    return std::vector<float>(heard.end() - 2 * 6001, heard.end());
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::bit_cast<uint32_t>(a[i]) != std::bit_cast<uint32_t>(b[i]))
            return false;
    return true;
}

} // namespace

TEST(EffectsSleep, IdleStretchesMatchFrameByFrameSilence)
{
    // Chunk lengths around the tone filters' refresh period and the reverb's ramp period;
    // controls that settle long before the second impulse, and ones still gliding into it.
    const int delayChange[] = {30000, 119990};
    for (int change : delayChange) {
        const std::vector<float> reference = delayStory(0, 120000, change);
        double energy = 0.0;
        for (float x : reference)
            energy += double(x) * x;
        ASSERT_GT(energy, 0.1);
        for (int chunk : {1, 43, 128, 129, 4096})
            EXPECT_TRUE(sameBits(reference, delayStory(chunk, 120000, change))) << chunk << " " << change;
    }
    for (int change : {100000, 219990}) {
        const std::vector<float> reference = reverbStory(0, 220000, change);
        for (int chunk : {1, 44, 45, 4096})
            EXPECT_TRUE(sameBits(reference, reverbStory(chunk, 220000, change))) << chunk << " " << change;
    }
}
