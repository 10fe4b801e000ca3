// Body stage, one sample at a time: a level-dependent enhancer on the whole
// signal, dry signal blended with the saturating boost of itself. No state.
#pragma once
#include "engine/PairLanes.h"
#include "engine/SaturatingBoost.h"
#include "engine/Settle.h"

// Factors of a block, the same for both forms.
struct BodyFactors {
    explicit BodyFactors(float amount) : e(amount), dry(1.0 - e), wet(1.1f * e), fold(1.08f) {}
    const double e, dry, wet, fold;
};

class BodyRun {
public:
    explicit BodyRun(float amount) : f(amount) {}

    [[gnu::always_inline]] float step(float in) const {
        const double x = in;
        return settle(static_cast<float>(f.dry * x + f.wet * saturatingBoost(x, f.e, f.fold)));
    }

private:
    const BodyFactors f;
};

// Both channels at once, one per lane (float values in lanes 0 and 1).
template <typename Arch = simd::Sse2>
class BodyPair {
public:
    [[gnu::always_inline]] explicit BodyPair(float amount) : BodyPair(BodyFactors(amount)) {}

    [[gnu::always_inline]] __m128 step(__m128 in) const {
        const __m128d x = lanes::widen(in);
        const __m128d boosted = saturatingBoost(x, e, fold);
        return blockops::settle4(lanes::narrow(_mm_add_pd(_mm_mul_pd(dry, x), _mm_mul_pd(wet, boosted))));
    }

private:
    [[gnu::always_inline]] explicit BodyPair(const BodyFactors& f)
        : e(_mm_set1_pd(f.e)), dry(_mm_set1_pd(f.dry)), wet(_mm_set1_pd(f.wet)), fold(_mm_set1_pd(f.fold)) {}

    const __m128d e, dry, wet, fold;
};
