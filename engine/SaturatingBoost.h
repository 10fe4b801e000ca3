// The saturating boost law shared by the bass and body stages: a gain of
// about 0.9 + k on quiet values that falls as the value grows, with a fold
// term that bends the curve near full scale. Carried in double, in each lane
// of a lane set (engine/Lanes.h).
#pragma once
#include "engine/Lanes.h"

template <typename L>
[[gnu::always_inline]] inline typename L::D saturatingBoost(typename L::D v, typename L::D k, typename L::D fold) {
    using D = typename L::D;
    const D one = L::all(1.0), zero = L::all(0.0);
    const D a = L::abs(v);
    const D oneLessA = one - a;
    const D h = v * (L::all(0.9f) + k * oneLessA);
    // Never push a value further out than it already is (at most one of the
    // two tests holds).
    const D ah = a * h;
    const auto out =
        L::either(L::both(L::greater(v, zero), L::greater(ah, v)), L::both(L::less(v, zero), L::less(ah, v)));
    const D held = L::select(out, v, h);
    const D o = L::abs(a - L::abs(fold * held));
    return held * (one - o * oneLessA * a * a);
}
