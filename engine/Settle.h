// Guard for stage outputs and filter states: a value within ±2^-32 flushes to
// 0 as everywhere, and a non-finite value (an overflow caused by an absurdly
// large input) becomes 0 too, so it can neither reach the next stage nor stay
// in a filter state for good. Written once, for four float lanes; the scalar
// forms are the same on a value in every lane.
#pragma once
#include <emmintrin.h>

#include <cmath>

#include "engine/Flush.h"

// Non-finite lanes become +0.
[[gnu::always_inline]] inline __m128 finiteOrZero4(__m128 v) {
    return _mm_and_ps(v, _mm_cmplt_ps(magnitude4(v), _mm_set1_ps(INFINITY)));
}

// Non-finite lanes and lanes strictly inside ±2^-32 become +0.
[[gnu::always_inline]] inline __m128 settle4(__m128 v) {
    const __m128 a = magnitude4(v);
    return _mm_and_ps(v, _mm_and_ps(_mm_cmpge_ps(a, _mm_set1_ps(kFlushFloor)), _mm_cmplt_ps(a, _mm_set1_ps(INFINITY))));
}

[[gnu::always_inline]] inline float finiteOrZero(float v) { return _mm_cvtss_f32(finiteOrZero4(_mm_set1_ps(v))); }
[[gnu::always_inline]] inline float settle(float v) { return _mm_cvtss_f32(settle4(_mm_set1_ps(v))); }
