#include "SmootherLanes.h"

#include "DspMath.h"

#include <bit>
#include <cstdint>
#include <xmmintrin.h>

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
    alignas(16) float value[groups][4] = {}, a[groups][4] = {}, bTarget[groups][4] = {};
    for (int k = 0; k < N; ++k) {
        value[k / 4][k % 4] = smoothers[k]->value;
        a[k / 4][k % 4] = smoothers[k]->a;
        bTarget[k / 4][k % 4] = smoothers[k]->b * targets[k];
    }
    __m128 v[groups], va[groups], vb[groups];
    for (int g = 0; g < groups; ++g) {
        v[g] = _mm_load_ps(value[g]);
        va[g] = _mm_load_ps(a[g]);
        vb[g] = _mm_load_ps(bTarget[g]);
    }
    const __m128 tiny = _mm_set1_ps(kTinyMagnitude);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    alignas(16) float history[kChunk + 1][groups][4];
    float previous[N];
    for (int k = 0; k < N; ++k)
        previous[k] = value[k / 4][k % 4];
    for (int done = 0; done < count; done += kChunk) {
        const int n = count - done < kChunk ? count - done : kChunk;
        for (int i = 0; i < n; ++i)
            for (int g = 0; g < groups; ++g) {
                // A settled smoother's step gives its value again bit for bit, so stepping
                // every lane on every frame matches step's early return.
                const __m128 x = _mm_add_ps(_mm_mul_ps(va[g], v[g]), vb[g]);
                v[g] = _mm_andnot_ps(_mm_cmplt_ps(_mm_and_ps(x, magnitude), tiny), x);
                _mm_store_ps(history[i][g], v[g]);
            }
        for (int g = 0; g < groups; ++g) {
            int i = 0;
            for (; i + 4 <= n; i += 4) {
                __m128 r0 = _mm_load_ps(history[i][g]), r1 = _mm_load_ps(history[i + 1][g]);
                __m128 r2 = _mm_load_ps(history[i + 2][g]), r3 = _mm_load_ps(history[i + 3][g]);
                _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
                const __m128 rows[4] = {r0, r1, r2, r3};
                for (int lane = 0; lane < 4 && g * 4 + lane < N; ++lane)
                    _mm_storeu_ps(out[g * 4 + lane] + done + i, rows[lane]);
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
