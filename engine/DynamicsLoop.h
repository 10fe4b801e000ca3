// The dynamics of both channels in one loop, written once and compiled for
// each instruction set (SimdSse2.cpp, SimdAvx2.cpp, SimdAvx512.cpp): per
// sample the soft knee of both channels (KneeStep.h, one channel per lane),
// the stereo link of its gains, and each channel's limiter step on the
// sample times its gain. The knee's chain from one state to the next then
// runs beside the limiter's work instead of before it. The smoother follows
// over the block.
#pragma once
#include <emmintrin.h>

#include <algorithm>

#include "engine/Dynamics.h"
#include "engine/KneeStep.h"
#include "engine/LimiterStep.h"

namespace dynamics {

// Every helper here is a template over the instruction set or always
// inlined, so that no function compiled for AVX2 is shared with SSE2 code.

// Knee gains of both channels into their kneeGain arrays.
template <typename Arch>
void kneeLoop(ChannelState& l, ChannelState& r, const float* xl, const float* xr, int32_t speed, int32_t n) {
    kneeRun<lanes::Two<Arch>>({&l, &r}, {xl, xr}, {l.kneeGain, r.kneeGain}, speed, n);
}

// The knee's chain from one state to the next sets the pace; the limiter's
// branches on noisy material are hard to predict. So the loop is
// pipelined: while the knee works on one stretch of samples, the limiters
// work on the stretch before, whose samples are long known. A mispredicted
// limiter branch then resolves at once and the front end is back well
// before the knee's chain needs its next instruction, instead of holding
// the chain up by the whole recovery each time.
template <typename Arch, bool Linked>
[[gnu::always_inline]] inline void kneeAndLimit(ChannelState& l, ChannelState& r, const float* xl, const float* xr,
                                                const DynamicsSettings& s, int32_t n) {
    using L = lanes::Two<Arch>;
    KneeStep<L> knee({&l, &r}, s.kneeSpeed);
    const lanes::Each<L, const float> in{xl, xr};
    limiter::Noted queueLeft[limiter::kMaxQueued], queueRight[limiter::kMaxQueued];
    LimiterRunFor<Arch> left(l, s.rampFactor, s.falling, queueLeft, n), right(r, s.rampFactor, s.falling, queueRight, n);
    constexpr int32_t kStretch = limiter::kMaxQueued;
    float u[2][2][kStretch];  // [stretch parity][channel][sample]
    int32_t done = 0;         // samples the limiters have taken
    __m128 lowest = _mm_set1_ps(1.0f);  // off the knee's chain: the meters' lowest gain
    for (int32_t base = 0, k = 0; base < n; base += kStretch, k ^= 1) {
        const int32_t m = std::min(kStretch, n - base);
        const int32_t behind = base - done;  // the previous stretch's length, 0 at first
        float* const ul = u[k][0];
        float* const ur = u[k][1];
        const float* const pl = u[k ^ 1][0];
        const float* const pr = u[k ^ 1][1];
        for (int32_t i = 0; i < m; ++i) {
            if (i < behind) {
                left.step(pl[i], done + i);
                right.step(pr[i], done + i);
            }
            const __m128 x = L::load(in, base + i);
            __m128 g = L::narrow(knee.step(L::widen(L::magnitude(x))));
            if constexpr (Linked) g = _mm_min_ps(_mm_shuffle_ps(g, g, _MM_SHUFFLE(0, 0, 0, 1)), g);
            lowest = _mm_min_ps(lowest, g);
            const __m128 v = _mm_mul_ps(x, g);
            ul[i] = _mm_cvtss_f32(v);
            ur[i] = _mm_cvtss_f32(_mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
        }
        for (int32_t i = m; i < behind; ++i) {  // a short last stretch leaves some of the one before
            left.step(pl[i], done + i);
            right.step(pr[i], done + i);
        }
        // That stretch's samples go into the delay lines, and the segments
        // closed in it are written out, here, so that the loop above makes
        // no call and keeps every running value (the knee's above all) in
        // registers.
        left.endStretch(pl, done, behind);
        right.endStretch(pr, done, behind);
        done = base;
    }
    l.kneeLow = _mm_cvtss_f32(lowest);
    r.kneeLow = _mm_cvtss_f32(_mm_shuffle_ps(lowest, lowest, _MM_SHUFFLE(1, 1, 1, 1)));
    // The last stretch.
    const int32_t k = ((n + kStretch - 1) / kStretch - 1) & 1;
    for (int32_t i = 0; done + i < n; ++i) {
        left.step(u[k][0][i], done + i);
        right.step(u[k][1][i], done + i);
    }
    left.toDelay(u[k][0], done, n - done);
    right.toDelay(u[k][1], done, n - done);
}

// With the knee off every gain is 1.0: the limiter sees the samples as they are.
template <typename Arch>
[[gnu::always_inline]] inline void limitOnly(ChannelState& l, ChannelState& r, const float* xl, const float* xr,
                                             const DynamicsSettings& s, int32_t n) {
    l.kneeState = r.kneeState = 1.0f;
    l.kneeLow = r.kneeLow = 1.0f;
    limiter::Noted queueLeft[limiter::kMaxQueued], queueRight[limiter::kMaxQueued];
    LimiterRunFor<Arch> left(l, s.rampFactor, s.falling, queueLeft, n), right(r, s.rampFactor, s.falling, queueRight, n);
    for (int32_t base = 0; base < n; base += limiter::kMaxQueued) {
        const int32_t m = std::min(limiter::kMaxQueued, n - base);
        for (int32_t i = base; i < base + m; ++i) {
            left.step(xl[i], i);
            right.step(xr[i], i);
        }
        left.endStretch(xl + base, base, m);
        right.endStretch(xr + base, base, m);
    }
}

template <typename Arch>
void pair(ChannelState& l, ChannelState& r, const float* xl, const float* xr, const DynamicsSettings& s,
          int32_t readPos, int32_t n) {
    if (s.kneeEnabled != 1) limitOnly<Arch>(l, r, xl, xr, s, n);
    else if (s.linked) kneeAndLimit<Arch, true>(l, r, xl, xr, s, n);
    else kneeAndLimit<Arch, false>(l, r, xl, xr, s, n);
    smoothOrIdle(l, n, s.smoothed, readPos);
    smoothOrIdle(r, n, s.smoothed, readPos);
}

}  // namespace dynamics
