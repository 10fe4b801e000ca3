// The dynamics of a channel, or of both channels at once, in one loop
// written once over the lane sets (engine/Lanes.h): per sample the soft knee
// of every lane (KneeStep.h), the stereo link of its gains, and each
// channel's limiter step on the sample times its gain. The knee's chain from
// one state to the next then runs beside the limiter's work instead of
// before it. The smoother follows over the block. Both channels are built
// for each instruction set (SimdSse2.cpp, SimdAvx2.cpp, SimdAvx512.cpp), and
// so is one channel.
#pragma once
#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <type_traits>

#include "engine/Dynamics.h"
#include "engine/KneeStep.h"
#include "engine/LimiterStep.h"
#include "engine/StepLoop.h"

namespace dynamics {

// Every helper here is a template over the instruction set or always
// inlined (a lane set alone does not tell the instruction sets apart), so
// that no function compiled for AVX2 is shared with SSE2 code.

// On noisy material (hats, cymbals, distortion) the limiters find turning
// points every few samples, at random, and each mispredicted branch of their
// rule stalls the loop (and with it the knee's chain). There the rule without
// branches (LimiterRunFor::step<true>) is quicker; on tones and sparse
// material, where its branches are well predicted, the usual rule costs less.
// A stretch with more than one dip (a hump closing) per kSamplesPerDip
// samples of a channel has the next stretch take the rule without branches.
// Either rule gives the same bits.
constexpr int32_t kSamplesPerDip = 32;

// f(std::true_type{}) for the rule without branches, else f(std::false_type{}).
template <typename F>
[[gnu::always_inline]] inline void withRule(bool branchless, F&& f) {
    if (branchless) f(std::true_type{});
    else f(std::false_type{});
}

// Whether the next stretch takes the rule without branches, after one of
// `samples` samples a channel.
template <typename... Runs>
[[gnu::always_inline]] inline bool noisy(int32_t samples, Runs&... runs) {
    int32_t dips = 0;
    steploop::forEach([&](auto& run, size_t) { dips += run.takeDips(); }, runs...);
    return dips * kSamplesPerDip > samples * int32_t(sizeof...(Runs));
}

// Whether the first stretch of a block takes the rule without branches: where
// the block before ended on a noisy stretch (of any of the runs' channels).
template <typename... Runs>
[[gnu::always_inline]] inline bool wasNoisy(Runs&... runs) {
    return (runs.wasNoisy() || ...);
}

// Every run's step over sample i of its samples x[j] (block index from + i),
// by the rule without branches where Branchless.
template <bool Branchless, typename X, typename... Runs>
[[gnu::always_inline]] inline void limitAt(const X& x, int32_t i, int32_t from, Runs&... runs) {
    steploop::forEach(
        [&](auto& run, size_t j) __attribute__((always_inline)) { run.template step<Branchless>(x[j][i], from + i); },
        runs...);
}

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
// the chain up by the whole recovery each time. Written over the lane sets
// (engine/Lanes.h), with one limiter run per lane: both channels, or one.
template <typename L, bool Linked, typename... Runs>
[[gnu::always_inline]] inline void kneeAndLimit(const lanes::Each<L, ChannelState>& ch,
                                                const lanes::Each<L, const float>& x, int32_t speed, int32_t n,
                                                Runs&... runs) {
    constexpr size_t W = L::width;
    using F = typename L::F;
    KneeStep<L> knee(ch, speed);
    constexpr int32_t kStretch = limiter::kMaxQueued;
    float u[2][W][kStretch];            // [stretch parity][lane][sample]
    int32_t done = 0;                   // samples the limiters have taken
    F lowest = L::narrow(L::all(1.0));  // off the knee's chain: the meters' lowest gain
    // Half the block: each stretch ends in writing its closed segments and
    // moving its samples into the delay lines, so at short blocks fewer,
    // longer stretches cost less, although less of the work overlaps.
    const int32_t stretch = steploop::stretchFor(n, 2, 8, kStretch);
    bool branchless = wasNoisy(runs...);  // the limiters' rule without branches (see kSamplesPerDip)
    for (int32_t base = 0, k = 0; base < n; base += stretch, k ^= 1) {
        const int32_t m = std::min(stretch, n - base);
        const int32_t behind = base - done;  // the previous stretch's length, 0 at first
        lanes::Each<L, float> fill;
        for (size_t c = 0; c < W; ++c) fill[c] = u[k][c];
        const float(&before)[W][kStretch] = u[k ^ 1];
        withRule(branchless, [&](auto rule) __attribute__((always_inline)) {
            constexpr bool Branchless = decltype(rule)::value;
            const auto limit = [&](int32_t i) __attribute__((always_inline)) {
                limitAt<Branchless>(before, i, done, runs...);
            };
            for (int32_t i = 0; i < m; ++i) {
                if (i < behind) limit(i);
                const F xi = L::load(x, base + i);
                F g = L::narrow(knee.step(L::widen(L::magnitude(xi))));
                if constexpr (Linked) g = _mm_min_ps(_mm_shuffle_ps(g, g, _MM_SHUFFLE(0, 0, 0, 1)), g);
                lowest = L::minF(lowest, g);
                L::store(xi * g, fill, i);
            }
            for (int32_t i = m; i < behind; ++i) limit(i);  // a short last stretch leaves some of the one before
        });
        if (behind > 0) branchless = noisy(behind, runs...);  // the first stretch's limiters take no sample
        // That stretch's samples go into the delay lines, and the segments
        // closed in it are written out, here, so that the loop above makes
        // no call and keeps every running value (the knee's above all) in
        // registers.
        steploop::forEach([&](auto& run, size_t j) { run.endStretch(before[j], done, behind); }, runs...);
        done = base;
    }
    L::store(lowest, lanes::fields(ch, &ChannelState::kneeLow), 0);
    // The last stretch.
    const int32_t k = ((n + stretch - 1) / stretch - 1) & 1;
    withRule(branchless, [&](auto rule) __attribute__((always_inline)) {
        for (int32_t i = 0; done + i < n; ++i) limitAt<decltype(rule)::value>(u[k], i, done, runs...);
    });
    steploop::forEach([&](auto& run, size_t) { run.endNoisy(branchless); }, runs...);
    steploop::forEach([&](auto& run, size_t j) { run.toDelay(u[k][j], done, n - done); }, runs...);
}

// With the knee off every gain is 1.0: the limiters see the samples as they are.
template <typename W, typename... Runs>
[[gnu::always_inline]] inline void limitOnly(const W& x, int32_t n, Runs&... runs) {
    bool branchless = wasNoisy(runs...);
    for (int32_t base = 0; base < n; base += limiter::kMaxQueued) {
        const int32_t m = std::min(limiter::kMaxQueued, n - base);
        withRule(branchless, [&](auto rule) __attribute__((always_inline)) {
            for (int32_t i = base; i < base + m; ++i) limitAt<decltype(rule)::value>(x, i, 0, runs...);
        });
        branchless = noisy(m, runs...);
        steploop::forEach([&](auto& run, size_t j) { run.endStretch(x[j] + base, base, m); }, runs...);
    }
    steploop::forEach([&](auto& run, size_t) { run.endNoisy(branchless); }, runs...);
}

// Knee, link and limiter of the lanes' channels over a block, one limiter
// run per lane.
template <typename L, typename... Runs>
[[gnu::always_inline]] inline void limitLanes(const lanes::Each<L, ChannelState>& ch,
                                              const lanes::Each<L, const float>& x, const DynamicsSettings& s,
                                              int32_t n, Runs&... runs) {
    if (s.kneeEnabled != 1) {
        for (ChannelState* c : ch) {
            kneeAtRest(*c);
            c->kneeLow = 1.0f;
        }
        return limitOnly(x, n, runs...);
    }
    if constexpr (L::width == 2)
        if (s.linked) return kneeAndLimit<L, true>(ch, x, s.kneeSpeed, n, runs...);
    kneeAndLimit<L, false>(ch, x, s.kneeSpeed, n, runs...);
}

template <typename Arch>
void pair(ChannelState& l, ChannelState& r, const float* xl, const float* xr, const DynamicsSettings& s,
          int32_t readPos, int32_t n) {
    {
        limiter::Noted queueLeft[limiter::kMaxQueued], queueRight[limiter::kMaxQueued];
        LimiterRunFor<Arch> left(l, s.rampFactor, s.falling, queueLeft, n),
            right(r, s.rampFactor, s.falling, queueRight, n);
        limitLanes<lanes::Two<Arch>>({&l, &r}, {xl, xr}, s, n, left, right);
    }
    smoothOrIdle(l, n, s.smoothed, readPos);
    smoothOrIdle(r, n, s.smoothed, readPos);
}

// One channel, the mono path: the same loop at width one, so the knee's
// chain runs beside the limiter's work here too.
template <typename Arch>
void mono(ChannelState& ch, const float* x, const DynamicsSettings& s, int32_t readPos, int32_t n) {
    {
        limiter::Noted queue[limiter::kMaxQueued];
        LimiterRunFor<Arch> run(ch, s.rampFactor, s.falling, queue, n);
        limitLanes<lanes::One>({&ch}, {x}, s, n, run);
    }
    smoothOrIdle(ch, n, s.smoothed, readPos);
}

}  // namespace dynamics
