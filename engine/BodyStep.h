// Body stage, one sample of each lane at a time: a level-dependent enhancer
// on the whole signal, dry signal blended with the saturating boost of
// itself. No state.
#pragma once
#include "engine/Lanes.h"
#include "engine/SaturatingBoost.h"

template <typename L>
class BodyStep {
    using D = typename L::D;
    using F = typename L::F;

public:
    [[gnu::always_inline]] explicit BodyStep(float amount)
        : e(L::all(amount)), dry(L::all(1.0 - double(amount))), wet(L::all(1.1f * double(amount))),
          fold(L::all(1.08f)) {}

    [[gnu::always_inline]] F step(F in) const {
        const D x = L::widen(in);
        return L::settle(L::narrow(dry * x + wet * saturatingBoost<L>(x, e, fold)));
    }

private:
    const D e, dry, wet, fold;
};
