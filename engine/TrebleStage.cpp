// Treble stage blocks, built from the per-sample steps.
#include "engine/Stages.h"
#include "engine/StepLoop.h"
#include "engine/TrebleStep.h"

void trebleStage(HighPassSection& s, float& follow, float* samples, float hiBoost, float trebleMix, int32_t n) {
    TrebleRun treble(s, follow, hiBoost, trebleMix);
    runSteps(samples, n, treble);
}

void trebleStagePair(HighPassSection (&s)[2], float (&follow)[2], float* left, float* right, float hiBoost,
                     float trebleMix, int32_t n) {
    TreblePair treble(s[0], s[1], follow[0], follow[1], hiBoost, trebleMix);
    runStepsPair(left, right, n, treble);
}
