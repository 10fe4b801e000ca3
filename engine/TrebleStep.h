// Treble stage, one sample at a time: a high-pass at Treble Freq splits the
// signal into the band above it (clamped to full scale) and the rest. Below
// the neutral 141 the band is scaled down; above it, the band is mixed with a
// follower-tracked copy whose lag emphasises fast changes.
#pragma once
#include <algorithm>
#include <cmath>

#include "engine/HighPassRun.h"
#include "engine/PairLanes.h"
#include "engine/Settle.h"

// Factors of a block, the same for both forms.
struct TrebleFactors {
    TrebleFactors(float hiBoost, float trebleMix)
        : boost(hiBoost > 141.0f), cut(hiBoost * (1.0f / 141.0f)), m(trebleMix) {}
    const bool boost;
    const float cut;
    const double m;
};

// The follower is held in a local and written back at the end.
class TrebleRun {
public:
    TrebleRun(HighPassSection& s, float& follow, float hiBoost, float trebleMix)
        : highPass(s), follow_(follow), f(follow), k(hiBoost, trebleMix) {}
    ~TrebleRun() { follow_ = f; }
    TrebleRun(const TrebleRun&) = delete;
    TrebleRun& operator=(const TrebleRun&) = delete;

    [[gnu::always_inline]] float step(float x) {
        const float d = highPass.step(x);
        const double e = static_cast<double>(x) - d;
        const double t = std::clamp(d, -1.0f, 1.0f);
        if (!k.boost) return finiteOrZero(static_cast<float>(e + k.cut * t));
        const double tracked = std::clamp(1e-10 - f, -1.0, 1.0);
        const double w = std::fabs(t - f);
        const double E = std::fabs(w * t + 1e-10);
        const double diff = t - tracked;
        if (diff != 0.0) {
            const double step = 0.03f * std::fabs(diff + 1e-10) * 39.4f * (1.0 - E) + 1e-10;
            const double moved = diff > 0.0 ? f - step : f + step;
            f = static_cast<float>(std::clamp(moved, -1.0, 1.0));
        }
        return settle(static_cast<float>(e + tracked * k.m + t * (1.0 - k.m)));
    }

private:
    HighPassRun highPass;
    float& follow_;
    float f;
    const TrebleFactors k;
};

// Both channels at once, one per lane (float values in lanes 0 and 1): each
// branch of the follower computed and each lane keeping its own.
template <typename Arch = simd::Sse2>
class TreblePair {
public:
    [[gnu::always_inline]] TreblePair(HighPassSection& l, HighPassSection& r, float& followLeft, float& followRight,
                                      float hiBoost, float trebleMix)
        : TreblePair(l, r, followLeft, followRight, TrebleFactors(hiBoost, trebleMix)) {}
    [[gnu::always_inline]] ~TreblePair() { lanes::split(f, followLeft_, followRight_); }
    TreblePair(const TreblePair&) = delete;
    TreblePair& operator=(const TreblePair&) = delete;

    [[gnu::always_inline]] __m128 step(__m128 in) {
        const __m128d x = lanes::widen(in);
        const __m128d d = highPass.step(x);
        const __m128d e = _mm_sub_pd(x, d);
        const __m128d t = lanes::clampUnit(d);  // d is finite, so clamping in double equals clamping the float
        if (!boost) return lanes::finiteOrZero(lanes::narrow(_mm_add_pd(e, _mm_mul_pd(cut, t))));
        const __m128d one = _mm_set1_pd(1.0), tiny = _mm_set1_pd(1e-10), zero = _mm_setzero_pd();
        // f stays within -1 … 1, so 1e-10 - f never falls below -1: only the upper clamp can act.
        const __m128d tracked = _mm_min_pd(one, _mm_sub_pd(tiny, f));
        const __m128d out = _mm_add_pd(_mm_add_pd(e, _mm_mul_pd(tracked, m)), _mm_mul_pd(t, _mm_sub_pd(one, m)));
        // The follower, f ∓ (0.03 |diff + 1e-10| 39.4 (1 - E) + 1e-10) (minus for diff > 0), written
        // for a short chain from one f to the next: the size's sign folded into the product (for
        // -1e-10 < diff < 0 that differs by under 3e-10), the constants multiplied beforehand.
        const __m128d diff = _mm_sub_pd(t, tracked);
        const __m128d rising = _mm_cmpgt_pd(diff, zero);
        const __m128d E = lanes::abs(Arch::mulAdd(lanes::abs(_mm_sub_pd(t, f)), t, tiny));
        const __m128d pull = _mm_mul_pd(rateGain, _mm_sub_pd(one, E));
        const __m128d base = Arch::select(rising, _mm_sub_pd(f, tiny), _mm_add_pd(f, tiny));
        const __m128d moved = Arch::negMulAdd(pull, _mm_add_pd(diff, tiny), base);
        const __m128d next = simd::roundToFloat(lanes::clampUnit(moved));
        f = Arch::select(_mm_cmpneq_pd(diff, zero), next, f);
        return blockops::settle4(lanes::narrow(out));
    }

private:
    [[gnu::always_inline]] TreblePair(HighPassSection& l, HighPassSection& r, float& followLeft,
                                      float& followRight, const TrebleFactors& k)
        : highPass(l, r), followLeft_(followLeft), followRight_(followRight), f(lanes::pair(followLeft, followRight)),
          boost(k.boost), cut(_mm_set1_pd(k.cut)), m(_mm_set1_pd(k.m)),
          rateGain(_mm_set1_pd(double(0.03f) * double(39.4f))) {}

    HighPassPair<Arch> highPass;
    float& followLeft_;
    float& followRight_;
    __m128d f;
    const bool boost;
    const __m128d cut, m, rateGain;
};
