// Body stage blocks, built from the per-sample steps.
#include "engine/BodyStep.h"
#include "engine/Stages.h"

void bodyStage(float* samples, float amount, int32_t n) {
    const BodyRun body(amount);
    for (int32_t i = 0; i < n; ++i) samples[i] = body.step(samples[i]);
}

void bodyStagePair(float* left, float* right, float amount, int32_t n) {
    const BodyPair body(amount);
    for (int32_t i = 0; i < n; ++i) lanes::store(body.step(lanes::load(left[i], right[i])), left + i, right + i);
}
