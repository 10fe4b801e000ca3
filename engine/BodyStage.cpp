// Body stage blocks, built from the per-sample steps.
#include "engine/BodyStep.h"
#include "engine/Stages.h"
#include "engine/StepLoop.h"

void bodyStage(float* samples, float amount, int32_t n) {
    const BodyRun body(amount);
    runSteps(samples, n, body);
}

void bodyStagePair(float* left, float* right, float amount, int32_t n) {
    const BodyPair body(amount);
    runStepsPair(left, right, n, body);
}
