// Mid stage blocks, built from the per-sample steps.
#include "engine/MidStep.h"
#include "engine/Stages.h"

void midStage(ChannelState& ch, float* samples, float c, int32_t n) {
    MidRun mid(ch.midNotch, c);
    for (int32_t i = 0; i < n; ++i) samples[i] = mid.step(samples[i]);
}

void midStagePair(ChannelState& left, ChannelState& right, float* l, float* r, float c, int32_t n) {
    MidPair mid(left.midNotch, right.midNotch, c);
    for (int32_t i = 0; i < n; ++i) lanes::store(mid.step(lanes::load(l[i], r[i])), l + i, r + i);
}
