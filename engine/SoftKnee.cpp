// Soft knee: a per-sample gain between 0.1 and 1.0 that pulls samples above
// full scale down, with a fast cubic attack and a release whose speed grows
// the longer it lasts. Intermediates in double, state stored as float.
#include <algorithm>
#include <cmath>

#include "engine/KneeStep.h"
#include "engine/Stages.h"

namespace {

// Width for the speed's low byte; values past "Fast" are taken as "Fast".
double kneeWidth(int32_t speed) { return kKneeWidths[std::min(speed & 0xFF, 2)]; }

// Target gain for one sample magnitude: (1 - y/B)^3 with y the excess over
// full scale, at most 6 and at most B.
double kneeTarget(float magnitude, double width) {
    double y = magnitude;
    if (!(y <= 7.0)) y = 7.0;
    if (y < 1.0) y = 1.0;
    y = std::min(y - 1.0, width);
    const double t = 1.0 - y / width;
    return t * t * t;
}

}  // namespace

void kneeBlock(ChannelState& ch, const float* samples, float* kneeGain, int32_t speed, int32_t enabled, int32_t n) {
    if (enabled != 1) {
        ch.kneeState = 1.0f;
        std::fill_n(kneeGain, std::max(n, 0), 1.0f);
        return;
    }
    const double width = kneeWidth(speed);
    float state = ch.kneeState;
    float rate = ch.kneeRate;
    for (int32_t i = 0; i < n; ++i) {
        const double target = kneeTarget(std::fabs(samples[i]), width);
        const double s = state;
        if (s > target) {
            rate = 0.02f;
            state = float(s - double(0.05f) * s * s * s * (s - target));
        } else {
            const double r = rate;
            rate = float(r + double(0.0008f));
            const double m = double(1.055f) - s;
            const double k = s + double(0.0003f) * r * m * m * m;
            const double k2 = k * k;
            state = float(k * (1.0 + double(0.000004f) * k2 * k2 * k));
            if (rate > 1.0f) rate = 1.0f;
        }
        state = std::clamp(state, 0.1f, 1.0f);
        kneeGain[i] = state;
    }
    ch.kneeState = state;
    ch.kneeRate = rate;
}
