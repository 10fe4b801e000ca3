// The whole equaliser in one loop: body, bass, mid and treble, each stage
// that is on as one step over every lane, each a sample behind the one before
// it. The stages' recurrences then overlap in the core instead of running as
// dependent block passes. Each combination of stages gets its own loop, so
// no per-sample test of which stages are on remains. Written once over the
// lane set: one channel (Equaliser.cpp) and both channels for each
// instruction set (SimdSse2.cpp, SimdAvx2.cpp, SimdAvx512.cpp). With wider
// vectors the stateless parts (the body stage, the bass stage's boost) run
// across samples instead (bodyAcross, bassAhead).
#pragma once
#include <algorithm>

#include "engine/BassStep.h"
#include "engine/BodyStep.h"
#include "engine/LanesAcross.h"
#include "engine/MidStep.h"
#include "engine/Stages.h"
#include "engine/StepLoop.h"
#include "engine/TrebleStep.h"

namespace equaliser {

template <typename L>
struct Channels {
    lanes::Each<L, ChannelState> state;
    lanes::Each<L, HighPassSection> treble;
    lanes::Each<L, float> follow;
    lanes::Each<L, float> samples;
    const EqualiserSettings& s;
    int32_t n;
};

// Each level adds its stage's step when the stage is on, then hands the
// steps gathered so far to the next level; the last hands them to finish,
// which runs the loop.
template <typename L, typename Finish, typename... Steps>
[[gnu::always_inline]] inline void withTreble(const Channels<L>& c, const Finish& finish, Steps&... steps) {
    if (!c.s.trebleOn) return finish(steps...);
    TrebleStep<L> treble(c.treble, c.follow, c.s.hiBoost, c.s.trebleMix);
    finish(steps..., treble);
}

template <typename L, typename Finish, typename... Steps>
[[gnu::always_inline]] inline void withMid(const Channels<L>& c, const Finish& finish, Steps&... steps) {
    if (!c.s.midOn) return withTreble(c, finish, steps...);
    MidStep<L> mid(lanes::fields(c.state, &ChannelState::midNotch), c.s.mid);
    withTreble(c, finish, steps..., mid);
}

template <typename L, typename Finish, typename... Steps>
[[gnu::always_inline]] inline void withBass(const Channels<L>& c, const Finish& finish, Steps&... steps) {
    if (!c.s.bassOn) return withMid(c, finish, steps...);
    BassStep<L> bass(lanes::fields(c.state, &ChannelState::bassHighPass), c.s.bass);
    withMid(c, finish, steps..., bass);
}

// The steps' loop over the block, a sample apart.
template <typename L>
[[gnu::always_inline]] inline auto loop(const Channels<L>& c) {
    return [&c](auto&... steps) __attribute__((always_inline)) { runSteps<L>(c.samples, c.n, steps...); };
}

// Called from a flattened function: with every level, loop and step inlined
// there, the steps are locals of that one function and their histories can
// live in registers.
template <typename L>
[[gnu::always_inline]] inline void run(const Channels<L>& c) {
    if (!c.s.bodyOn) return withBass(c, loop(c));
    const BodyStep<L> body(c.s.bodyAmount);
    withBass(c, loop(c), body);
}

#if defined(__AVX2__) && defined(__FMA__)
// f(x, y) on L::width samples at a time, x in place and y the samples
// beside it (or none), the last few through padded copies.
template <typename L, typename F>
[[gnu::always_inline]] inline void acrossSamples(float* x, const float* y, int32_t n, F&& f) {
    constexpr int32_t w = L::width;
    int32_t i = 0;
    for (; i + w <= n; i += w) f(x + i, y ? y + i : nullptr);
    if (i == n) return;
    float lastX[w] = {}, lastY[w] = {};
    std::copy(x + i, x + n, lastX);
    if (y) std::copy(y + i, y + n, lastY);
    f(lastX, lastY);
    std::copy(lastX, lastX + (n - i), x + i);
}

// The body stage has no state, so where the processor has wider vectors it
// runs over the block first, L::width samples of a channel at a time (the
// same arithmetic, so the same bits), and the loop takes the other stages.
template <typename L>
[[gnu::always_inline]] inline void bodyAcross(float* x, float amount, int32_t n) {
    const BodyStep<L> body(amount);
    acrossSamples<L>(x, nullptr, n, [&](float* xi, const float*) __attribute__((always_inline)) {
        L::store(body.step(L::load(xi)), xi);
    });
}

// The boosted bass stage's output over a stretch, across samples: its
// input x (replaced) and its high-pass's y, the same arithmetic as BassStep.
template <typename L>
[[gnu::always_inline]] inline void bassBoostAcross(float* x, const float* y, float c, int32_t n) {
    const typename L::D d = L::all(bassBoostFactor(c));
    acrossSamples<L>(x, y, n, [&](float* xi, const float* yi) __attribute__((always_inline)) {
        L::store(L::settle(L::narrow(bassBoosted<L>(L::widen(L::load(xi)), L::widen(L::load(yi)), d))), xi);
    });
}

// The widest such set in this source.
template <typename Arch>
struct Across {
    using type = lanes::Across4;
};
#if defined(__AVX512F__) && defined(__AVX512DQ__)
template <>
struct Across<simd::Avx512> {
    using type = lanes::Across8;
};
#endif
#endif

#if defined(__AVX2__) && defined(__FMA__)
// A boosted bass stage with wider vectors: its high-pass runs a stretch of
// samples ahead of the mid and treble stages, and the boost, which has no
// state, runs over each finished stretch across samples (bassBoostAcross)
// before those stages reach it. The high-pass's recurrence still runs beside
// theirs, turn by turn; short blocks take shorter stretches, so that most of
// their turns still overlap.
template <typename Arch, typename... Tail>
[[gnu::always_inline]] inline void bassAhead(const Channels<lanes::Two<Arch>>& c, Tail&... tail) {
    using L = lanes::Two<Arch>;
    constexpr int32_t kMaxAhead = 64;
    constexpr size_t T = sizeof...(Tail);
    const int32_t n = c.n;
    const int32_t ahead = steploop::stretchFor(n, kMaxAhead);
    HighPassStep<L> highPass(lanes::fields(c.state, &ChannelState::bassHighPass));
    float y[2][kMaxAhead];
    const lanes::Each<L, float> ys{y[0], y[1]};
    const auto stages = std::index_sequence_for<Tail...>();
    typename L::F carry[T > 0 ? T : 1] = {};
    for (int32_t base = 0; base < n + ahead + int32_t(T); base += ahead) {
        const int32_t m = std::clamp(n - base, 0, ahead);  // high-pass samples in this stretch
        for (int32_t i = 0; i < ahead; ++i) {
            if (i < m) L::store(L::narrow(highPass.step(L::widen(L::load(c.samples, base + i)))), ys, i);
            if constexpr (T > 0) {
                // The later stages' turn, a stretch behind: unguarded where every stage has a sample.
                const int32_t t = base - ahead + i;
                if (t >= int32_t(T) - 1 && t < n) steploop::turn<L, false>(stages, carry, c.samples, t, n, tail...);
                else steploop::turn<L, true>(stages, carry, c.samples, t, n, tail...);
            }
        }
        if (m == 0) continue;
        for (size_t ch = 0; ch < 2; ++ch)
            bassBoostAcross<typename Across<Arch>::type>(c.samples[ch] + base, y[ch], c.s.bass, m);
    }
}

#endif

// Both channels, for the instruction set Arch.
template <typename Arch>
[[gnu::flatten]] void pair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2], float (&follow)[2],
                           float* l, float* r, const EqualiserSettings& s, int32_t n) {
    const Channels<lanes::Two<Arch>> c{
        {&left, &right}, {&treble[0], &treble[1]}, {&follow[0], &follow[1]}, {l, r}, s, n};
#if defined(__AVX2__) && defined(__FMA__)
    if (s.bodyOn) {
        bodyAcross<typename Across<Arch>::type>(l, s.bodyAmount, n);
        bodyAcross<typename Across<Arch>::type>(r, s.bodyAmount, n);
    }
    if (s.bassOn && s.bass > 0.5f)
        return withMid(c, [&c](auto&... tail) __attribute__((always_inline)) { bassAhead(c, tail...); });
    if (s.bodyOn) return withBass(c, loop(c));
#endif
    run(c);
}

}  // namespace equaliser
