// A high-pass section worked on in a block loop: coefficients and history held
// in locals, one step per sample, written back at the end of the block.
#pragma once
#include "engine/ChannelState.h"
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
    float step(float in) {
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
