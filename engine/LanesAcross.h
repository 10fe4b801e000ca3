// Lane sets (see Lanes.h) for the stages without state, which can run across
// samples: several samples of one channel side by side in the double lanes
// of one register, so each instruction does two or four times the work of
// the two-channel set. Across4 (256-bit) in sources built with AVX2 and FMA,
// Across8 (512-bit) in those built with AVX-512 as well. They hold the
// operations those parts use (the body stage, the bass stage's cut and
// boost, the mid stage's blend), each doing in every lane what the other
// sets do, bit for bit.
#pragma once
#if defined(__AVX2__) && defined(__FMA__)
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "engine/Settle.h"

namespace lanes {

struct Across4 {
    static constexpr size_t width = 4;
    using D = __m256d;
    using F = __m128;
    using Mask = __m256d;

    [[gnu::always_inline]] static D all(double v) { return _mm256_set1_pd(v); }
    [[gnu::always_inline]] static D widen(F v) { return _mm256_cvtps_pd(v); }
    [[gnu::always_inline]] static F narrow(D v) { return _mm256_cvtpd_ps(v); }
    [[gnu::always_inline]] static D abs(D v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
    [[gnu::always_inline]] static D unsignBy(D x, D v) {
        return _mm256_xor_pd(x, _mm256_and_pd(v, _mm256_set1_pd(-0.0)));
    }
    [[gnu::always_inline]] static D min(D a, D b) { return _mm256_min_pd(a, b); }
    [[gnu::always_inline]] static D max(D a, D b) { return _mm256_max_pd(a, b); }
    [[gnu::always_inline]] static Mask greater(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    [[gnu::always_inline]] static D select(Mask m, D yes, D no) { return _mm256_blendv_pd(no, yes, m); }
    [[gnu::always_inline]] static F settle(F v) { return settleLanes(v); }
    [[gnu::always_inline]] static F flush(F v) { return flushLanes(v); }
    [[gnu::always_inline]] static F finiteOrZero(F v) { return finiteOrZeroLanes(v); }

    [[gnu::always_inline]] static F load(const float* x) { return _mm_loadu_ps(x); }
    [[gnu::always_inline]] static void store(F v, float* x) { _mm_storeu_ps(x, v); }
    // The first `count` (0 to 3) samples, the others zero; and stored.
    [[gnu::always_inline]] static F loadFirst(const float* x, int32_t count) {
        return _mm_maskload_ps(x, first(count));
    }
    [[gnu::always_inline]] static void storeFirst(F v, float* x, int32_t count) {
        _mm_maskstore_ps(x, first(count), v);
    }

private:
    [[gnu::always_inline]] static __m128i first(int32_t count) {
        return _mm_cmpgt_epi32(_mm_set1_epi32(count), _mm_setr_epi32(0, 1, 2, 3));
    }
};

#if defined(__AVX512F__) && defined(__AVX512DQ__)
struct Across8 {
    static constexpr size_t width = 8;
    using D = __m512d;
    using F = __m256;
    using Mask = __mmask8;

    [[gnu::always_inline]] static D all(double v) { return _mm512_set1_pd(v); }
    // The conversions as the compiler's (the intrinsics leave GCC 12 warning
    // of an undefined operand); the same instructions.
    [[gnu::always_inline]] static D widen(F v) { return __builtin_convertvector(v, D); }
    [[gnu::always_inline]] static F narrow(D v) { return __builtin_convertvector(v, F); }
    [[gnu::always_inline]] static D abs(D v) { return _mm512_andnot_pd(_mm512_set1_pd(-0.0), v); }
    [[gnu::always_inline]] static D unsignBy(D x, D v) {
        return _mm512_xor_pd(x, _mm512_and_pd(v, _mm512_set1_pd(-0.0)));
    }
    // Through the masked forms, with every lane set, for the same reason.
    [[gnu::always_inline]] static D min(D a, D b) { return _mm512_mask_min_pd(a, 0xFF, a, b); }
    [[gnu::always_inline]] static D max(D a, D b) { return _mm512_mask_max_pd(a, 0xFF, a, b); }
    [[gnu::always_inline]] static Mask greater(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    [[gnu::always_inline]] static D select(Mask m, D yes, D no) { return _mm512_mask_blend_pd(m, no, yes); }
    [[gnu::always_inline]] static F settle(F v) { return settleLanes(v); }
    [[gnu::always_inline]] static F flush(F v) { return flushLanes(v); }
    [[gnu::always_inline]] static F finiteOrZero(F v) { return finiteOrZeroLanes(v); }

    [[gnu::always_inline]] static F load(const float* x) { return _mm256_loadu_ps(x); }
    [[gnu::always_inline]] static void store(F v, float* x) { _mm256_storeu_ps(x, v); }
    // The first `count` (0 to 7) samples, the others zero; and stored.
    [[gnu::always_inline]] static F loadFirst(const float* x, int32_t count) {
        return _mm256_maskz_loadu_ps(first(count), x);
    }
    [[gnu::always_inline]] static void storeFirst(F v, float* x, int32_t count) {
        _mm256_mask_storeu_ps(x, first(count), v);
    }

private:
    [[gnu::always_inline]] static __mmask8 first(int32_t count) { return __mmask8((1u << count) - 1); }
};
#endif

}  // namespace lanes
#endif
