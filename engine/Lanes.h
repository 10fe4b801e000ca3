// The lane sets the equaliser's stages are written over, so that each stage's
// arithmetic is written once: for one channel in plain scalar code (One, the
// mono path) and for two channels side by side in the double lanes of an SSE2
// register (Two, the stereo path, built per instruction set). A lane set L has
//   D  an intermediate value of each channel, in double: double or __m128d;
//      +, -, * and / are the operators (the compiler's vector operators on
//      __m128d, the same instructions as the intrinsics);
//   F  a sample of each channel, in float: float or __m128 (lanes 0 and 1);
// and, as static functions, the few operations the stages use beyond those.
// Each does in every lane what One's scalar expression does, bit for bit; only
// Two<simd::Fma> fuses its multiply-adds (see SimdArch.h).
// Everything is always inlined: see SimdArch.h.
#pragma once
#include <emmintrin.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/Settle.h"
#include "engine/SimdArch.h"

namespace lanes {

// The state or samples of each channel a lane set works on, one pointer per lane.
template <typename L, typename T>
using Each = std::array<T*, L::width>;

// The rows of a [width][length] array, one per lane.
template <typename L, size_t N>
[[gnu::always_inline]] inline Each<L, float> rows(float (&a)[L::width][N]) {
    Each<L, float> out;
    for (size_t i = 0; i < L::width; ++i) out[i] = a[i];
    return out;
}

// The member `field` of each channel's state.
template <typename S, typename T, size_t W>
[[gnu::always_inline]] inline std::array<T*, W> fields(const std::array<S*, W>& s, T S::*field) {
    std::array<T*, W> out;
    for (size_t i = 0; i < W; ++i) out[i] = &(s[i]->*field);
    return out;
}

// One channel. Multiply and add are not fused.
struct Scalar {
    static constexpr size_t width = 1;
    using D = double;
    using F = float;
    using Mask = bool;

    [[gnu::always_inline]] static D all(double v) { return v; }
    [[gnu::always_inline]] static D widen(F v) { return v; }
    [[gnu::always_inline]] static F narrow(D v) { return static_cast<float>(v); }

    [[gnu::always_inline]] static D mulAdd(D a, D b, D c) { return a * b + c; }
    [[gnu::always_inline]] static D negMulAdd(D a, D b, D c) { return c - a * b; }
    [[gnu::always_inline]] static D abs(D v) { return std::fabs(v); }
    // x with its sign flipped where v is negative (sign bit set).
    [[gnu::always_inline]] static D unsignBy(D x, D v) { return std::signbit(v) ? -x : x; }
    // As the instructions: the second operand when either is NaN.
    [[gnu::always_inline]] static D min(D a, D b) { return a < b ? a : b; }
    [[gnu::always_inline]] static D max(D a, D b) { return a > b ? a : b; }
    [[gnu::always_inline]] static F minF(F a, F b) { return a < b ? a : b; }

    [[gnu::always_inline]] static Mask greater(D a, D b) { return a > b; }
    [[gnu::always_inline]] static Mask less(D a, D b) { return a < b; }
    [[gnu::always_inline]] static Mask atLeast(D a, D b) { return a >= b; }
    [[gnu::always_inline]] static Mask notEqual(D a, D b) { return a != b; }
    [[gnu::always_inline]] static Mask both(Mask a, Mask b) { return a && b; }
    [[gnu::always_inline]] static Mask either(Mask a, Mask b) { return a || b; }
    [[gnu::always_inline]] static bool any(Mask m) { return m; }
    [[gnu::always_inline]] static D select(Mask m, D yes, D no) { return m ? yes : no; }
    // v where m holds, else +0.
    [[gnu::always_inline]] static D keep(Mask m, D v) { return m ? v : 0.0; }
    [[gnu::always_inline]] static D roundToFloat(D v) { return _mm_cvtsd_f64(simd::roundToFloat(_mm_set_sd(v))); }

    [[gnu::always_inline]] static F magnitude(F v) { return std::fabs(v); }
    [[gnu::always_inline]] static F settle(F v) { return ::settle(v); }
    [[gnu::always_inline]] static F flush(F v) { return ::flush(v); }
    [[gnu::always_inline]] static F finiteOrZero(F v) { return ::finiteOrZero(v); }

    template <typename S, typename T>
    [[gnu::always_inline]] static D gather(const std::array<S*, 1>& s, T S::*field) {
        return static_cast<float>(s[0]->*field);
    }
    [[gnu::always_inline]] static D gather(const std::array<float*, 1>& v) { return *v[0]; }
    // Values that hold floats (histories, follower), written back exactly.
    template <typename S, typename T>
    [[gnu::always_inline]] static void scatter(D v, const std::array<S*, 1>& s, T S::*field) {
        s[0]->*field = static_cast<float>(v);
    }
    [[gnu::always_inline]] static void scatter(D v, const std::array<float*, 1>& to) { *to[0] = static_cast<float>(v); }

    template <typename T>
    [[gnu::always_inline]] static F load(const std::array<T*, 1>& x, int32_t i) { return x[0][i]; }
    [[gnu::always_inline]] static void store(F v, const std::array<float*, 1>& x, int32_t i) { x[0][i] = v; }
};

// Two channels, left in lane 0 and right in lane 1; Arch gives the fused
// multiply-add where the instruction set has it.
template <typename Arch>
struct Paired {
    static constexpr size_t width = 2;
    using D = __m128d;
    using F = __m128;
    using Mask = __m128d;

    [[gnu::always_inline]] static D all(double v) { return _mm_set1_pd(v); }
    [[gnu::always_inline]] static D widen(F v) { return _mm_cvtps_pd(v); }
    [[gnu::always_inline]] static F narrow(D v) { return _mm_cvtpd_ps(v); }

    [[gnu::always_inline]] static D mulAdd(D a, D b, D c) { return Arch::mulAdd(a, b, c); }
    [[gnu::always_inline]] static D negMulAdd(D a, D b, D c) { return Arch::negMulAdd(a, b, c); }
    [[gnu::always_inline]] static D abs(D v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
    [[gnu::always_inline]] static D unsignBy(D x, D v) { return _mm_xor_pd(x, _mm_and_pd(v, _mm_set1_pd(-0.0))); }
    [[gnu::always_inline]] static D min(D a, D b) { return _mm_min_pd(a, b); }
    [[gnu::always_inline]] static D max(D a, D b) { return _mm_max_pd(a, b); }
    [[gnu::always_inline]] static F minF(F a, F b) { return _mm_min_ps(a, b); }

    [[gnu::always_inline]] static Mask greater(D a, D b) { return _mm_cmpgt_pd(a, b); }
    [[gnu::always_inline]] static Mask less(D a, D b) { return _mm_cmplt_pd(a, b); }
    [[gnu::always_inline]] static Mask atLeast(D a, D b) { return _mm_cmpge_pd(a, b); }
    [[gnu::always_inline]] static Mask notEqual(D a, D b) { return _mm_cmpneq_pd(a, b); }
    [[gnu::always_inline]] static Mask both(Mask a, Mask b) { return _mm_and_pd(a, b); }
    [[gnu::always_inline]] static Mask either(Mask a, Mask b) { return _mm_or_pd(a, b); }
    [[gnu::always_inline]] static bool any(Mask m) { return _mm_movemask_pd(m) != 0; }
    // And, and-not, or: on the processors tried no slower than the blend.
    [[gnu::always_inline]] static D select(Mask m, D yes, D no) { return simd::Sse2::select(m, yes, no); }
    [[gnu::always_inline]] static D keep(Mask m, D v) { return _mm_and_pd(v, m); }
    [[gnu::always_inline]] static D roundToFloat(D v) { return simd::roundToFloat(v); }

    [[gnu::always_inline]] static F magnitude(F v) { return magnitudes(v); }
    [[gnu::always_inline]] static F settle(F v) { return settleLanes(v); }
    [[gnu::always_inline]] static F flush(F v) { return flushLanes(v); }
    [[gnu::always_inline]] static F finiteOrZero(F v) { return finiteOrZeroLanes(v); }

    template <typename S, typename T>
    [[gnu::always_inline]] static D gather(const std::array<S*, 2>& s, T S::*field) {
        return pair(s[0]->*field, s[1]->*field);
    }
    [[gnu::always_inline]] static D gather(const std::array<float*, 2>& v) { return pair(*v[0], *v[1]); }
    template <typename S, typename T>
    [[gnu::always_inline]] static void scatter(D v, const std::array<S*, 2>& s, T S::*field) {
        float l, r;
        split(v, l, r);
        s[0]->*field = l;
        s[1]->*field = r;
    }
    [[gnu::always_inline]] static void scatter(D v, const std::array<float*, 2>& to) { split(v, *to[0], *to[1]); }

    template <typename T>
    [[gnu::always_inline]] static F load(const std::array<T*, 2>& x, int32_t i) {
        return _mm_setr_ps(x[0][i], x[1][i], 0.0f, 0.0f);
    }
    [[gnu::always_inline]] static void store(F v, const std::array<float*, 2>& x, int32_t i) {
        _mm_store_ss(x[0] + i, v);
        _mm_store_ss(x[1] + i, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
    }

private:
    [[gnu::always_inline]] static D pair(float l, float r) { return _mm_cvtps_pd(_mm_setr_ps(l, r, 0.0f, 0.0f)); }
    [[gnu::always_inline]] static void split(D v, float& l, float& r) {
        float out[4];
        _mm_storeu_ps(out, _mm_cvtpd_ps(v));
        l = out[0];
        r = out[1];
    }
};

// std::clamp(v, -1.0, 1.0) in every lane of any lane set with min and max
// (also those of LanesAcross.h), which keeps -0.0 and passes NaN as it is.
template <typename L>
[[gnu::always_inline]] inline typename L::D clampUnit(typename L::D v) {
    return L::min(L::all(1.0), L::max(L::all(-1.0), v));
}

// What the stages build from those operations, written once for both.
template <typename Base>
struct With : Base {
    using D = typename Base::D;

    [[gnu::always_inline]] static D clampUnit(D v) { return lanes::clampUnit<Base>(v); }

    // The magnitudes that round (see simd::roundToFloat) to 2^-32 and up,
    // and to 2^128 and up: half a float step below each.
    static constexpr double kRoundsToFlushFloor = 0x1p-32 - 0x1p-57, kRoundsBeyondFloat = 0x1p128 - 0x1p103;

    // widen(settle(narrow(v))) without leaving double: rounded to a float
    // value, then values strictly inside ±2^-32 and values beyond the float
    // range (or NaN) become 0. Shorter on a filter's feedback chain than the
    // two conversions; the range is tested on v itself, beside the rounding
    // instead of after it.
    [[gnu::always_inline]] static D settleAsFloat(D v) {
        const D a = Base::abs(v);
        const auto inRange =
            Base::both(Base::atLeast(a, Base::all(kRoundsToFlushFloor)), Base::less(a, Base::all(kRoundsBeyondFloat)));
        return Base::keep(inRange, Base::roundToFloat(v));
    }

    // widen(finiteOrZero(narrow(v))) the same way (no flush; float subnormals
    // are kept to a float's full precision, a difference below 2^-149).
    [[gnu::always_inline]] static D finiteAsFloat(D v) {
        return Base::keep(Base::less(Base::abs(v), Base::all(kRoundsBeyondFloat)), Base::roundToFloat(v));
    }
};

using One = With<Scalar>;
template <typename Arch>
using Two = With<Paired<Arch>>;

}  // namespace lanes
