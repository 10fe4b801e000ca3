// The half-wave limiter one sample at a time. The state every sample touches
// lives in the run's locals; a closed segment (a few times per half-wave) is
// queued and written into the gain rings out of line, after the caller's
// stretch of samples, so that the per-sample loop makes no call. limitBlock
// and the fused dynamics loop both run their samples through it.
#pragma once
#include <emmintrin.h>

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

// A closed segment, to be written: the slot of the sample that closed it,
// its length and peak, how far back writes may reach, and whether it was a
// hump (else a whole half-wave).
struct Close {
    int32_t pos, length;
    float peak;
    int64_t reach;
    bool hump;
};

// Writes closed segments into the gain rings, in the order they closed.
// Nothing the limiter decides afterwards depends on these writes (every
// write keeps the minimum, so they may also come later, as long as they
// come before the rings are read), which lets the per-sample loop queue
// them instead of calling out of it.
void writeCloses(ChannelState& ch, const Close* closes, int32_t count, int32_t R, bool falling);

// Closes a run can queue before they must be written: one per sample at most.
constexpr int32_t kMaxQueued = 64;

// A closed segment as the per-sample loop notes it, with as little work as
// possible: the block index of the sample that closed it, whether it was a
// hump, its peak, and the run's length origin then (see LimiterRunFor).
struct Noted {
    int32_t index;
    bool hump;
    float peak;
    int64_t lengthBase;
};

}  // namespace limiter

// Arch only tells the instruction sets apart: each source built for its own
// set gets its own copy of the run, never one compiled for another set.
template <typename Arch>
class LimiterRunFor {
    limiter::Noted* const queued;

public:
    // queue: room for kMaxQueued closes, kept by the caller apart from the
    // run, so the run's values stay in registers (an array indexed by a
    // variable inside the run would keep all of it in memory).
    // n: the samples the run will take, at block indices 0 … n - 1.
    [[gnu::always_inline]] LimiterRunFor(ChannelState& ch, float rampFactor, bool falling, limiter::Noted* queue,
                                         int32_t n)
        : queued(queue), ch_(ch), R(limiter::rampLength(rampFactor)), falling_(falling), L(ch.ringLength), n_(n),
          // Backward writes stay on slots the output tap has still to read,
          // and clear of the release ramp's slots ahead of writePos.
          ringReach(std::max<int64_t>(0, int64_t(ch.ringLength) - R - 1)), everyClose(ch.segmentLog != nullptr),
          delay(ch.delayLine),
          prev(ch.prevSample), peak(ch.segmentPeak), slope(ch.lastSlope), turnLevel(ch.turnLevel),
          lengthBase(ch.segmentLength), pos0(ch.writePos), sign(ch.halfWaveSign), humps(ch.humpCount),
          endSign(endSignOf(ch.halfWaveSign)), slopeSign(signOf(ch.lastSlope)) {}
    [[gnu::always_inline]] ~LimiterRunFor() {
        writeQueued();
        toRecord();
        ch_.prevSample = prev;
        ch_.lastSlope = slope;
        ch_.turnLevel = turnLevel;
        ch_.halfWaveSign = sign;
    }
    LimiterRunFor(const LimiterRunFor&) = delete;
    LimiterRunFor& operator=(const LimiterRunFor&) = delete;

    // Sample u (after the knee) at index i of the block, the samples taken
    // in order. Closed segments are queued; writeQueued() writes them, at the
    // latest after kMaxQueued steps. The samples go into the delay line by
    // toDelay, a stretch at a time (endStretch does both). Branchless: turning
    // points found without a branch (turnBranchless), for noisy material.
    template <bool Branchless = false>
    [[gnu::always_inline]] void step(float u, int32_t i) {
        const float v = std::fabs(u);
        const float d = u - prev;

        // The usual sample keeps the half-wave's sign: then the rule can only
        // find a turning point, whatever the sample before (after a zero, the
        // rule's first cases need a sample that is zero itself or comes
        // before any half-wave). Everything else (a zero, a crossing, no
        // half-wave yet, NaN) is taken apart, behind this one test.
        if (!(u * endSign > 0.0f)) [[unlikely]] rare(u, v, d, i);
        else if constexpr (Branchless) turnBranchless(v, d, i);
        else turn(v, d, i);
        peak = std::max(peak, v);  // peak < v ? v : peak: a NaN sample leaves it
        prev = u;
    }

    // turn without a branch: the close is queued in any case and counted only
    // when the hump closes, and every running value takes its new value or
    // keeps its own by a mask.
    [[gnu::always_inline]] void turnBranchless(float v, float d, int32_t i) {
        const __m128 vv = inLane0(v), dd = inLane0(d);
        const __m128 turning = _mm_cmplt_ss(_mm_mul_ss(dd, inLane0(slopeSign)), _mm_setzero_ps());
        const __m128 closes = _mm_and_ps(turning, _mm_cmplt_ss(vv, inLane0(turnLevel)));
        const int32_t c = _mm_movemask_ps(closes) & 1;
        dips += c;
        queued[count] = {i, true, peak, lengthBase};
        count += c & ((peak >= kMayLimit) | everyClose);
        humps += c;
        lengthBase ^= (lengthBase ^ -int64_t(i)) & -int64_t(c);
        peak = pick(closes, vv, peak);
        turnLevel = pick(turning, vv, turnLevel);
        slope = pick(turning, dd, slope);
        slopeSign = pick(turning, _mm_or_ps(_mm_and_ps(dd, _mm_set1_ps(-0.0f)), _mm_set1_ps(1.0f)), slopeSign);
    }
    // x in lane 0 of a vector, the other lanes whatever the register holds:
    // no instruction. GCC keeps the clearing of the other lanes that
    // _mm_set_ss asks for even where only lane 0 is read, so there the float's
    // register is taken as the vector by an empty asm; clang drops the
    // clearing itself (and cannot tie a float to a vector operand).
    [[gnu::always_inline]] static __m128 inLane0(float x) {
#if defined(__clang__)
        return _mm_set_ss(x);
#else
        __m128 r;
        __asm__("" : "=v"(r) : "0"(x));
        return r;
#endif
    }
    [[gnu::always_inline]] static float pick(__m128 mask, __m128 yes, float no) {
        return _mm_cvtss_f32(_mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, inLane0(no))));
    }

    // The rule's cases for a sample that is not the usual one.
    [[gnu::always_inline]] void rare(float u, float v, float d, int32_t i) {
        bool start = false;
        if (prev == 0.0f && (u == 0.0f || sign == -1)) {
            if (u == 0.0f) {
                restartLength(i);
                humps = 0;
            } else {
                start = true;
            }
        } else if (prev != 0.0f && endsHalfWave(u)) {
            // The half-wave, or its last hump, closes; a new half-wave starts.
            queue({i, humps > 0, peak, lengthBase});
            start = true;
        } else {
            turn(v, d, i);
        }
        if (start) {  // a half-wave starts
            turnLevel = 0.0f;
            slope = d;
            slopeSign = signOf(d);
            restartLength(i);
            humps = 0;
            peak = 0.0f;
            sign = u > 0.0f ? 1 : 0;
            endSign = endSignOf(sign);
        }
    }

    // A turning point (d against the sign of the last slope): the dip after
    // a hump closes the hump, and the next one starts here.
    [[gnu::always_inline]] void turn(float v, float d, int32_t i) {
        if (!(d * slopeSign < 0.0f)) return;
        if (v < turnLevel) {
            dips += 1;
            queue({i, true, peak, lengthBase});
            peak = v;
            humps += 1;
            restartLength(i);
        }
        turnLevel = v;
        slope = d;
        slopeSign = std::copysign(1.0f, d);  // d is not zero here
    }

    // The end of a stretch of steps: its samples u[0 … m - 1] (block indices
    // from on) into the delay line, and the segments it closed written out.
    [[gnu::always_inline]] void endStretch(const float* u, int32_t from, int32_t m) {
        toDelay(u, from, m);
        writeQueued();
    }

    // Samples u[0 … m - 1], block indices from on, into the delay line.
    [[gnu::always_inline]] void toDelay(const float* u, int32_t from, int32_t m) {
        for (int32_t slot = posAt(from); m > 0;) {
            const int32_t run = std::min(m, L - slot);
            std::copy(u, u + run, delay + slot);
            u += run;
            m -= run;
            slot = 0;
        }
    }

    // Whether the block before ended on a noisy stretch, and the same for this
    // one (kept for the next block).
    [[gnu::always_inline]] bool wasNoisy() const { return ch_.limiterNoisy; }
    [[gnu::always_inline]] void endNoisy(bool noisy) { ch_.limiterNoisy = noisy; }

    // The humps closed since the last call: how noisy the material is.
    [[gnu::always_inline]] int32_t takeDips() {
        const int32_t d = dips;
        dips = 0;
        return d;
    }

    // Inlined too: a call taking the run's address would keep all of its
    // running values in memory through the per-sample loop.
    [[gnu::always_inline]] void writeQueued() {
        if (count == 0) return;  // nothing queued (and closes would be left unfilled)
        limiter::Close closes[limiter::kMaxQueued];
        for (int32_t k = 0; k < count; ++k) {
            const limiter::Noted& c = queued[k];
            closes[k] = {posAt(c.index), lengthAt(c.index, c.lengthBase), c.peak, reach(c.index), c.hump};
        }
        limiter::writeCloses(ch_, closes, count, R, falling_);
        count = 0;
    }

private:
    // u > 0 or zero ends a negative half-wave, u < 0 or zero a positive one:
    // one product with the half-wave's end sign (NaN before the first, which
    // no sample ends).
    [[gnu::always_inline]] bool endsHalfWave(float u) const { return u * endSign <= 0.0f; }
    // -1, 0 or +1: multiplied by it, a difference keeps or flips its sign, or is 0.
    static float signOf(float x) { return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f); }
    static float endSignOf(int32_t sign) {
        return sign == 1 ? 1.0f : (sign == 0 ? -1.0f : std::numeric_limits<float>::quiet_NaN());
    }
    // Queues a closed segment, unless its peak stays below full scale: then
    // its gain 1/peak is above 1.0 and it writes nothing. Most segments are
    // such on hot material too, so they are dropped here, without a branch.
    [[gnu::always_inline]] void queue(const limiter::Noted& c) {
        queued[count] = c;
        count += c.peak >= kMayLimit || everyClose;
    }
    // The largest float below 1.0: every smaller peak has 1/peak above 1.0.
    static constexpr float kMayLimit = 0x1.fffffep-1f;
    [[gnu::always_inline]] int64_t reach(int32_t i) const {
        return std::min<int64_t>(int64_t(kLimiterLead) + i, ringReach);
    }
    [[gnu::always_inline]] void toRecord() {
        ch_.segmentPeak = peak;
        ch_.segmentLength = lengthAt(n_, lengthBase);
        ch_.writePos = posAt(n_);
        ch_.humpCount = humps;
    }
    // The ring slot of block index i (at most a ring's length ahead; the
    // rings are longer than any block).
    [[gnu::always_inline]] int32_t posAt(int32_t i) const {
        int32_t p = pos0 + i;
        while (p >= L) p -= L;
        return p;
    }
    // Position and length follow the block index instead of being counted at
    // every sample: the segment's length at sample i (before it counts),
    // which saturates instead of overflowing on a signal that never closes a
    // segment, and the restart at sample i (which then counts as 1).
    [[gnu::always_inline]] static int32_t lengthAt(int32_t i, int64_t base) {
        return int32_t(std::min<int64_t>(base + i, std::numeric_limits<int32_t>::max()));
    }
    [[gnu::always_inline]] void restartLength(int32_t i) { lengthBase = -int64_t(i); }

    ChannelState& ch_;
    const int32_t R;
    const bool falling_;
    const int32_t L;
    const int32_t n_;
    const int64_t ringReach;
    const bool everyClose;  // a listener hears every decision, also those that write nothing
    float* const delay;
    float prev, peak, slope, turnLevel;
    int64_t lengthBase;  // the length at block index i is lengthBase + i
    const int32_t pos0;  // writePos at block index 0
    int32_t sign, humps;
    float endSign, slopeSign;
    int32_t count = 0;
    int32_t dips = 0;  // humps closed since takeDips
};

using LimiterRun = LimiterRunFor<simd::Sse2>;
