// A high-pass section worked on in a block loop: coefficients and history held
// in locals, one step per sample, written back at the end of the block.
#pragma once
#include "engine/ChannelState.h"
#include "engine/PairLanes.h"
#include "engine/Settle.h"

class HighPassRun {
public:
    explicit HighPassRun(HighPassSection& s)
        : s_(s), b0(s.b0), b1(s.b1), b2(s.b2), a1(s.a1), a2(s.a2),
          x2(s.x2), x1(s.x1), x(s.x), y2(s.y2), y1(s.y1), y(s.y) {}
    ~HighPassRun() {
        s_.x2 = x2;
        s_.x1 = x1;
        s_.x = x;
        s_.y2 = y2;
        s_.y1 = y1;
        s_.y = y;
    }
    HighPassRun(const HighPassRun&) = delete;
    HighPassRun& operator=(const HighPassRun&) = delete;

    // y = b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2, carried in double, guarded.
    [[gnu::always_inline]] float step(float in) {
        x = in;
        y = settle(static_cast<float>(b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    HighPassSection& s_;
    const double b0, b1, b2, a1, a2;
    float x2, x1, x, y2, y1, y;
};

// Two sections at once, one per double lane: the step of HighPassRun. The
// history holds float values widened to double, so writing it back is exact.
// The feedback term a1·y1 comes last and the rounding to float stays in
// double, so the chain from one output to the next is short; Arch gives the
// fused multiply-add where there is one (see SimdArch.h).
template <typename Arch = simd::Sse2>
class HighPassPair {
public:
    [[gnu::always_inline]] HighPassPair(HighPassSection& l, HighPassSection& r)
        : l_(l), r_(r),
          b0(lanes::pair(l.b0, r.b0)), b1(lanes::pair(l.b1, r.b1)), b2(lanes::pair(l.b2, r.b2)),
          a1(lanes::pair(l.a1, r.a1)), a2(lanes::pair(l.a2, r.a2)),
          x2(lanes::pair(l.x2, r.x2)), x1(lanes::pair(l.x1, r.x1)), x(lanes::pair(l.x, r.x)),
          y2(lanes::pair(l.y2, r.y2)), y1(lanes::pair(l.y1, r.y1)), y(lanes::pair(l.y, r.y)) {}
    [[gnu::always_inline]] ~HighPassPair() {
        lanes::split(x2, l_.x2, r_.x2);
        lanes::split(x1, l_.x1, r_.x1);
        lanes::split(x, l_.x, r_.x);
        lanes::split(y2, l_.y2, r_.y2);
        lanes::split(y1, l_.y1, r_.y1);
        lanes::split(y, l_.y, r_.y);
    }
    HighPassPair(const HighPassPair&) = delete;
    HighPassPair& operator=(const HighPassPair&) = delete;

    // Takes and returns float values widened to double.
    [[gnu::always_inline]] __m128d step(__m128d in) {
        x = in;
        const __m128d early = Arch::negMulAdd(a2, y2, Arch::mulAdd(b2, x2, Arch::mulAdd(b1, x1, _mm_mul_pd(b0, x))));
        y = lanes::settleAsFloat(Arch::negMulAdd(a1, y1, early));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    HighPassSection& l_;
    HighPassSection& r_;
    const __m128d b0, b1, b2, a1, a2;
    __m128d x2, x1, x, y2, y1, y;
};
