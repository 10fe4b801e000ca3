// Mid stage blocks, built from the per-sample steps.
#include "engine/MidStep.h"
#include "engine/Stages.h"
#include "engine/StepLoop.h"

void midStage(ChannelState& ch, float* samples, float c, int32_t n) {
    MidRun mid(ch.midNotch, c);
    runSteps(samples, n, mid);
}

void midStagePair(ChannelState& left, ChannelState& right, float* l, float* r, float c, int32_t n) {
    MidPair mid(left.midNotch, right.midNotch, c);
    runStepsPair(l, r, n, mid);
}
