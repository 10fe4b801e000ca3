// Per-sample work of the driver that is independent from sample to sample,
// four samples at a time with SSE2. Each lane does exactly the operations of
// the scalar code beside it, and the tail of a block runs that scalar code.
#pragma once
#include <emmintrin.h>

#include <cstdint>

#include "engine/Flush.h"
#include "engine/Settle.h"

namespace blockops {

[[gnu::always_inline]] inline __m128 magnitude(__m128 v) {
    return _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)));
}

// settle: non-finite values and values strictly inside ±2^-32 become 0.
[[gnu::always_inline]] inline __m128 settle4(__m128 v) {
    const __m128 a = magnitude(v);
    const __m128 keep = _mm_and_ps(_mm_cmpge_ps(a, _mm_set1_ps(kFlushFloor)), _mm_cmplt_ps(a, _mm_set1_ps(INFINITY)));
    return _mm_and_ps(v, keep);
}

// flush: values strictly inside ±2^-32 become 0; NaN passes as in flush().
[[gnu::always_inline]] inline __m128 flush4(__m128 v) {
    return _mm_and_ps(v, _mm_cmpnlt_ps(magnitude(v), _mm_set1_ps(kFlushFloor)));
}

// Input copy: each sample settled.
inline void copySettled(float* to, const float* from, int32_t n) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) _mm_storeu_ps(to + i, settle4(_mm_loadu_ps(from + i)));
    for (; i < n; ++i) to[i] = settle(from[i]);
}

// Drive gain in place (a product that overflows counts as silence); returns
// the largest product (0 for an empty block).
inline float driveInPlace(float* work, int32_t n, float gain) {
    const __m128 g = _mm_set1_ps(gain);
    const __m128 finiteLimit = _mm_set1_ps(INFINITY);
    __m128 top = _mm_setzero_ps();
    float topScalar = 0.0f;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 p = _mm_mul_ps(_mm_loadu_ps(work + i), g);
        const __m128 v = _mm_and_ps(p, _mm_cmplt_ps(magnitude(p), finiteLimit));
        _mm_storeu_ps(work + i, v);
        top = _mm_max_ps(top, v);
    }
    for (; i < n; ++i) {
        const float v = finiteOrZero(work[i] * gain);
        work[i] = v;
        if (v > topScalar) topScalar = v;
    }
    float lanes[4];
    _mm_storeu_ps(lanes, top);
    for (float v : lanes)
        if (v > topScalar) topScalar = v;
    return topScalar;
}

// The smallest value of a block (1.0 for an empty one: no gain below unity).
inline float lowest(const float* v, int32_t n) {
    __m128 low4 = _mm_set1_ps(1.0f);
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) low4 = _mm_min_ps(_mm_loadu_ps(v + i), low4);
    float low = 1.0f;
    for (; i < n; ++i)
        if (v[i] < low) low = v[i];
    float lanes[4];
    _mm_storeu_ps(lanes, low4);
    for (float x : lanes)
        if (x < low) low = x;
    return low;
}

}  // namespace blockops

namespace blockops {

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
    int32_t i = 0;
    for (; i + 4 <= k; i += 4) {
        __m128 g[2] = {_mm_loadu_ps(t.ring[0] + i), _mm_loadu_ps(t.ring[1] + i)};
        for (int c = 0; c < 2; ++c)
            if (t.keep[c]) _mm_storeu_ps(t.keep[c] + i, g[c]);
        if (t.linked) g[0] = g[1] = _mm_min_ps(g[1], g[0]);  // std::min(gL, gR)
        for (int c = 0; c < 2; ++c) {
            if (!t.active[c]) continue;
            _mm_storeu_ps(t.out[c] + i, _mm_mul_ps(_mm_loadu_ps(t.delay[c] + i), g[c]));
            low4[c] = _mm_min_ps(g[c], low4[c]);  // g < low ? g : low
            _mm_storeu_ps(t.cleared[c] + i, one);
        }
    }
    for (int c = 0; c < 2; ++c) {
        float lanes[4];
        _mm_storeu_ps(lanes, low4[c]);
        for (float v : lanes)
            if (v < low[c]) low[c] = v;
    }
    for (; i < k; ++i) {
        float g[2] = {t.ring[0][i], t.ring[1][i]};
        for (int c = 0; c < 2; ++c)
            if (t.keep[c]) t.keep[c][i] = g[c];
        if (t.linked) g[0] = g[1] = g[1] < g[0] ? g[1] : g[0];
        for (int c = 0; c < 2; ++c) {
            if (!t.active[c]) continue;
            t.out[c][i] = t.delay[c][i] * g[c];
            if (g[c] < low[c]) low[c] = g[c];
            t.cleared[c][i] = 1.0f;
        }
    }
}

// Output gain and flush for both sides, written or added.
inline void outputStereo(float* out0, float* out1, const float* w0, const float* w1, int32_t n, float gain,
                         bool accumulate) {
    const __m128 g = _mm_set1_ps(gain);
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128 l = flush4(_mm_mul_ps(g, _mm_loadu_ps(w0 + i)));
        __m128 r = flush4(_mm_mul_ps(g, _mm_loadu_ps(w1 + i)));
        if (accumulate) {
            l = _mm_add_ps(_mm_loadu_ps(out0 + i), l);
            r = _mm_add_ps(_mm_loadu_ps(out1 + i), r);
        }
        _mm_storeu_ps(out0 + i, l);
        _mm_storeu_ps(out1 + i, r);
    }
    for (; i < n; ++i) {
        const float l = flush(gain * w0[i]);
        const float r = flush(gain * w1[i]);
        if (accumulate) {
            out0[i] += l;
            out1[i] += r;
        } else {
            out0[i] = l;
            out1[i] = r;
        }
    }
}

}  // namespace blockops
