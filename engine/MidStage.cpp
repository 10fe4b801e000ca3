// Mid stage: a notch at Mid Freq; the band it removes, r = x - notch(x),
// is scaled by g = 2c (silent at 0, unchanged at 0.5, doubled at 1). The
// notch output is clamped to full scale for the split but kept whole as state.
#include <algorithm>

#include "engine/Settle.h"
#include "engine/Stages.h"

void midStage(ChannelState& ch, float* samples, float c, int32_t n) {
    NotchSection& s = ch.midNotch;
    const double b0 = s.b0, b1 = s.b1, a1 = s.a1, a2 = s.a2;
    // The factors 2c and (c - 0.5) * 2 are floats; the + 1 is carried in double.
    const double g = c > 0.5f ? double((c - 0.5f) * 2.0f) + 1.0 : double(2.0f * c);
    float x1 = s.x1, x2 = s.x2, y1 = s.y1, y2 = s.y2;
    float x = s.x;
    for (int32_t i = 0; i < n; ++i) {
        x = samples[i];
        const double notch = b0 * (static_cast<double>(x) + x2) + b1 * x1 - a1 * y1 - a2 * y2 + 1e-25;
        const float o = finiteOrZero(static_cast<float>(notch));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = o;
        const float oc = std::clamp(o, -1.0f, 1.0f);
        const float r = static_cast<float>(static_cast<double>(x) - oc);
        const double p = static_cast<double>(x) - r;
        samples[i] = settle(static_cast<float>(static_cast<double>(flush(r)) * g + p));
    }
    s.x2 = x2;
    s.x1 = x1;
    s.x = x;
    s.y2 = y2;
    s.y1 = y1;
}
