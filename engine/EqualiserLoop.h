// The whole equaliser in one loop: body, bass, mid and treble, each stage
// that is on as one step over every lane, each a sample behind the one before
// it. The stages' recurrences then overlap in the core instead of running as
// dependent block passes. Each combination of stages gets its own loop, so
// no per-sample test of which stages are on remains. Written once over the
// lane set: one channel or both, for each instruction set (SimdSse2.cpp,
// SimdAvx2.cpp, SimdAvx512.cpp). With wider vectors the parts without state
// (the body stage; the bass and mid stages once their filters have run) run
// across samples instead (bodyAcross, ahead).
#pragma once
#include <algorithm>
#include <tuple>
#include <utility>

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
// beside it (or none), the last few through padded copies, made by masked
// loads and stores (copying them one by one cost more than a whole step).
template <typename L, typename F>
[[gnu::always_inline]] inline void acrossSamples(float* x, const float* y, int32_t n, F&& f) {
    constexpr int32_t w = L::width;
    int32_t i = 0;
    for (; i + w <= n; i += w) f(x + i, y ? y + i : nullptr);
    if (i == n) return;
    const int32_t left = n - i;
    float lastX[w], lastY[w] = {};
    L::store(L::loadFirst(x + i, left), lastX);
    if (y) L::store(L::loadFirst(y + i, left), lastY);
    f(lastX, lastY);
    L::storeFirst(L::load(lastX), x + i, left);
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

// The bass stage's output over a stretch, across samples: its input x
// (replaced) and its high-pass's y, the same arithmetic as BassStep.
template <typename L>
[[gnu::always_inline]] inline void bassAcross(float* x, const float* y, float c, int32_t n) {
    if (c > 0.5f) {
        const typename L::D d = L::all(bassBoostFactor(c));
        return acrossSamples<L>(x, y, n, [&](float* xi, const float* yi) __attribute__((always_inline)) {
            L::store(L::settle(L::narrow(bassBoosted<L>(L::widen(L::load(xi)), L::widen(L::load(yi)), d))), xi);
        });
    }
    const typename L::D cut = L::all(2.0f * c);
    acrossSamples<L>(x, y, n, [&](float* xi, const float* yi) __attribute__((always_inline)) {
        L::store(bassCut<L>(L::widen(L::load(xi)), L::widen(L::load(yi)), cut), xi);
    });
}

// The mid stage's output over a stretch, across samples: its input x
// (replaced) and its notch's output o, the same arithmetic as MidStep.
template <typename L>
[[gnu::always_inline]] inline void midAcross(float* x, const float* o, float c, int32_t n) {
    const typename L::D g = L::all(midGain(c));
    acrossSamples<L>(x, o, n, [&](float* xi, const float* oi) __attribute__((always_inline)) {
        L::store(midBlend<L>(L::widen(L::load(xi)), L::widen(L::load(oi)), g), xi);
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

// Samples in a register of the widest across set of any source; a multiple
// of every set's width, so whole registers of it are whole registers of each.
constexpr int32_t kWidestAcross = 8;
static_assert(kWidestAcross % lanes::Across4::width == 0);
#if defined(__AVX512F__) && defined(__AVX512DQ__)
static_assert(lanes::Across8::width == kWidestAcross);
#endif

// A stage split in two: the part with state (head), a sample of each lane
// at a time, whose output goes aside, and the part without, which then runs
// over a finished stretch across samples (across, with the across set A).
template <typename L, typename A>
class BassSplit {  // the high-pass, then the cut or boost
public:
    [[gnu::always_inline]] explicit BassSplit(const Channels<L>& c)
        : highPass(lanes::fields(c.state, &ChannelState::bassHighPass)), c_(c.s.bass) {}
    [[gnu::always_inline]] typename L::F head(typename L::F in) { return L::narrow(highPass.step(L::widen(in))); }
    [[gnu::always_inline]] void across(float* x, const float* y, int32_t n) const { bassAcross<A>(x, y, c_, n); }

private:
    HighPassStep<L> highPass;
    const float c_;
};

template <typename L, typename A>
class MidSplit {  // the notch, then the band's blend
public:
    [[gnu::always_inline]] explicit MidSplit(const Channels<L>& c)
        : mid(lanes::fields(c.state, &ChannelState::midNotch), c.s.mid), c_(c.s.mid) {}
    // The notch's output is a float value, so it goes aside exactly.
    [[gnu::always_inline]] typename L::F head(typename L::F in) { return L::narrow(mid.notch(in)); }
    [[gnu::always_inline]] void across(float* x, const float* o, int32_t n) const { midAcross<A>(x, o, c_, n); }

private:
    MidStep<L> mid;
    const float c_;
};

// Split stages with wider vectors: the first split's head runs a stretch of
// samples ahead of the second's, and so on, and the stages after them
// (tail) a stretch behind the last; each split's part without state runs
// over its finished stretch between, before the next stage reaches it. The
// heads' recurrences and the tail's still run beside each other, turn by
// turn; short blocks take shorter stretches, so that most of their turns
// still overlap.
template <typename L, typename... Splits, typename... Tail>
[[gnu::always_inline]] inline void ahead(const Channels<L>& c, std::tuple<Splits&...> splits, Tail&... tail) {
    constexpr int32_t kMaxAhead = 64;
    constexpr size_t W = L::width;
    constexpr int32_t Q = sizeof...(Splits);
    constexpr size_t T = sizeof...(Tail);
    const int32_t n = c.n;
    // A quarter of the block (each split adds a stretch of turns to the
    // block), but 16 samples where the block has two of them: a stretch's
    // passes across samples and its ends cost more than a quarter of a 32-
    // to 63-sample block overlaps. In whole registers of those passes: a
    // stretch that leaves a few samples over takes them through padded
    // copies, so only the block's last stretch should.
    const int32_t stretch = steploop::stretchFor(n, 4, 16, kMaxAhead) / kWidestAcross * kWidestAcross;
    float side[Q][W][kMaxAhead];
    const auto stages = std::index_sequence_for<Tail...>();
    typename L::F carry[T > 0 ? T : 1] = {};
    const auto eachSplit = [&](auto&& f) __attribute__((always_inline)) {
        std::apply([&](auto&... split) __attribute__((always_inline)) { steploop::forEach(f, split...); }, splits);
    };
    for (int32_t base = 0; base < n + Q * stretch + int32_t(T); base += stretch) {
        int32_t from[Q], m[Q];  // split q's stretch starts at from[q] and has m[q] samples
        for (int32_t q = 0; q < Q; ++q) {
            from[q] = base - q * stretch;
            m[q] = from[q] < 0 ? 0 : std::clamp(n - from[q], 0, stretch);
        }
        for (int32_t i = 0; i < stretch; ++i) {
            eachSplit([&](auto& split, size_t q) __attribute__((always_inline)) {
                if (i < m[q]) L::store(split.head(L::load(c.samples, from[q] + i)), lanes::rows<L>(side[q]), i);
            });
            if constexpr (T > 0) {
                // The later stages' turn, a stretch behind the last split: unguarded where every stage
                // has a sample.
                const int32_t t = base - Q * stretch + i;
                if (t >= int32_t(T) - 1 && t < n) steploop::turn<L, false>(stages, carry, c.samples, t, n, tail...);
                else steploop::turn<L, true>(stages, carry, c.samples, t, n, tail...);
            }
        }
        eachSplit([&](auto& split, size_t q) __attribute__((always_inline)) {
            if (m[q] > 0)
                for (size_t w = 0; w < W; ++w) split.across(c.samples[w] + from[q], side[q][w], m[q]);
        });
    }
}

// The equaliser with wider vectors (the across set A): the body stage over
// the block first, then the split stages where that pays (a split stage's
// recurrence beside another stage's, or the bass boost's long chain); a
// cutting bass stage or a mid stage alone is quicker whole.
template <typename L, typename A>
[[gnu::always_inline]] inline void runAcross(const Channels<L>& c) {
    const EqualiserSettings& s = c.s;
    if (s.bodyOn)
        for (float* x : c.samples) bodyAcross<A>(x, s.bodyAmount, c.n);
    const bool split = int(s.bassOn) + int(s.midOn) + int(s.trebleOn) > 1 || (s.bassOn && s.bass > 0.5f);
    if (split && s.bassOn) {
        BassSplit<L, A> bass(c);
        if (!s.midOn)
            return withTreble(
                c, [&](auto&... tail) __attribute__((always_inline)) { ahead(c, std::tie(bass), tail...); });
        MidSplit<L, A> mid(c);
        return withTreble(
            c, [&](auto&... tail) __attribute__((always_inline)) { ahead(c, std::tie(bass, mid), tail...); });
    }
    if (split && s.midOn) {
        MidSplit<L, A> mid(c);
        return withTreble(c, [&](auto&... tail) __attribute__((always_inline)) { ahead(c, std::tie(mid), tail...); });
    }
    withBass(c, loop(c));
}

#endif

// The whole equaliser over the lane set L, for the instruction set Arch.
template <typename Arch, typename L>
[[gnu::always_inline]] inline void runFor(const Channels<L>& c) {
#if defined(__AVX2__) && defined(__FMA__)
    runAcross<L, typename Across<Arch>::type>(c);
#else
    run(c);
#endif
}

// Both channels, for the instruction set Arch.
template <typename Arch>
[[gnu::flatten]] void pair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2], float (&follow)[2],
                           float* l, float* r, const EqualiserSettings& s, int32_t n) {
    runFor<Arch>(Channels<lanes::Two<Arch>>{
        {&left, &right}, {&treble[0], &treble[1]}, {&follow[0], &follow[1]}, {l, r}, s, n});
}

// One channel, for the instruction set Arch (the scalar lane set is the
// same in every one; what differs is the passes across samples).
template <typename Arch>
[[gnu::flatten]] void mono(ChannelState& ch, HighPassSection& treble, float& follow, float* samples,
                           const EqualiserSettings& s, int32_t n) {
    runFor<Arch>(Channels<lanes::One>{{&ch}, {&treble}, {&follow}, {samples}, s, n});
}

}  // namespace equaliser
