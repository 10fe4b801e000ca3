// The soft knee of both channels, one per double lane, one sample at a time,
// written once for each instruction set (simd::Sse2, simd::Fma). The state
// is a float carried in a double lane. What sets the speed is the chain from
// one state to the next, so the release is rewritten for a short chain:
//   k = s + c·r·(A - s)³ as the cubic q0 + q1·s + q2·s² + q3·s³ (Estrin),
//   s' = k + e·k⁶ as k + (e·k²)·(k²)²,
// the rounding to float done on the bits, and the clamps to 0.1 … 1.0 taken
// off the chain by a branch that is rarely taken (or, with the state held at
// 1.0, always). The rewritten forms agree with the plain ones to a few
// units of the double's last bit, so the stored float state is the same
// except on the rarest of ties.
#pragma once
#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

#include "engine/ChannelState.h"
#include "engine/SimdArch.h"

// Knee width by speed: "Slow", "Medium", "Fast".
constexpr float kKneeWidths[3] = {7.5f, 10.5f, 13.5f};

template <typename Arch>
class KneePair {
public:
    [[gnu::always_inline]] KneePair(ChannelState& l, ChannelState& r, int32_t speed)
        : l_(l), r_(r), width(_mm_set1_pd(kKneeWidths[std::min(speed & 0xFF, 2)])),
          state(_mm_cvtps_pd(_mm_setr_ps(l.kneeState, r.kneeState, 0.0f, 0.0f))),
          rate(_mm_cvtps_pd(_mm_setr_ps(l.kneeRate, r.kneeRate, 0.0f, 0.0f))) {
        prepareRelease();
    }
    [[gnu::always_inline]] ~KneePair() {
        float out[4];
        _mm_storeu_ps(out, _mm_cvtpd_ps(state));
        l_.kneeState = out[0];
        r_.kneeState = out[1];
        _mm_storeu_ps(out, _mm_cvtpd_ps(rate));
        l_.kneeRate = out[0];
        r_.kneeRate = out[1];
    }
    KneePair(const KneePair&) = delete;
    KneePair& operator=(const KneePair&) = delete;

    // Magnitudes of this sample (as doubles) in, both gains (floats in double lanes) out.
    [[gnu::always_inline]] __m128d step(__m128d magnitude) {
        const __m128d one = _mm_set1_pd(1.0);
        // Target (1 - y/B)³ with y = min(clamp(|x|, 1, 7) - 1, B); NaN reads as 7.
        __m128d y = _mm_min_pd(magnitude, _mm_set1_pd(7.0));
        y = _mm_min_pd(_mm_sub_pd(_mm_max_pd(y, one), one), width);
        const __m128d t = _mm_sub_pd(one, _mm_div_pd(y, width));
        const __m128d target = _mm_mul_pd(_mm_mul_pd(t, t), t);

        const __m128d s = state;
        const __m128d attack = _mm_cmpgt_pd(s, target);
        const __m128d s2 = _mm_mul_pd(s, s);
        // Attack: s - 0.05 s³ (s - target).
        const __m128d pull = _mm_mul_pd(_mm_mul_pd(_mm_set1_pd(double(0.05f)), s), s2);
        const __m128d attacked = Arch::negMulAdd(pull, _mm_sub_pd(s, target), s);
        // Release: k = q0 + q1 s + (q2 + q3 s) s², then k + (e k²)(k²)².
        const __m128d k = Arch::mulAdd(Arch::mulAdd(q3, s, q2), s2, Arch::mulAdd(q1, s, q0));
        const __m128d k2 = _mm_mul_pd(k, k);
        const __m128d lift = _mm_mul_pd(_mm_set1_pd(double(0.000004f)), k2);
        const __m128d released = Arch::mulAdd(lift, _mm_mul_pd(k2, k2), k);

        __m128d next = simd::roundToFloat(Arch::select(attack, attacked, released));
        const __m128d lowest = _mm_set1_pd(double(0.1f));
        if (_mm_movemask_pd(_mm_or_pd(_mm_cmplt_pd(next, lowest), _mm_cmpgt_pd(next, one))))
            next = _mm_min_pd(one, _mm_max_pd(lowest, next));
        state = next;

        // Rate: 0.02 after an attack, else grown by 0.0008 (as a float) up to 1.
        const __m128d grown = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_add_pd(rate, _mm_set1_pd(double(0.0008f)))));
        rate = Arch::select(attack, _mm_set1_pd(double(0.02f)), _mm_min_pd(grown, one));
        prepareRelease();
        return next;
    }

private:
    // Release coefficients for the current rate: c·r·(A - s)³ expanded in s.
    [[gnu::always_inline]] void prepareRelease() {
        constexpr double A = double(1.055f);
        const __m128d cr = _mm_mul_pd(_mm_set1_pd(double(0.0003f)), rate);
        q0 = _mm_mul_pd(cr, _mm_set1_pd(A * A * A));
        q1 = Arch::negMulAdd(cr, _mm_set1_pd(3.0 * A * A), _mm_set1_pd(1.0));
        q2 = _mm_mul_pd(cr, _mm_set1_pd(3.0 * A));
        q3 = _mm_sub_pd(_mm_setzero_pd(), cr);
    }

    ChannelState& l_;
    ChannelState& r_;
    const __m128d width;
    __m128d state, rate;
    __m128d q0, q1, q2, q3;
};
