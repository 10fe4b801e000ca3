// Bass stage, one sample of each lane at a time: a high-pass at Bass Freq
// splits off the low band D = x - B; c below 0.5 scales the band down to
// silence, above 0.5 it is blended with its saturating boost.
#pragma once
#include "engine/HighPassStep.h"
#include "engine/Lanes.h"
#include "engine/SaturatingBoost.h"

template <typename L>
class BassStep {
    using D = typename L::D;
    using F = typename L::F;

public:
    [[gnu::always_inline]] BassStep(const lanes::Each<L, HighPassSection>& s, float c)
        : highPass(s), boost(c > 0.5f), cut(L::all(2.0f * c)), d(L::all((c - 0.5f) * 2.0f)), one(L::all(1.0)) {}

    [[gnu::always_inline]] F step(F in) {
        const D x = L::widen(in);
        const D y = highPass.step(x);
        const D low = x - y;
        if (!boost) return L::finiteOrZero(L::narrow(y + cut * low));
        return L::settle(L::narrow(y + d * saturatingBoost<L>(low, d, one) + (one - d) * low));
    }

private:
    HighPassStep<L> highPass;
    const bool boost;
    const D cut, d, one;  // cut and d are float factors
};
