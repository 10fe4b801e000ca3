// Guard for stage outputs and filter states: a value within ±2^-32 flushes to
// 0 as everywhere, and a non-finite value (an overflow caused by an absurdly
// large input) becomes 0 too, so it can neither reach the next stage nor stay
// in a filter state for good. Written once for a vector of float lanes of any
// width (see Flush.h); the scalar forms are the same on a value in every lane.
#pragma once
#include <emmintrin.h>

#include <cmath>

#include "engine/Flush.h"

// Non-finite lanes become +0.
template <typename V>
[[gnu::always_inline]] inline V finiteOrZeroLanes(V v) {
    return V(lanebits::Bits<V>(v) & (magnitudes(v) < INFINITY));
}

// Non-finite lanes and lanes strictly inside ±2^-32 become +0.
template <typename V>
[[gnu::always_inline]] inline V settleLanes(V v) {
    const V a = magnitudes(v);
    return V(lanebits::Bits<V>(v) & ((a >= kFlushFloor) & (a < INFINITY)));
}

[[gnu::always_inline]] inline float finiteOrZero(float v) { return _mm_cvtss_f32(finiteOrZeroLanes(_mm_set1_ps(v))); }
[[gnu::always_inline]] inline float settle(float v) { return _mm_cvtss_f32(settleLanes(_mm_set1_ps(v))); }
