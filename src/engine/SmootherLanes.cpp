#include "SmootherLanes.h"

#include <bit>
#include <cstdint>

namespace {

using Lanes = float __attribute__((vector_size(16)));

// N smoothers in (N + 3) / 4 vectors; N is known here so every lane index is a constant and
// the values stay in registers from frame to frame.
template <int N>
void stepLanes(Smoother* const* smoothers, const float* targets, float* const* out, int count)
{
    constexpr int groups = (N + 3) / 4;
    // Unused lanes step 0 toward 0 and stay 0.
    Lanes value[groups] = {}, a[groups] = {}, b[groups] = {}, target[groups] = {};
    for (int k = 0; k < N; ++k) {
        value[k / 4][k % 4] = smoothers[k]->value;
        a[k / 4][k % 4] = smoothers[k]->a;
        b[k / 4][k % 4] = smoothers[k]->b;
        target[k / 4][k % 4] = targets[k];
    }
    float* o[N];
    for (int k = 0; k < N; ++k)
        o[k] = out[k];
    // A settled smoother's step gives its value again bit for bit, so stepping every lane on
    // every frame matches step's early return.
    const Lanes tiny = {1e-20f, 1e-20f, 1e-20f, 1e-20f};
    const Lanes zero = {};
    Lanes before[groups] = {};
    for (int i = 0; i < count; ++i) {
        for (int g = 0; g < groups; ++g) {
            before[g] = value[g];
            const Lanes x = a[g] * value[g] + b[g] * target[g];
            value[g] = (x < tiny && x > -tiny) ? zero : x;
        }
#pragma GCC unroll 16
        for (int k = 0; k < N; ++k)
            o[k][i] = value[k / 4][k % 4];
    }
    for (int k = 0; k < N; ++k) {
        const float last = value[k / 4][k % 4];
        const float previous = before[k / 4][k % 4];
        smoothers[k]->value = last;
        smoothers[k]->noteLastStep(targets[k], std::bit_cast<uint32_t>(last) == std::bit_cast<uint32_t>(previous));
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
    if (count > 0)
        kSteppers[n](smoothers, targets, out, count);
}
