// Two channels side by side in the double lanes of an SSE2 register, for the
// stages that carry each channel's samples in double. Every helper does what
// the scalar expression named beside it does, lane by lane, bit for bit.
#pragma once
#include <emmintrin.h>

#include <cmath>

#include "engine/BlockOps.h"
#include "engine/SimdArch.h"

namespace lanes {

// A sample of each channel in float lanes 0 and 1, and back.
[[gnu::always_inline]] inline __m128 load(float l, float r) { return _mm_setr_ps(l, r, 0.0f, 0.0f); }

[[gnu::always_inline]] inline void store(__m128 v, float* l, float* r) {
    _mm_store_ss(l, v);
    _mm_store_ss(r, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
}

// Lanes 0 and 1 of a float vector widened to double.
[[gnu::always_inline]] inline __m128d widen(__m128 v) { return _mm_cvtps_pd(v); }

// Two floats widened to double, left in lane 0 and right in lane 1.
[[gnu::always_inline]] inline __m128d pair(float l, float r) { return widen(load(l, r)); }

// static_cast<float> of each lane (rounded as the scalar cast rounds).
[[gnu::always_inline]] inline __m128 narrow(__m128d v) { return _mm_cvtpd_ps(v); }

// Each lane of a double vector that holds float values, back to its floats.
[[gnu::always_inline]] inline void split(__m128d v, float& l, float& r) {
    float out[4];
    _mm_storeu_ps(out, _mm_cvtpd_ps(v));
    l = out[0];
    r = out[1];
}

// mask ? yes : no, per lane.
[[gnu::always_inline]] inline __m128d select(__m128d mask, __m128d yes, __m128d no) {
    return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
}

// std::fabs
[[gnu::always_inline]] inline __m128d abs(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// std::clamp(v, -1.0, 1.0), which keeps -0.0 and passes NaN as it is.
[[gnu::always_inline]] inline __m128d clampUnit(__m128d v) {
    return _mm_min_pd(_mm_set1_pd(1.0), _mm_max_pd(_mm_set1_pd(-1.0), v));
}

// finiteOrZero on float lanes.
[[gnu::always_inline]] inline __m128 finiteOrZero(__m128 v) {
    return _mm_and_ps(v, _mm_cmplt_ps(blockops::magnitude(v), _mm_set1_ps(INFINITY)));
}

// widen(settle4(narrow(v))) without leaving double: each lane rounded to a
// float value (see simd::roundToFloat), then values strictly inside
// ±2^-32 and values beyond the float range (or NaN) become 0. Shorter on a
// filter's feedback chain than the two conversions.
[[gnu::always_inline]] inline __m128d settleAsFloat(__m128d v) {
    const __m128d r = simd::roundToFloat(v);
    const __m128d a = abs(r);
    return _mm_and_pd(r, _mm_and_pd(_mm_cmpge_pd(a, _mm_set1_pd(0x1p-32)), _mm_cmplt_pd(a, _mm_set1_pd(0x1p128))));
}

// widen(finiteOrZero(narrow(v))) the same way (no flush; float subnormals
// are kept to a float's full precision, a difference below 2^-149).
[[gnu::always_inline]] inline __m128d finiteAsFloat(__m128d v) {
    const __m128d r = simd::roundToFloat(v);
    return _mm_and_pd(r, _mm_cmplt_pd(abs(r), _mm_set1_pd(0x1p128)));
}

}  // namespace lanes
