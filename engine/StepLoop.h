// The block loop over per-sample stage steps, for any lane set (one channel,
// or both side by side; engine/Lanes.h). Each stage sees its samples in
// order and keeps its own state, so the order in which the stages' steps
// interleave does not change a single bit of the result.
//
// The loop and steps are always inlined into the function that owns the
// step objects: there the objects are locals whose address never escapes,
// so their histories live in registers. Left as calls on references, the
// histories stay in memory (an SSE vector may alias the float samples), and
// every recurrence then waits on a store and a reload.
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>

#include "engine/Lanes.h"

namespace steploop {

// The stretch a loop that runs one part of its work a stretch behind another
// takes: the block's `parts`-th part, `longest` at most, and at least half
// the block up to `shortest` (8 samples at the least), so that short blocks
// still overlap most of their turns (a block of one stretch would run the
// parts one after the other). Each stretch has a cost of its own, so the
// best part and the shortest depend on the loop.
[[gnu::always_inline]] inline int32_t stretchFor(int32_t n, int32_t parts, int32_t shortest, int32_t longest) {
    return std::clamp(n / parts, std::clamp(n / 2, 8, shortest), longest);
}

// f(item, j) for each item in turn, j its place (0, 1, ...); with every
// call inlined, j is a constant in each.
template <typename F, typename... Items>
[[gnu::always_inline]] inline void forEach(F&& f, Items&... items) {
    size_t j = 0;
    (f(items, j++), ...);
}

// What stage J reads in a turn: the next sample for the first stage, else
// what the stage before it produced in the previous turn.
template <typename L, size_t J, size_t K>
[[gnu::always_inline]] inline typename L::F input(const typename L::F (&carry)[K], const lanes::Each<L, float>& x,
                                                  int32_t s) {
    if constexpr (J == 0) return L::load(x, s);
    else return carry[J - 1];
}

// One turn of the chain: stage J works on sample t - J, so the steps of a
// turn depend on no other step of the same turn and the stages' recurrences
// run side by side in the core. Guarded turns (the first and last few of a
// block) skip the stages that have no sample; a skipped stage's carry is
// never read.
template <typename L, bool Guarded, size_t K, size_t... J, typename... Steps>
[[gnu::always_inline]] inline void turn(std::index_sequence<J...>, typename L::F (&carry)[K],
                                        const lanes::Each<L, float>& x, int32_t t, int32_t n, Steps&... steps) {
    typename L::F next[K];
    ((next[J] = !Guarded || (t - int32_t(J) >= 0 && t - int32_t(J) < n)
                    ? steps.step(input<L, J>(carry, x, t - int32_t(J)))
                    : carry[J]),
     ...);
    const int32_t last = t - int32_t(K - 1);
    if (!Guarded || (last >= 0 && last < n)) L::store(next[K - 1], x, last);
    ((carry[J] = next[J]), ...);
}

}  // namespace steploop

// The samples of each lane through every step in turn, in place, each stage
// of the chain one sample behind the stage before it (see turn).
template <typename L, typename... Steps>
[[gnu::always_inline]] inline void runSteps(const lanes::Each<L, float>& x, int32_t n, Steps&... steps) {
    constexpr size_t K = sizeof...(Steps);
    if constexpr (K > 0) {  // with no stage on, the samples stay as they are
        const auto stages = std::index_sequence_for<Steps...>();
        typename L::F carry[K] = {};
        const int32_t fill = int32_t(K) - 1;
        int32_t t = 0;
        for (; t < fill; ++t) steploop::turn<L, true>(stages, carry, x, t, n, steps...);
        for (; t < n; ++t) steploop::turn<L, false>(stages, carry, x, t, n, steps...);
        for (; t < n + fill; ++t) steploop::turn<L, true>(stages, carry, x, t, n, steps...);
    }
}
