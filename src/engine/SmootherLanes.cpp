#include "SmootherLanes.h"

#include "FourLanes.h"

#include <bit>
#include <cstdint>

namespace {

constexpr int kChunk = 64;

// N smoothers in (N + 3) / 4 vectors; N is known here so every lane index is a constant and
// the values stay in registers from frame to frame. Each step's vectors go to a history in
// frame order, turned into the per-smoother outputs four frames at a time afterwards.
template <int N>
void stepLanes(Smoother* const* smoothers, const float* targets, float* const* out, int count)
{
    constexpr int groups = (N + 3) / 4;
    // Unused lanes step 0 toward 0 and stay 0. b * target is the same product on every step.
    FourFloats v[groups] = {}, va[groups] = {}, vb[groups] = {};
    for (int k = 0; k < N; ++k) {
        v[k / 4][k % 4] = smoothers[k]->value;
        va[k / 4][k % 4] = smoothers[k]->a;
        vb[k / 4][k % 4] = smoothers[k]->b * targets[k];
    }
    FourFloats history[kChunk + 1][groups];
    float previous[N];
    for (int k = 0; k < N; ++k)
        previous[k] = v[k / 4][k % 4];
    for (int done = 0; done < count; done += kChunk) {
        const int n = count - done < kChunk ? count - done : kChunk;
        for (int i = 0; i < n; ++i)
            for (int g = 0; g < groups; ++g) {
                // A settled smoother's step gives its value again bit for bit, so stepping
                // every lane on every frame matches step's early return.
                v[g] = flushTiny(va[g] * v[g] + vb[g]);
                history[i][g] = v[g];
            }
        for (int g = 0; g < groups; ++g) {
            int i = 0;
            for (; i + 4 <= n; i += 4) {
                FourFloats rows[4] = {history[i][g], history[i + 1][g], history[i + 2][g], history[i + 3][g]};
                transposeFour(rows);
                for (int lane = 0; lane < 4 && g * 4 + lane < N; ++lane)
                    storeFour(out[g * 4 + lane] + done + i, rows[lane]);
            }
            for (; i < n; ++i)
                for (int lane = 0; lane < 4 && g * 4 + lane < N; ++lane)
                    out[g * 4 + lane][done + i] = history[i][g][lane];
        }
        if (n >= 2)
            for (int k = 0; k < N; ++k)
                previous[k] = history[n - 2][k / 4][k % 4];
        else if (done > 0)
            for (int k = 0; k < N; ++k)
                previous[k] = out[k][done - 1];
    }
    for (int k = 0; k < N; ++k) {
        const float last = out[k][count - 1];
        smoothers[k]->value = last;
        smoothers[k]->noteLastStep(targets[k], std::bit_cast<uint32_t>(last) == std::bit_cast<uint32_t>(previous[k]));
    }
}

using LaneStepper = void (*)(Smoother* const*, const float*, float* const*, int);
constexpr LaneStepper kSteppers[kMaxSmootherLanes + 1] = {
    nullptr,       stepLanes<1>,  stepLanes<2>,  stepLanes<3>,  stepLanes<4>,  stepLanes<5>,
    stepLanes<6>,  stepLanes<7>,  stepLanes<8>,  stepLanes<9>,  stepLanes<10>, stepLanes<11>,
    stepLanes<12>, stepLanes<13>, stepLanes<14>, stepLanes<15>, stepLanes<16>,
};

} // namespace

void stepSmoothersTogether(Smoother* const* smoothers, const float* targets, float* const* out, int n, int count)
{
    bool anyJump = false, allSettled = true;
    for (int k = 0; k < n; ++k) {
        anyJump = anyJump || smoothers[k]->jump;
        allSettled = allSettled && smoothers[k]->settledOn(targets[k]);
    }
    // A jump takes the target on the first step; that rare case keeps the plain steps, and so
    // do settled smoothers, whose steps are a fill.
    if (anyJump || allSettled || n < 1 || n > kMaxSmootherLanes) {
        for (int k = 0; k < n; ++k)
            smoothers[k]->stepRun(targets[k], out[k], count);
        return;
    }
    if (count <= 0)
        return;
    // Settled ones are a fill; only the moving ones take lanes.
    Smoother* moving[kMaxSmootherLanes];
    float movingTargets[kMaxSmootherLanes];
    float* movingOut[kMaxSmootherLanes];
    int lanes = 0;
    for (int k = 0; k < n; ++k) {
        if (smoothers[k]->settledOn(targets[k])) {
            smoothers[k]->stepRun(targets[k], out[k], count);
            continue;
        }
        moving[lanes] = smoothers[k];
        movingTargets[lanes] = targets[k];
        movingOut[lanes] = out[k];
        ++lanes;
    }
    kSteppers[lanes](moving, movingTargets, movingOut, count);
}
