// The whole equaliser over both channels in one loop: body, bass, mid and
// treble, each stage that is on as one two-lane step, each a sample behind
// the one before it. The stages' recurrences then overlap in the core
// instead of running as dependent block passes. Each combination of stages
// gets its own loop, so no per-sample test of which stages are on remains.
#include "engine/BassStep.h"
#include "engine/BodyStep.h"
#include "engine/MidStep.h"
#include "engine/Stages.h"
#include "engine/StepLoop.h"
#include "engine/TrebleStep.h"

namespace {

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
template <typename... Steps>
[[gnu::always_inline]] inline void withTreble(const Pair& p, Steps&... steps) {
    if (!p.s.trebleOn) return runStepsPair(p.l, p.r, p.n, steps...);
    TreblePair treble(p.treble[0], p.treble[1], p.follow[0], p.follow[1], p.s.hiBoost, p.s.trebleMix);
    runStepsPair(p.l, p.r, p.n, steps..., treble);
}

template <typename... Steps>
[[gnu::always_inline]] inline void withMid(const Pair& p, Steps&... steps) {
    if (!p.s.midOn) return withTreble(p, steps...);
    MidPair mid(p.left.midNotch, p.right.midNotch, p.s.mid);
    withTreble(p, steps..., mid);
}

template <typename... Steps>
[[gnu::always_inline]] inline void withBass(const Pair& p, Steps&... steps) {
    if (!p.s.bassOn) return withMid(p, steps...);
    BassPair bass(p.left.bassHighPass, p.right.bassHighPass, p.s.bass);
    withMid(p, steps..., bass);
}

}  // namespace

// Flattened: with every level, loop and step inlined here, the steps are
// locals of this one function and their histories can live in registers.
[[gnu::flatten]] void equaliserPair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2],
                                    float (&follow)[2], float* l, float* r, const EqualiserSettings& s, int32_t n) {
    const Pair p{left, right, treble, follow, l, r, s, n};
    if (!s.bodyOn) return withBass(p);
    const BodyPair body(s.bodyAmount);
    withBass(p, body);
}
