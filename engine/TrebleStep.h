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
          rateGain(L::all(double(0.03f) * double(39.4f))) {}
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
        // The follower, f ∓ (0.03 |diff + 1e-10| 39.4 (1 - E) + 1e-10) (minus for diff > 0), written
        // for a short chain from one f to the next: the size's sign folded into the product (for
        // -1e-10 < diff < 0 that differs by under 3e-10), the constants multiplied beforehand.
        const D diff = t - tracked;
        const D E = L::abs(L::mulAdd(L::abs(t - f), t, tiny));
        const D pull = rateGain * (one - E);
        const D base = L::select(L::greater(diff, zero), f - tiny, f + tiny);
        const D moved = L::negMulAdd(pull, diff + tiny, base);
        // moved rarely leaves -1 … 1 (never on the demo song at its own level, one sample in 2,000
        // driven 18 dB into the equaliser), so the clamp sits behind a branch, off the chain from one
        // f to the next.
        const bool outside = L::any(L::either(L::less(moved, L::all(-1.0)), L::greater(moved, one)));
        f = L::select(L::notEqual(diff, zero), L::roundToFloat(outside ? L::clampUnit(moved) : moved), f);
        return L::settle(L::narrow(out));
    }

private:
    HighPassStep<L> highPass;
    const lanes::Each<L, float> follow_;
    D f;
    const bool boost;
    const D cut, m, rateGain;  // cut and m are float factors
};
