// Treble stage: a high-pass at Treble Freq splits the signal into the band
// above it (clamped to full scale) and the rest. Below the neutral 141 the
// band is scaled down; above it, the band is mixed with a follower-tracked
// copy whose lag emphasises fast changes.
#include <algorithm>
#include <cmath>

#include "engine/MaximizerEffect.h"
#include "engine/Settle.h"
#include "engine/Stages.h"

void trebleStage(HighPassSection& s, float& follow, float* samples, float hiBoost, float trebleMix, int32_t n) {
    const double b0 = s.b0, b1 = s.b1, b2 = s.b2, a1 = s.a1, a2 = s.a2;
    const bool boost = hiBoost > 141.0f;
    const float cut = hiBoost * (1.0f / 141.0f);
    const double m = trebleMix;
    float x1 = s.x1, x2 = s.x2, y1 = s.y1, y2 = s.y2;
    float x = s.x, d = s.y;
    float f = follow;
    for (int32_t i = 0; i < n; ++i) {
        x = samples[i];
        d = settle(static_cast<float>(b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = d;
        const double e = static_cast<double>(x) - d;
        const double t = std::clamp(d, -1.0f, 1.0f);
        if (!boost) {
            samples[i] = finiteOrZero(static_cast<float>(e + cut * t));
            continue;
        }
        const double tracked = std::clamp(1e-10 - f, -1.0, 1.0);
        const double w = std::fabs(t - f);
        const double E = std::fabs(w * t + 1e-10);
        const double diff = t - tracked;
        if (diff != 0.0) {
            const double step = 0.03f * std::fabs(diff + 1e-10) * 39.4f * (1.0 - E) + 1e-10;
            const double moved = diff > 0.0 ? f - step : f + step;
            f = static_cast<float>(std::clamp(moved, -1.0, 1.0));
        }
        samples[i] = settle(static_cast<float>(e + tracked * m + t * (1.0 - m)));
    }
    s.x2 = x2;
    s.x1 = x1;
    s.x = x;
    s.y2 = y2;
    s.y1 = y1;
    s.y = d;
    follow = f;
}

void MaximizerEffect::trebleStage(int c) {
    ::trebleStage(trebleHighPass[c], trebleFollow[c], workBuffer[c], paramValue[kHiBoost], trebleMix, blockFrames);
}
