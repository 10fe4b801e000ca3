// Soft knee: a per-sample gain between 0.1 and 1.0 that pulls samples above
// full scale down, with a fast cubic attack and a release whose speed grows
// the longer it lasts. Intermediates in double, state stored as float.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>

#include "engine/Stages.h"

namespace {

// Knee width by speed: "Slow", "Medium", "Fast".
constexpr float kKneeWidth[3] = {7.5f, 10.5f, 13.5f};

// Width for the speed's low byte; values past "Fast" are taken as "Fast".
double kneeWidth(int32_t speed) { return kKneeWidth[std::min(speed & 0xFF, 2)]; }

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

// Both channels at once: the same arithmetic as kneeBlock, one channel per
// SSE2 lane (doubles for the intermediates, floats for the stored state).
// Both branches are computed and each lane keeps its own, so every lane sees
// exactly the operations, order and roundings of the scalar loop.
void kneeBlockPair(ChannelState& left, ChannelState& right, const float* samplesLeft, const float* samplesRight,
                   int32_t speed, int32_t enabled, int32_t n) {
    if (enabled != 1) {
        kneeBlock(left, samplesLeft, left.kneeGain, speed, enabled, n);
        kneeBlock(right, samplesRight, right.kneeGain, speed, enabled, n);
        return;
    }
    const __m128d width = _mm_set1_pd(kneeWidth(speed));
    const __m128d one = _mm_set1_pd(1.0), seven = _mm_set1_pd(7.0);
    const __m128d attackScale = _mm_set1_pd(double(0.05f));
    const __m128d releaseScale = _mm_set1_pd(double(0.0003f)), releaseAim = _mm_set1_pd(double(1.055f));
    const __m128d overshoot = _mm_set1_pd(double(0.000004f)), rateStep = _mm_set1_pd(double(0.0008f));
    const __m128 floorGain = _mm_set1_ps(0.1f), oneF = _mm_set1_ps(1.0f), attackRate = _mm_set1_ps(0.02f);
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    // Lanes 0 and 1 hold left and right; the upper float lanes are unused.
    __m128 state = _mm_setr_ps(left.kneeState, right.kneeState, 1.0f, 1.0f);
    __m128 rate = _mm_setr_ps(left.kneeRate, right.kneeRate, 0.0f, 0.0f);
    float* gainLeft = left.kneeGain;
    float* gainRight = right.kneeGain;
    for (int32_t i = 0; i < n; ++i) {
        // Target gain (1 - y/B)^3 with y = min(clamp(|x|, 1, 7) - 1, B).
        const __m128 x = _mm_and_ps(_mm_setr_ps(samplesLeft[i], samplesRight[i], 0.0f, 0.0f), absMask);
        __m128d y = _mm_min_pd(_mm_cvtps_pd(x), seven);  // NaN reads as 7, as !(y <= 7) does
        y = _mm_max_pd(y, one);
        y = _mm_min_pd(_mm_sub_pd(y, one), width);
        const __m128d t = _mm_sub_pd(one, _mm_div_pd(y, width));
        const __m128d target = _mm_mul_pd(_mm_mul_pd(t, t), t);

        const __m128d s = _mm_cvtps_pd(state);
        const __m128d attack = _mm_cmpgt_pd(s, target);
        // Attack: s - 0.05 s^3 (s - target).
        const __m128d pull = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_mul_pd(attackScale, s), s), s), _mm_sub_pd(s, target));
        const __m128d attacked = _mm_sub_pd(s, pull);
        // Release: k = s + 0.0003 r m^3, then k (1 + 0.000004 k^5).
        const __m128d r = _mm_cvtps_pd(rate);
        const __m128d m = _mm_sub_pd(releaseAim, s);
        const __m128d k = _mm_add_pd(s, _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_mul_pd(releaseScale, r), m), m), m));
        const __m128d k2 = _mm_mul_pd(k, k);
        const __m128d lift = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(overshoot, k2), k2), k);
        const __m128d released = _mm_mul_pd(k, _mm_add_pd(one, lift));
        const __m128d chosen = _mm_or_pd(_mm_and_pd(attack, attacked), _mm_andnot_pd(attack, released));

        const __m128 grown = _mm_min_ps(oneF, _mm_cvtpd_ps(_mm_add_pd(r, rateStep)));  // rate > 1 becomes 1
        // The double masks cover float lanes 0-1 and 2-3; lanes 0 and 2 give left and right.
        const __m128 attackF = _mm_castpd_ps(attack);
        const __m128 laneAttack = _mm_shuffle_ps(attackF, attackF, _MM_SHUFFLE(3, 2, 2, 0));
        rate = _mm_or_ps(_mm_and_ps(laneAttack, attackRate), _mm_andnot_ps(laneAttack, grown));
        // clamp(state, 0.1, 1): below 0.1 becomes 0.1, above 1 becomes 1, NaN stays.
        state = _mm_min_ps(oneF, _mm_max_ps(floorGain, _mm_cvtpd_ps(chosen)));
        _mm_store_ss(gainLeft + i, state);
        _mm_store_ss(gainRight + i, _mm_shuffle_ps(state, state, _MM_SHUFFLE(1, 1, 1, 1)));
    }
    left.kneeState = _mm_cvtss_f32(state);
    right.kneeState = _mm_cvtss_f32(_mm_shuffle_ps(state, state, _MM_SHUFFLE(1, 1, 1, 1)));
    left.kneeRate = _mm_cvtss_f32(rate);
    right.kneeRate = _mm_cvtss_f32(_mm_shuffle_ps(rate, rate, _MM_SHUFFLE(1, 1, 1, 1)));
}
