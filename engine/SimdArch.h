// Everything here is always inlined: a source built for AVX2 must not leave
// a copy of a shared inline function that an SSE2 caller could end up with.
// The few operations whose best form depends on the instruction set, for
// code written once over two-lane double vectors (__m128d) and compiled for
// each set: SSE2 (every build) and, in sources built with -mavx2 -mfma (and
// AVX-512), the fused multiply-add. The fused form rounds once instead of twice, so
// results may differ in the last bit of a double: far below the float
// precision the stages store.
#pragma once
#include <emmintrin.h>
#if defined(__FMA__)
#include <immintrin.h>
#endif

namespace simd {

struct Sse2 {
    [[gnu::always_inline]] static __m128d mulAdd(__m128d a, __m128d b, __m128d c) {
        return _mm_add_pd(_mm_mul_pd(a, b), c);
    }
    // c - a·b
    [[gnu::always_inline]] static __m128d negMulAdd(__m128d a, __m128d b, __m128d c) {
        return _mm_sub_pd(c, _mm_mul_pd(a, b));
    }
    [[gnu::always_inline]] static __m128d select(__m128d mask, __m128d yes, __m128d no) {
        return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
    }
};

#if defined(__FMA__)
struct Fma {
    [[gnu::always_inline]] static __m128d mulAdd(__m128d a, __m128d b, __m128d c) { return _mm_fmadd_pd(a, b, c); }
    [[gnu::always_inline]] static __m128d negMulAdd(__m128d a, __m128d b, __m128d c) { return _mm_fnmadd_pd(a, b, c); }
    [[gnu::always_inline]] static __m128d select(__m128d mask, __m128d yes, __m128d no) {
        return _mm_blendv_pd(no, yes, mask);
    }
};
#endif

#if defined(__AVX512VL__)
// The same operations in a source built with AVX-512 as well: its 32 vector
// registers hold the loops' running values that spill to memory with 16.
// A type of its own, so that its copies of the templates stay apart.
struct Avx512 : Fma {};
#endif

// Each lane (a positive double) rounded to float precision, staying in
// double: the float mantissa's last bit is rounded half away from zero, which
// differs from the conversion's ties-to-even only on exact ties.
[[gnu::always_inline]] inline __m128d roundToFloat(__m128d v) {
    const __m128i bits = _mm_add_epi64(_mm_castpd_si128(v), _mm_set1_epi64x(0x10000000));
    return _mm_castsi128_pd(_mm_and_si128(bits, _mm_set1_epi64x(~int64_t(0x1FFFFFFF))));
}

}  // namespace simd
