// Denormal guard used by every stage: a value strictly inside ±2^-32 becomes
// exactly 0, which keeps filter states and gains out of the denormal range.
// Written once for a vector of float lanes of any width (__m128, __m256,
// __m512: the compiler's vector types); the scalar form is the same on a
// value in every lane.
#pragma once
#include <emmintrin.h>

#include <cstdint>

constexpr float kFlushFloor = 0x1p-32f;

namespace lanebits {
// The 32-bit integer vector as wide as the float vector V.
template <typename V>
struct Of {
    typedef int32_t type __attribute__((vector_size(sizeof(V))));
};
template <typename V>
using Bits = typename Of<V>::type;
}  // namespace lanebits

// Each lane's magnitude (the sign bit cleared).
template <typename V>
[[gnu::always_inline]] inline V magnitudes(V v) {
    return V(lanebits::Bits<V>(v) & 0x7fffffff);
}

// Lanes strictly inside ±2^-32 become +0; NaN passes.
template <typename V>
[[gnu::always_inline]] inline V flushLanes(V v) {
    return V(lanebits::Bits<V>(v) & ~(magnitudes(v) < kFlushFloor));
}

[[gnu::always_inline]] inline float flush(float v) { return _mm_cvtss_f32(flushLanes(_mm_set1_ps(v))); }
