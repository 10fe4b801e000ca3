// Bass stage, one sample of each lane at a time: a high-pass at Bass Freq
// splits off the low band D = x - B; c below 0.5 scales the band down to
// silence, above 0.5 it is blended with its saturating boost.
#pragma once
#include "engine/HighPassStep.h"
#include "engine/Lanes.h"
#include "engine/SaturatingBoost.h"

// The boosted bass stage's output from its input x and the high-pass's y
// (before the settle): the band x - y blended with its saturating boost by d.
template <typename L>
[[gnu::always_inline]] inline typename L::D bassBoosted(typename L::D x, typename L::D y, typename L::D d) {
    const typename L::D one = L::all(1.0), low = x - y;
    return y + d * saturatingBoost<L>(low, d, one) + (one - d) * low;
}

// The cutting bass stage's output: the band x - y scaled by cut (2c, a float
// factor).
template <typename L>
[[gnu::always_inline]] inline typename L::F bassCut(typename L::D x, typename L::D y, typename L::D cut) {
    return L::finiteOrZero(L::narrow(y + cut * (x - y)));
}

// d for a Bass Boost of c (above 0.5), a float factor.
inline double bassBoostFactor(float c) { return (c - 0.5f) * 2.0f; }

template <typename L>
class BassStep {
    using D = typename L::D;
    using F = typename L::F;

public:
    [[gnu::always_inline]] BassStep(const lanes::Each<L, HighPassSection>& s, float c)
        : highPass(s), boost(c > 0.5f), cut(L::all(2.0f * c)), d(L::all(bassBoostFactor(c))) {}

    [[gnu::always_inline]] F step(F in) {
        const D x = L::widen(in);
        const D y = highPass.step(x);
        if (!boost) return bassCut<L>(x, y, cut);
        return L::settle(L::narrow(bassBoosted<L>(x, y, d)));
    }

private:
    HighPassStep<L> highPass;
    const bool boost;
    const D cut, d;  // float factors
};
