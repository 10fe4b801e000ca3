// Block loops over per-sample stage steps. Each stage sees its samples in
// order and keeps its own state, so the order in which the stages' steps
// interleave does not change a single bit of the result.
//
// The loops and steps are always inlined into the function that owns the
// step objects: there the objects are locals whose address never escapes,
// so their histories live in registers. Left as calls on references, the
// histories stay in memory (an SSE vector may alias the float samples), and
// every recurrence then waits on a store and a reload.
#pragma once
#include <cstdint>
#include <utility>

#include "engine/PairLanes.h"

// One channel: each sample through every step in turn.
template <typename... Steps>
[[gnu::always_inline]] inline void runSteps(float* samples, int32_t n, Steps&... steps) {
    for (int32_t i = 0; i < n; ++i) {
        float v = samples[i];
        ((v = steps.step(v)), ...);
        samples[i] = v;
    }
}

namespace steploop {

// What stage J reads in a turn: the next sample for the first stage, else
// what the stage before it produced in the previous turn.
template <size_t J, size_t K>
[[gnu::always_inline]] inline __m128 input(const __m128 (&carry)[K], const float* left, const float* right,
                                           int32_t s) {
    if constexpr (J == 0) return lanes::load(left[s], right[s]);
    else return carry[J - 1];
}

// One turn of the chain: stage J works on sample t - J, so the steps of a
// turn depend on no other step of the same turn and the stages' recurrences
// run side by side in the core. Guarded turns (the first and last few of a
// block) skip the stages that have no sample; a skipped stage's carry is
// never read.
template <bool Guarded, size_t K, size_t... J, typename... Steps>
[[gnu::always_inline]] inline void pairTurn(std::index_sequence<J...>, __m128 (&carry)[K], float* left,
                                            float* right, int32_t t, int32_t n, Steps&... steps) {
    __m128 next[K];
    ((next[J] = !Guarded || (t - int32_t(J) >= 0 && t - int32_t(J) < n)
                    ? steps.step(input<J>(carry, left, right, t - int32_t(J)))
                    : carry[J]),
     ...);
    const int32_t last = t - int32_t(K - 1);
    if (!Guarded || (last >= 0 && last < n)) lanes::store(next[K - 1], left + last, right + last);
    ((carry[J] = next[J]), ...);
}

}  // namespace steploop

// Both channels at once, left in lane 0 and right in lane 1, each stage of
// the chain one sample behind the stage before it (see pairTurn).
template <typename... Steps>
[[gnu::always_inline]] inline void runStepsPair(float* left, float* right, int32_t n, Steps&... steps) {
    constexpr size_t K = sizeof...(Steps);
    if constexpr (K > 0) {  // with no stage on, the samples stay as they are
        const auto stages = std::index_sequence_for<Steps...>();
        __m128 carry[K] = {};
        const int32_t fill = int32_t(K) - 1;
        int32_t t = 0;
        for (; t < fill; ++t) steploop::pairTurn<true>(stages, carry, left, right, t, n, steps...);
        for (; t < n; ++t) steploop::pairTurn<false>(stages, carry, left, right, t, n, steps...);
        for (; t < n + fill; ++t) steploop::pairTurn<true>(stages, carry, left, right, t, n, steps...);
    }
}
