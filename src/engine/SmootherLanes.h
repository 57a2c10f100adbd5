// Several smoothers stepped together, so their chains of dependent steps overlap.
#pragma once

#include "Smoother.h"

// Two sides' six smoothers and two filter units' cutoff and resonance.
constexpr int kMaxSmootherLanes = 16;

// Up to kMaxSmootherLanes smoothers, each toward its own fixed target, count steps each, the
// values of smoother k into out[k]. The arithmetic of Smoother::step runs lane by lane in
// vector registers, so every value is bit for bit what stepRun would give.
void stepSmoothersTogether(Smoother* const* smoothers, const float* targets, float* const* out, int n, int count);
