// Treble stage blocks, built from the per-sample steps.
#include "engine/MaximizerEffect.h"
#include "engine/Stages.h"
#include "engine/TrebleStep.h"

void trebleStage(HighPassSection& s, float& follow, float* samples, float hiBoost, float trebleMix, int32_t n) {
    TrebleRun treble(s, follow, hiBoost, trebleMix);
    for (int32_t i = 0; i < n; ++i) samples[i] = treble.step(samples[i]);
}

void trebleStagePair(HighPassSection (&s)[2], float (&follow)[2], float* left, float* right, float hiBoost,
                     float trebleMix, int32_t n) {
    TreblePair treble(s[0], s[1], follow[0], follow[1], hiBoost, trebleMix);
    for (int32_t i = 0; i < n; ++i) lanes::store(treble.step(lanes::load(left[i], right[i])), left + i, right + i);
}

void MaximizerEffect::trebleStagePair() {
    ::trebleStagePair(trebleHighPass, trebleFollow, workBuffer[0], workBuffer[1], paramValue[kHiBoost], trebleMix,
                      blockFrames);
}

void MaximizerEffect::trebleStage(int c) {
    ::trebleStage(trebleHighPass[c], trebleFollow[c], workBuffer[c], paramValue[kHiBoost], trebleMix, blockFrames);
}
