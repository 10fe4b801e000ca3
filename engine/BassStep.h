// Bass stage, one sample at a time: a high-pass at Bass Freq splits off the
// low band D = x - B; c below 0.5 scales the band down to silence, above 0.5
// it is blended with its saturating boost.
#pragma once
#include "engine/HighPassRun.h"
#include "engine/PairLanes.h"
#include "engine/SaturatingBoost.h"
#include "engine/Settle.h"

// Factors of a block, the same for both forms.
struct BassFactors {
    explicit BassFactors(float c) : boost(c > 0.5f), cut(2.0f * c), d((c - 0.5f) * 2.0f) {}
    const bool boost;
    const float cut, d;
};

class BassRun {
public:
    BassRun(HighPassSection& s, float c) : highPass(s), f(c) {}

    [[gnu::always_inline]] float step(float x) {
        const float y = highPass.step(x);
        const double low = static_cast<double>(x) - y;
        if (!f.boost) return finiteOrZero(static_cast<float>(y + f.cut * low));
        return settle(static_cast<float>(y + f.d * saturatingBoost(low, f.d, 1.0) + (1.0 - f.d) * low));
    }

private:
    HighPassRun highPass;
    const BassFactors f;
};

// Both channels at once, one per lane (float values in lanes 0 and 1).
template <typename Arch = simd::Sse2>
class BassPair {
public:
    [[gnu::always_inline]] BassPair(HighPassSection& l, HighPassSection& r, float c) : BassPair(l, r, BassFactors(c)) {}

    [[gnu::always_inline]] __m128 step(__m128 in) {
        const __m128d x = lanes::widen(in);
        const __m128d y = highPass.step(x);
        const __m128d low = _mm_sub_pd(x, y);
        if (!boost) return lanes::finiteOrZero(lanes::narrow(_mm_add_pd(y, _mm_mul_pd(cut, low))));
        const __m128d boosted = _mm_mul_pd(d, saturatingBoost(low, d, one));
        const __m128d sum = _mm_add_pd(_mm_add_pd(y, boosted), _mm_mul_pd(_mm_sub_pd(one, d), low));
        return blockops::settle4(lanes::narrow(sum));
    }

private:
    [[gnu::always_inline]] BassPair(HighPassSection& l, HighPassSection& r, const BassFactors& f)
        : highPass(l, r), boost(f.boost), cut(_mm_set1_pd(f.cut)), d(_mm_set1_pd(f.d)), one(_mm_set1_pd(1.0)) {}

    HighPassPair<Arch> highPass;
    const bool boost;
    const __m128d cut, d, one;
};
