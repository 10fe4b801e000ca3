// Per-sample work of the driver that is independent from sample to sample,
// written once over a vector of float lanes: a block runs a vector's width
// of samples at a time, and its last few samples one at a time through the
// same code. Built for each instruction set (SimdSse2.cpp and the wider
// sources) with the widest vector it has.
#pragma once
#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "engine/Flush.h"
#include "engine/Settle.h"

namespace blockops {

// The compiler's float vectors: 4 lanes in every build, 8 with AVX2, 16
// with AVX-512.
typedef float Vector4 __attribute__((vector_size(16)));
typedef float Vector8 __attribute__((vector_size(32)));
typedef float Vector16 __attribute__((vector_size(64)));

// A float vector and the few operations the passes need beyond its
// operators, written once for every width.
template <typename V>
struct Floats {
    using T = V;
    static constexpr int32_t width = sizeof(V) / sizeof(float);
    // v in every lane (v - 0 is v exactly; the compiler makes it a broadcast).
    [[gnu::always_inline]] static T all(float v) { return v - T{}; }
    [[gnu::always_inline]] static T load(const float* p) {
        T v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    [[gnu::always_inline]] static void store(float* p, T v) { std::memcpy(p, &v, sizeof v); }
    // As the minimum and maximum instructions: the second operand when either is NaN.
    [[gnu::always_inline]] static T min(T a, T b) { return a < b ? a : b; }
    [[gnu::always_inline]] static T max(T a, T b) { return a > b ? a : b; }
};

// How many samples a turn of a block loop moves: a vector's width, or one
// (broadcast to every lane on load, so a lane-wise minimum or maximum folds
// it alike).
template <typename V>
struct Full : V {};
template <typename V>
struct Single : V {
    [[gnu::always_inline]] static typename V::T load(const float* p) { return V::all(*p); }
    [[gnu::always_inline]] static void store(float* p, typename V::T v) { *p = v[0]; }
};

// body(width, i) for samples i of a block of n: a vector at a time, then one at a time.
template <typename V, typename Body>
[[gnu::always_inline]] inline void inVectors(int32_t n, Body&& body) {
    int32_t i = 0;
    for (; i + V::width <= n; i += V::width) body(Full<V>{}, i);
    for (; i < n; ++i) body(Single<V>{}, i);
}

// A block's lanes folded into a running value, lane by lane: the largest, or
// the smallest.
template <typename V>
[[gnu::always_inline]] inline float largest(typename V::T v, float top) {
    for (int32_t i = 0; i < V::width; ++i)
        if (v[i] > top) top = v[i];
    return top;
}
template <typename V>
[[gnu::always_inline]] inline float smallest(typename V::T v, float low) {
    for (int32_t i = 0; i < V::width; ++i)
        if (v[i] < low) low = v[i];
    return low;
}

// Input copy: each sample settled.
template <typename V>
void copySettled(float* to, const float* from, int32_t n) {
    inVectors<V>(n, [&](auto w, int32_t i) { w.store(to + i, settleLanes(w.load(from + i))); });
}

// Drive gain in place (a product that overflows counts as silence); returns
// the largest product (0 for an empty block).
template <typename V>
float driveInPlace(float* work, int32_t n, float gain) {
    const typename V::T g = V::all(gain);
    typename V::T top = V::all(0.0f);
    inVectors<V>(n, [&](auto w, int32_t i) {
        const typename V::T v = finiteOrZeroLanes(w.load(work + i) * g);
        w.store(work + i, v);
        top = V::max(top, v);
    });
    return largest<V>(top, 0.0f);
}

// The smallest value of a block (1.0 for an empty one: no gain below unity).
template <typename V>
float lowest(const float* v, int32_t n) {
    typename V::T low = V::all(1.0f);
    inVectors<V>(n, [&](auto w, int32_t i) { low = V::min(w.load(v + i), low); });
    return smallest<V>(low, 1.0f);
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

template <typename V>
void tapRun(const TapRun& t, int32_t k, float low[2]) {
    using T = typename V::T;
    T lows[2] = {V::all(low[0]), V::all(low[1])};
    const T one = V::all(1.0f);
    inVectors<V>(k, [&](auto w, int32_t i) {
        T g[2] = {w.load(t.ring[0] + i), w.load(t.ring[1] + i)};
        for (int c = 0; c < 2; ++c)
            if (t.keep[c]) w.store(t.keep[c] + i, g[c]);
        if (t.linked) g[0] = g[1] = V::min(g[1], g[0]);  // the smaller gain of both
        for (int c = 0; c < 2; ++c) {
            if (!t.active[c]) continue;
            w.store(t.out[c] + i, w.load(t.delay[c] + i) * g[c]);
            lows[c] = V::min(g[c], lows[c]);  // g < low ? g : low
            w.store(t.cleared[c] + i, one);
        }
    });
    for (int c = 0; c < 2; ++c) low[c] = smallest<V>(lows[c], low[c]);
}

// Output gain and flush for both sides, written or added.
template <typename V>
void outputStereo(float* out0, float* out1, const float* w0, const float* w1, int32_t n, float gain, bool accumulate) {
    const typename V::T g = V::all(gain);
    inVectors<V>(n, [&](auto w, int32_t i) {
        typename V::T l = flushLanes(g * w.load(w0 + i));
        typename V::T r = flushLanes(g * w.load(w1 + i));
        if (accumulate) {
            l = w.load(out0 + i) + l;
            r = w.load(out1 + i) + r;
        }
        w.store(out0 + i, l);
        w.store(out1 + i, r);
    });
}

}  // namespace blockops
