// Bass stage blocks, built from the per-sample steps.
#include "engine/BassStep.h"
#include "engine/Stages.h"

void bassStage(ChannelState& ch, float* samples, float c, int32_t n) {
    BassRun bass(ch.bassHighPass, c);
    for (int32_t i = 0; i < n; ++i) samples[i] = bass.step(samples[i]);
}

void bassStagePair(ChannelState& left, ChannelState& right, float* l, float* r, float c, int32_t n) {
    BassPair bass(left.bassHighPass, right.bassHighPass, c);
    for (int32_t i = 0; i < n; ++i) lanes::store(bass.step(lanes::load(l[i], r[i])), l + i, r + i);
}
