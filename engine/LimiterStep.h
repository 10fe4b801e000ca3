// The half-wave limiter one sample at a time. The state every sample touches
// lives in the run's locals; closing a segment (a few times per half-wave)
// works on the record out of line, which is brought up to date around it.
// limitBlock and the fused dynamics loop both run their samples through it.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/SimdArch.h"
#include "engine/Stages.h"

namespace limiter {

// Ramp length in slots: trunc(rampFactor * 190 + 10), 13 (sharp) to 105
// (dull) for the factors the coefficient update produces; anything else is
// kept inside the weight table.
int32_t rampLength(float rampFactor);

// A crossing ends the half-wave: its last hump, or the whole half-wave, is written.
void closeAtCrossing(ChannelState& ch, float v, int32_t R, bool falling, int64_t reach);
// A dip after a hump: the hump is written and the next one begins.
void closeAtDip(ChannelState& ch, float v, int32_t R, bool falling, int64_t reach);

}  // namespace limiter

// Arch only tells the instruction sets apart: each source built for its own
// set gets its own copy of the run, never one compiled for another set.
template <typename Arch>
class LimiterRunFor {
public:
    [[gnu::always_inline]] LimiterRunFor(ChannelState& ch, float rampFactor, bool falling)
        : ch_(ch), R(limiter::rampLength(rampFactor)), falling_(falling), L(ch.ringLength),
          // Backward writes stay on slots the output tap has still to read,
          // and clear of the release ramp's slots ahead of writePos.
          ringReach(std::max<int64_t>(0, int64_t(ch.ringLength) - R - 1)), delay(ch.delayLine),
          prev(ch.prevSample), peak(ch.segmentPeak), slope(ch.lastSlope), turnLevel(ch.turnLevel),
          length(ch.segmentLength), pos(ch.writePos), sign(ch.halfWaveSign), humps(ch.humpCount) {}
    [[gnu::always_inline]] ~LimiterRunFor() {
        toRecord();
        ch_.prevSample = prev;
        ch_.lastSlope = slope;
        ch_.turnLevel = turnLevel;
        ch_.halfWaveSign = sign;
    }
    LimiterRunFor(const LimiterRunFor&) = delete;
    LimiterRunFor& operator=(const LimiterRunFor&) = delete;

    // Sample u (after the knee) at index i of the block.
    [[gnu::always_inline]] void step(float u, int32_t i) {
        const float v = std::fabs(u);
        delay[pos] = u;
        const float d = u - prev;

        bool start = false;
        if (prev == 0.0f && u == 0.0f) {
            length = 0;
            humps = 0;
        } else if (prev == 0.0f && sign == -1) {
            start = true;
        } else if (prev != 0.0f && endsHalfWave(u)) {
            toRecord();
            limiter::closeAtCrossing(ch_, v, R, falling_, reach(i));
            fromRecord();
            start = true;
        } else if ((d > 0.0f && slope < 0.0f) || (d < 0.0f && slope > 0.0f)) {  // a turning point
            if (v < turnLevel) {  // the dip after a hump
                toRecord();
                limiter::closeAtDip(ch_, v, R, falling_, reach(i));
                fromRecord();
            }
            turnLevel = v;
            slope = d;
        }
        if (start) {  // a half-wave starts
            turnLevel = 0.0f;
            slope = d;
            length = 0;
            humps = 0;
            peak = 0.0f;
            sign = u > 0.0f ? 1 : 0;
        }

        if (v >= peak) peak = v;
        prev = u;
        // Saturates instead of overflowing on a signal that never closes a segment.
        length += length != std::numeric_limits<int32_t>::max();
        pos = pos + 1 == L ? 0 : pos + 1;
    }

private:
    [[gnu::always_inline]] bool endsHalfWave(float u) const {
        return (u > 0.0f && sign == 0) || (u < 0.0f && sign == 1) || (u == 0.0f && (sign == 0 || sign == 1));
    }
    [[gnu::always_inline]] int64_t reach(int32_t i) const { return std::min<int64_t>(int64_t(kLimiterLead) + i, ringReach); }
    [[gnu::always_inline]] void toRecord() {
        ch_.segmentPeak = peak;
        ch_.segmentLength = length;
        ch_.writePos = pos;
        ch_.humpCount = humps;
    }
    [[gnu::always_inline]] void fromRecord() {
        peak = ch_.segmentPeak;
        length = ch_.segmentLength;
        humps = ch_.humpCount;
    }

    ChannelState& ch_;
    const int32_t R;
    const bool falling_;
    const int32_t L;
    const int64_t ringReach;
    float* const delay;
    float prev, peak, slope, turnLevel;
    int32_t length, pos, sign, humps;
};

using LimiterRun = LimiterRunFor<simd::Sse2>;
