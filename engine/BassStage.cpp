// Bass stage: a high-pass at Bass Freq splits off the low band D = x - B;
// c below 0.5 scales the band down to silence, above 0.5 it is blended with
// its saturating boost.
#include "engine/SaturatingBoost.h"
#include "engine/Settle.h"
#include "engine/Stages.h"

void bassStage(ChannelState& ch, float* samples, float c, int32_t n) {
    HighPassSection& s = ch.bassHighPass;
    const double b0 = s.b0, b1 = s.b1, b2 = s.b2, a1 = s.a1, a2 = s.a2;
    const bool boost = c > 0.5f;
    const float cut = 2.0f * c;
    const float d = (c - 0.5f) * 2.0f;
    float x1 = s.x1, x2 = s.x2, y1 = s.y1, y2 = s.y2;
    float x = s.x, y = s.y;
    for (int32_t i = 0; i < n; ++i) {
        x = samples[i];
        y = settle(static_cast<float>(b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        const double low = static_cast<double>(x) - y;
        if (!boost)
            samples[i] = finiteOrZero(static_cast<float>(y + cut * low));
        else
            samples[i] = settle(static_cast<float>(y + d * saturatingBoost(low, d, 1.0) + (1.0 - d) * low));
    }
    s.x2 = x2;
    s.x1 = x1;
    s.x = x;
    s.y2 = y2;
    s.y1 = y1;
    s.y = y;
}
