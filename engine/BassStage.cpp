// Bass stage blocks, built from the per-sample steps.
#include "engine/BassStep.h"
#include "engine/Stages.h"
#include "engine/StepLoop.h"

void bassStage(ChannelState& ch, float* samples, float c, int32_t n) {
    BassRun bass(ch.bassHighPass, c);
    runSteps(samples, n, bass);
}

void bassStagePair(ChannelState& left, ChannelState& right, float* l, float* r, float c, int32_t n) {
    BassPair bass(left.bassHighPass, right.bassHighPass, c);
    runStepsPair(l, r, n, bass);
}
