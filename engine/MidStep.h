// Mid stage, one sample of each lane at a time: a notch at Mid Freq; the band
// it removes, r = x - notch(x), is scaled by g = 2c (silent at 0, unchanged at
// 0.5, doubled at 1). The notch output is clamped to full scale for the split
// but kept whole as state. Coefficients and history are held in locals and
// written back at the end; the history holds float values carried in double.
#pragma once
#include "engine/ChannelState.h"
#include "engine/Lanes.h"

// The band gain of a block: the factors 2c and (c - 0.5) * 2 are floats; the
// + 1 is carried in double.
inline double midGain(float c) { return c > 0.5f ? double((c - 0.5f) * 2.0f) + 1.0 : double(2.0f * c); }

// The mid stage's output from its input x and the notch's output o (a float
// value, finite): the band x - o, o clamped to full scale, scaled by g.
template <typename L>
[[gnu::always_inline]] inline typename L::F midBlend(typename L::D x, typename L::D o, typename L::D g) {
    // o is finite, so clamping it in double equals clamping the float.
    const typename L::F r = L::narrow(x - lanes::clampUnit<L>(o));
    const typename L::D pass = x - L::widen(r);
    return L::settle(L::narrow(L::widen(L::flush(r)) * g + pass));
}

template <typename L>
class MidStep {
    using D = typename L::D;
    using F = typename L::F;

public:
    [[gnu::always_inline]] MidStep(const lanes::Each<L, NotchSection>& s, float c)
        : s_(s),
          b0(L::gather(s, &NotchSection::b0)), b1(L::gather(s, &NotchSection::b1)),
          a1(L::gather(s, &NotchSection::a1)), a2(L::gather(s, &NotchSection::a2)), g(L::all(midGain(c))),
          x2(L::gather(s, &NotchSection::x2)), x1(L::gather(s, &NotchSection::x1)),
          x(L::gather(s, &NotchSection::x)), y2(L::gather(s, &NotchSection::y2)),
          y1(L::gather(s, &NotchSection::y1)) {}
    [[gnu::always_inline]] ~MidStep() {
        L::scatter(x2, s_, &NotchSection::x2);
        L::scatter(x1, s_, &NotchSection::x1);
        L::scatter(x, s_, &NotchSection::x);
        L::scatter(y2, s_, &NotchSection::y2);
        L::scatter(y1, s_, &NotchSection::y1);
    }
    MidStep(const MidStep&) = delete;
    MidStep& operator=(const MidStep&) = delete;

    [[gnu::always_inline]] F step(F in) {
        const D o = notch(in);
        return midBlend<L>(x, o, g);
    }

    // The notch alone, the stage's state: notch = b0·(x + x2) + b1·x1 + 1e-25
    // − a2·y2 − a1·y1, the feedback term last (as in HighPassStep).
    [[gnu::always_inline]] D notch(F in) {
        x = L::widen(in);
        const D early = L::negMulAdd(a2, y2, L::mulAdd(b0, x + x2, L::mulAdd(b1, x1, L::all(1e-25))));
        const D o = L::finiteAsFloat(L::negMulAdd(a1, y1, early));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = o;
        return o;
    }

private:
    const lanes::Each<L, NotchSection> s_;
    const D b0, b1, a1, a2, g;
    D x2, x1, x, y2, y1;
};
