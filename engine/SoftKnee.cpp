// Soft knee of one channel: the mono path, the knee's one definition
// (KneeStep.h) at width one. Switched off, every gain is 1.0.
#include <algorithm>

#include "engine/KneeStep.h"
#include "engine/Stages.h"

void kneeBlock(ChannelState& ch, const float* samples, float* kneeGain, int32_t speed, int32_t enabled, int32_t n) {
    if (enabled != 1) {
        kneeAtRest(ch);
        std::fill_n(kneeGain, std::max(n, 0), 1.0f);
        return;
    }
    kneeRun<lanes::One>({&ch}, {samples}, {kneeGain}, speed, n);
}
