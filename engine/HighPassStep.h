// The second-order high-pass section the bass and treble stages split their
// bands with, one step per sample of each lane: coefficients and history
// held in locals, written back at the end of the block. The history holds
// float values (carried in double), so writing it back is exact.
#pragma once
#include "engine/ChannelState.h"
#include "engine/Lanes.h"

// y = b0·x + b1·x1 + b2·x2 − a2·y2 − a1·y1, guarded (settleAsFloat). The
// feedback term a1·y1 comes last and the rounding to float stays in double,
// so the chain from one output to the next is short.
template <typename L>
class HighPassStep {
    using D = typename L::D;

public:
    [[gnu::always_inline]] explicit HighPassStep(const lanes::Each<L, HighPassSection>& s)
        : s_(s),
          b0(L::gather(s, &HighPassSection::b0)), b1(L::gather(s, &HighPassSection::b1)),
          b2(L::gather(s, &HighPassSection::b2)), a1(L::gather(s, &HighPassSection::a1)),
          a2(L::gather(s, &HighPassSection::a2)),
          x2(L::gather(s, &HighPassSection::x2)), x1(L::gather(s, &HighPassSection::x1)),
          x(L::gather(s, &HighPassSection::x)), y2(L::gather(s, &HighPassSection::y2)),
          y1(L::gather(s, &HighPassSection::y1)), y(L::gather(s, &HighPassSection::y)) {}
    [[gnu::always_inline]] ~HighPassStep() {
        L::scatter(x2, s_, &HighPassSection::x2);
        L::scatter(x1, s_, &HighPassSection::x1);
        L::scatter(x, s_, &HighPassSection::x);
        L::scatter(y2, s_, &HighPassSection::y2);
        L::scatter(y1, s_, &HighPassSection::y1);
        L::scatter(y, s_, &HighPassSection::y);
    }
    HighPassStep(const HighPassStep&) = delete;
    HighPassStep& operator=(const HighPassStep&) = delete;

    // Takes and returns float values carried in double.
    [[gnu::always_inline]] D step(D in) {
        x = in;
        const D early = L::negMulAdd(a2, y2, L::mulAdd(b2, x2, L::mulAdd(b1, x1, b0 * x)));
        y = L::settleAsFloat(L::negMulAdd(a1, y1, early));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    const lanes::Each<L, HighPassSection> s_;
    const D b0, b1, b2, a1, a2;
    D x2, x1, x, y2, y1, y;
};
