// Denormal guard used by every stage: a value strictly inside ±2^-32 becomes
// exactly 0, which keeps filter states and gains out of the denormal range.
// Written once, for four float lanes; the scalar form is the same on a value in every lane.
#pragma once
#include <emmintrin.h>

constexpr float kFlushFloor = 0x1p-32f;

// Each lane's magnitude (the sign bit cleared).
[[gnu::always_inline]] inline __m128 magnitude4(__m128 v) {
    return _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)));
}

// Lanes strictly inside ±2^-32 become +0; NaN passes.
[[gnu::always_inline]] inline __m128 flush4(__m128 v) {
    return _mm_and_ps(v, _mm_cmpnlt_ps(magnitude4(v), _mm_set1_ps(kFlushFloor)));
}

[[gnu::always_inline]] inline float flush(float v) { return _mm_cvtss_f32(flush4(_mm_set1_ps(v))); }
