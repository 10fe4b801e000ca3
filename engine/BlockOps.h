// Per-sample work of the driver that is independent from sample to sample,
// written once over four float lanes: a block runs four samples at a time,
// and its last one to three samples one at a time through the same code.
#pragma once
#include <emmintrin.h>

#include <cstdint>

#include "engine/Flush.h"
#include "engine/Settle.h"

namespace blockops {

// How many samples a turn of a block loop moves: four, or one (broadcast to
// every lane on load, so a lane-wise minimum or maximum folds it alike).
struct Four {
    [[gnu::always_inline]] static __m128 load(const float* p) { return _mm_loadu_ps(p); }
    [[gnu::always_inline]] static void store(float* p, __m128 v) { _mm_storeu_ps(p, v); }
};
struct One {
    [[gnu::always_inline]] static __m128 load(const float* p) { return _mm_load1_ps(p); }
    [[gnu::always_inline]] static void store(float* p, __m128 v) { _mm_store_ss(p, v); }
};

// body(width, i) for samples i of a block of n: four at a time, then one at a time.
template <typename Body>
[[gnu::always_inline]] inline void inFours(int32_t n, Body&& body) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) body(Four{}, i);
    for (; i < n; ++i) body(One{}, i);
}

// A block's lanes folded into a running value, lane by lane: the largest, or
// the smallest.
inline float largest(__m128 v, float top) {
    float lanes[4];
    _mm_storeu_ps(lanes, v);
    for (float x : lanes)
        if (x > top) top = x;
    return top;
}
inline float smallest(__m128 v, float low) {
    float lanes[4];
    _mm_storeu_ps(lanes, v);
    for (float x : lanes)
        if (x < low) low = x;
    return low;
}

// Input copy: each sample settled.
inline void copySettled(float* to, const float* from, int32_t n) {
    inFours(n, [&](auto w, int32_t i) { w.store(to + i, settle4(w.load(from + i))); });
}

// Drive gain in place (a product that overflows counts as silence); returns
// the largest product (0 for an empty block).
inline float driveInPlace(float* work, int32_t n, float gain) {
    const __m128 g = _mm_set1_ps(gain);
    __m128 top = _mm_setzero_ps();
    inFours(n, [&](auto w, int32_t i) {
        const __m128 v = finiteOrZero4(_mm_mul_ps(w.load(work + i), g));
        w.store(work + i, v);
        top = _mm_max_ps(top, v);
    });
    return largest(top, 0.0f);
}

// The smallest value of a block (1.0 for an empty one: no gain below unity).
inline float lowest(const float* v, int32_t n) {
    __m128 low = _mm_set1_ps(1.0f);
    inFours(n, [&](auto w, int32_t i) { low = _mm_min_ps(w.load(v + i), low); });
    return smallest(low, 1.0f);
}

// Output tap over one run of slots that do not wrap: the gain of each channel
// (the minimum of both when linked) times its delayed sample into out[c],
// the lowest gain folded into low[c], and the limiter's slots behind the tap
// reset to 1.0. Channels with active[c] false are not touched. Where keep[c]
// is set, each channel's own gain (before the link) is also copied there.
struct TapRun {
    const float* ring[2];   // the chosen gain rings, at the read slot
    const float* delay[2];  // delay lines, at the read slot
    float* cleared[2];      // limitGain, at the clear slot
    float* out[2];
    float* keep[2];
    bool active[2];
    bool linked;
};

inline void tapRun(const TapRun& t, int32_t k, float low[2]) {
    __m128 low4[2] = {_mm_set1_ps(low[0]), _mm_set1_ps(low[1])};
    const __m128 one = _mm_set1_ps(1.0f);
    inFours(k, [&](auto w, int32_t i) {
        __m128 g[2] = {w.load(t.ring[0] + i), w.load(t.ring[1] + i)};
        for (int c = 0; c < 2; ++c)
            if (t.keep[c]) w.store(t.keep[c] + i, g[c]);
        if (t.linked) g[0] = g[1] = _mm_min_ps(g[1], g[0]);  // the smaller gain of both
        for (int c = 0; c < 2; ++c) {
            if (!t.active[c]) continue;
            w.store(t.out[c] + i, _mm_mul_ps(w.load(t.delay[c] + i), g[c]));
            low4[c] = _mm_min_ps(g[c], low4[c]);  // g < low ? g : low
            w.store(t.cleared[c] + i, one);
        }
    });
    for (int c = 0; c < 2; ++c) low[c] = smallest(low4[c], low[c]);
}

// Output gain and flush for both sides, written or added.
inline void outputStereo(float* out0, float* out1, const float* w0, const float* w1, int32_t n, float gain,
                         bool accumulate) {
    const __m128 g = _mm_set1_ps(gain);
    inFours(n, [&](auto w, int32_t i) {
        __m128 l = flush4(_mm_mul_ps(g, w.load(w0 + i)));
        __m128 r = flush4(_mm_mul_ps(g, w.load(w1 + i)));
        if (accumulate) {
            l = _mm_add_ps(w.load(out0 + i), l);
            r = _mm_add_ps(w.load(out1 + i), r);
        }
        w.store(out0 + i, l);
        w.store(out1 + i, r);
    });
}

}  // namespace blockops
