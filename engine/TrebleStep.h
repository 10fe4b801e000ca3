// Treble stage, one sample of each lane at a time: a high-pass at Treble Freq
// splits the signal into the band above it (clamped to full scale) and the
// rest. Below the neutral 141 the band is scaled down; above it, the band is
// mixed with a follower-tracked copy whose lag emphasises fast changes. The
// follower is held in a local and written back at the end.
#pragma once
#include "engine/HighPassStep.h"
#include "engine/Lanes.h"

template <typename L>
class TrebleStep {
    using D = typename L::D;
    using F = typename L::F;

public:
    [[gnu::always_inline]] TrebleStep(const lanes::Each<L, HighPassSection>& s, const lanes::Each<L, float>& follow,
                                      float hiBoost, float trebleMix)
        : highPass(s), follow_(follow), f(L::gather(follow)), boost(hiBoost > 141.0f),
          cut(L::all(hiBoost * (1.0f / 141.0f))), m(L::all(trebleMix)),
          rateGain(L::all(double(0.03f) * double(39.4f))), rateAbove(rateGain * L::all(1.0 + 1e-10)),
          rateBelow(rateGain * L::all(1.0 - 1e-10)) {}
    [[gnu::always_inline]] ~TrebleStep() { L::scatter(f, follow_); }
    TrebleStep(const TrebleStep&) = delete;
    TrebleStep& operator=(const TrebleStep&) = delete;

    [[gnu::always_inline]] F step(F in) {
        const D x = L::widen(in);
        const D d = highPass.step(x);
        const D e = x - d;
        const D t = L::clampUnit(d);  // d is finite, so clamping in double equals clamping the float
        if (!boost) return L::finiteOrZero(L::narrow(e + cut * t));
        const D one = L::all(1.0), tiny = L::all(1e-10), zero = L::all(0.0);
        // f stays within -1 … 1, so 1e-10 - f never falls below -1: only the upper clamp can act.
        const D tracked = L::min(one, tiny - f);
        const D out = e + tracked * m + t * (one - m);
        // The follower, f ∓ (0.03 |diff + 1e-10| 39.4 (1 - E) + 1e-10) (minus for diff = t - tracked > 0),
        // written for a short chain from one f to the next: the size's sign folded into the product
        // (for -1e-10 < diff < 0 that differs by under 3e-10), the constants multiplied beforehand, and
        // E = |t - f| |t| ± 1e-10 (plus for t ≥ 0; for t < 0 and |t - f| |t| < 1e-10 that differs by
        // under 2e-10), so that the pull is one multiply-add from |t - f|. The signs of diff are those
        // of t against tracked, exactly.
        const D pull = L::negMulAdd(rateGain * L::abs(t), L::abs(t - f),
                                    L::select(L::less(t, zero), rateAbove, rateBelow));
        const D base = L::select(L::greater(t, tracked), f - tiny, f + tiny);
        const D moved = L::negMulAdd(pull, (t + tiny) - tracked, base);
        // moved rarely leaves -1 … 1 (never on the demo song at its own level, one sample in 2,000
        // driven 18 dB into the equaliser), so the clamp sits behind a branch, off the chain from one
        // f to the next.
        const bool outside = L::any(L::either(L::less(moved, L::all(-1.0)), L::greater(moved, one)));
        f = L::select(L::notEqual(t, tracked), L::roundToFloat(outside ? L::clampUnit(moved) : moved), f);
        return L::settle(L::narrow(out));
    }

private:
    HighPassStep<L> highPass;
    const lanes::Each<L, float> follow_;
    D f;
    const bool boost;
    const D cut, m, rateGain;  // cut and m are float factors
    const D rateAbove, rateBelow;  // rateGain (1 ± 1e-10): the pull where f = t, for t < 0 and t ≥ 0
};
