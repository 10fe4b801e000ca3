// The saturating boost law shared by the bass and body stages: a gain of
// about 0.9 + k on quiet values that falls as the value grows, with a fold
// term that bends the curve near full scale. Carried in double, in each lane
// of a lane set (engine/Lanes.h).
#pragma once
#include "engine/Lanes.h"

template <typename L>
[[gnu::always_inline]] inline typename L::D saturatingBoost(typename L::D v, typename L::D k, typename L::D fold) {
    using D = typename L::D;
    const D one = L::all(1.0);
    const D a = L::abs(v);
    const D oneLessA = one - a;
    const D h = v * (L::all(0.9f) + k * oneLessA);
    // Never push a value further out than it already is: ah beyond v on v's
    // side of zero (ah > v for v > 0, ah < v for v < 0), tested as ah with
    // v's sign taken off against |v|, which is exact.
    const D ah = a * h;
    const D held = L::select(L::greater(L::unsignBy(ah, v), a), v, h);
    const D o = L::abs(a - L::abs(fold * held));
    return held * (one - o * oneLessA * a * a);
}
