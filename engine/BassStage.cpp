// Bass stage: a high-pass at Bass Freq splits off the low band D = x - B;
// c below 0.5 scales the band down to silence, above 0.5 it is blended with
// its saturating boost.
#include "engine/HighPassRun.h"
#include "engine/SaturatingBoost.h"
#include "engine/Settle.h"
#include "engine/Stages.h"

void bassStage(ChannelState& ch, float* samples, float c, int32_t n) {
    HighPassRun highPass(ch.bassHighPass);
    const bool boost = c > 0.5f;
    const float cut = 2.0f * c;
    const float d = (c - 0.5f) * 2.0f;
    for (int32_t i = 0; i < n; ++i) {
        const float x = samples[i];
        const float y = highPass.step(x);
        const double low = static_cast<double>(x) - y;
        if (!boost)
            samples[i] = finiteOrZero(static_cast<float>(y + cut * low));
        else
            samples[i] = settle(static_cast<float>(y + d * saturatingBoost(low, d, 1.0) + (1.0 - d) * low));
    }
}
