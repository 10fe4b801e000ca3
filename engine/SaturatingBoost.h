// The saturating boost law shared by the bass and body stages: a gain of
// about 0.9 + k on quiet values that falls as the value grows, with a fold
// term that bends the curve near full scale. Carried in double.
#pragma once
#include <cmath>

#include "engine/PairLanes.h"

inline double saturatingBoost(double v, double k, double fold) {
    const double a = std::fabs(v);
    double h = v * (0.9f + k * (1.0 - a));
    // Never push a value further out than it already is.
    if (v > 0.0 && a * h > v) h = v;
    if (v < 0.0 && a * h < v) h = v;
    const double o = std::fabs(a - std::fabs(fold * h));
    return h * (1.0 - o * (1.0 - a) * a * a);
}

// The same law on two lanes; both guards are evaluated and each lane takes
// its own (at most one of them holds for a lane).
[[gnu::always_inline]] inline __m128d saturatingBoost(__m128d v, __m128d k, __m128d fold) {
    const __m128d one = _mm_set1_pd(1.0), zero = _mm_setzero_pd();
    const __m128d a = lanes::abs(v);
    const __m128d oneLessA = _mm_sub_pd(one, a);
    __m128d h = _mm_mul_pd(v, _mm_add_pd(_mm_set1_pd(0.9f), _mm_mul_pd(k, oneLessA)));
    const __m128d ah = _mm_mul_pd(a, h);
    const __m128d out = _mm_or_pd(_mm_and_pd(_mm_cmpgt_pd(v, zero), _mm_cmpgt_pd(ah, v)),
                                  _mm_and_pd(_mm_cmplt_pd(v, zero), _mm_cmplt_pd(ah, v)));
    h = lanes::select(out, v, h);
    const __m128d o = lanes::abs(_mm_sub_pd(a, lanes::abs(_mm_mul_pd(fold, h))));
    return _mm_mul_pd(h, _mm_sub_pd(one, _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(o, oneLessA), a), a)));
}
