// The whole equaliser over both channels in one loop: body, bass, mid and
// treble, each stage that is on as one two-lane step, each a sample behind
// the one before it. The stages' recurrences then overlap in the core
// instead of running as dependent block passes. Each combination of stages
// gets its own loop, so no per-sample test of which stages are on remains.
// Written once over the instruction set (SimdSse2.cpp, SimdAvx2.cpp).
#pragma once
#include "engine/BassStep.h"
#include "engine/BodyStep.h"
#include "engine/MidStep.h"
#include "engine/Stages.h"
#include "engine/StepLoop.h"
#include "engine/TrebleStep.h"

namespace equaliser {

struct Pair {
    ChannelState& left;
    ChannelState& right;
    HighPassSection (&treble)[2];
    float (&follow)[2];
    float* l;
    float* r;
    const EqualiserSettings& s;
    int32_t n;
};

// Each level adds its stage's step when the stage is on, then hands the
// steps gathered so far to the next level; the last runs the loop.
template <typename Arch, typename... Steps>
[[gnu::always_inline]] inline void withTreble(const Pair& p, Steps&... steps) {
    if (!p.s.trebleOn) return runStepsPair(p.l, p.r, p.n, steps...);
    TreblePair<Arch> treble(p.treble[0], p.treble[1], p.follow[0], p.follow[1], p.s.hiBoost, p.s.trebleMix);
    runStepsPair(p.l, p.r, p.n, steps..., treble);
}

template <typename Arch, typename... Steps>
[[gnu::always_inline]] inline void withMid(const Pair& p, Steps&... steps) {
    if (!p.s.midOn) return withTreble<Arch>(p, steps...);
    MidPair<Arch> mid(p.left.midNotch, p.right.midNotch, p.s.mid);
    withTreble<Arch>(p, steps..., mid);
}

template <typename Arch, typename... Steps>
[[gnu::always_inline]] inline void withBass(const Pair& p, Steps&... steps) {
    if (!p.s.bassOn) return withMid<Arch>(p, steps...);
    BassPair<Arch> bass(p.left.bassHighPass, p.right.bassHighPass, p.s.bass);
    withMid<Arch>(p, steps..., bass);
}

// Flattened: with every level, loop and step inlined here, the steps are
// locals of this one function and their histories can live in registers.
template <typename Arch>
[[gnu::flatten]] void pair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2], float (&follow)[2],
                           float* l, float* r, const EqualiserSettings& s, int32_t n) {
    const Pair p{left, right, treble, follow, l, r, s, n};
    if (!s.bodyOn) return withBass<Arch>(p);
    const BodyPair<Arch> body(s.bodyAmount);
    withBass<Arch>(p, body);
}

}  // namespace equaliser
