// Mid stage, one sample at a time: a notch at Mid Freq; the band it removes,
// r = x - notch(x), is scaled by g = 2c (silent at 0, unchanged at 0.5,
// doubled at 1). The notch output is clamped to full scale for the split but
// kept whole as state.
#pragma once
#include <algorithm>

#include "engine/ChannelState.h"
#include "engine/PairLanes.h"
#include "engine/Settle.h"

// The band gain of a block: the factors 2c and (c - 0.5) * 2 are floats; the
// + 1 is carried in double.
inline double midGain(float c) { return c > 0.5f ? double((c - 0.5f) * 2.0f) + 1.0 : double(2.0f * c); }

// Notch history and coefficients held in locals, written back at the end.
class MidRun {
public:
    MidRun(NotchSection& s, float c)
        : s_(s), b0(s.b0), b1(s.b1), a1(s.a1), a2(s.a2), g(midGain(c)),
          x2(s.x2), x1(s.x1), x(s.x), y2(s.y2), y1(s.y1) {}
    ~MidRun() {
        s_.x2 = x2;
        s_.x1 = x1;
        s_.x = x;
        s_.y2 = y2;
        s_.y1 = y1;
    }
    MidRun(const MidRun&) = delete;
    MidRun& operator=(const MidRun&) = delete;

    [[gnu::always_inline]] float step(float in) {
        x = in;
        const double notch = b0 * (static_cast<double>(x) + x2) + b1 * x1 - a1 * y1 - a2 * y2 + 1e-25;
        const float o = finiteOrZero(static_cast<float>(notch));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = o;
        const float oc = std::clamp(o, -1.0f, 1.0f);
        const float r = static_cast<float>(static_cast<double>(x) - oc);
        const double p = static_cast<double>(x) - r;
        return settle(static_cast<float>(static_cast<double>(flush(r)) * g + p));
    }

private:
    NotchSection& s_;
    const double b0, b1, a1, a2, g;
    float x2, x1, x, y2, y1;
};

// Both channels at once, one per lane (float values in lanes 0 and 1). The
// history holds float values widened to double, so writing it back is exact.
// As in HighPassPair, the feedback term comes last.
template <typename Arch = simd::Sse2>
class MidPair {
public:
    [[gnu::always_inline]] MidPair(NotchSection& l, NotchSection& r, float c)
        : l_(l), r_(r),
          b0(lanes::pair(l.b0, r.b0)), b1(lanes::pair(l.b1, r.b1)),
          a1(lanes::pair(l.a1, r.a1)), a2(lanes::pair(l.a2, r.a2)), g(_mm_set1_pd(midGain(c))),
          x2(lanes::pair(l.x2, r.x2)), x1(lanes::pair(l.x1, r.x1)), x(lanes::pair(l.x, r.x)),
          y2(lanes::pair(l.y2, r.y2)), y1(lanes::pair(l.y1, r.y1)) {}
    [[gnu::always_inline]] ~MidPair() {
        lanes::split(x2, l_.x2, r_.x2);
        lanes::split(x1, l_.x1, r_.x1);
        lanes::split(x, l_.x, r_.x);
        lanes::split(y2, l_.y2, r_.y2);
        lanes::split(y1, l_.y1, r_.y1);
    }
    MidPair(const MidPair&) = delete;
    MidPair& operator=(const MidPair&) = delete;

    [[gnu::always_inline]] __m128 step(__m128 in) {
        x = lanes::widen(in);
        const __m128d early =
            Arch::negMulAdd(a2, y2, Arch::mulAdd(b0, _mm_add_pd(x, x2), Arch::mulAdd(b1, x1, _mm_set1_pd(1e-25))));
        const __m128d notch = Arch::negMulAdd(a1, y1, early);
        const __m128d o = lanes::finiteAsFloat(notch);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = o;
        // o is finite, so clamping it in double equals clamping the float.
        const __m128 r = lanes::narrow(_mm_sub_pd(x, lanes::clampUnit(o)));
        const __m128d p = _mm_sub_pd(x, lanes::widen(r));
        return blockops::settle4(lanes::narrow(_mm_add_pd(_mm_mul_pd(lanes::widen(blockops::flush4(r)), g), p)));
    }

private:
    NotchSection& l_;
    NotchSection& r_;
    const __m128d b0, b1, a1, a2, g;
    __m128d x2, x1, x, y2, y1;
};
