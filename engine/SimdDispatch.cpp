// Choosing the instruction set once, when the library loads.
#include "engine/Dynamics.h"
#include "engine/SimdKernels.h"

namespace {

// Whether the processor (and the system, for the wider registers' state) runs a level.
bool processorRuns(SimdLevel level) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    switch (level) {
        case SimdLevel::sse2: return true;
        case SimdLevel::avx2: return avx2;
        case SimdLevel::avx512:
            return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                   __builtin_cpu_supports("avx512dq");
    }
    return false;
#else
    return level == SimdLevel::sse2;
#endif
}

const simd::Kernels* const kKernels[] = {&simd::kSse2, &simd::kAvx2, &simd::kAvx512};
const bool kRuns[] = {true, processorRuns(SimdLevel::avx2), processorRuns(SimdLevel::avx512)};

// The widest level the processor runs.
SimdLevel best() {
    SimdLevel chosen = SimdLevel::sse2;
    for (const SimdLevel level : kSimdLevels)
        if (kRuns[int(level)]) chosen = level;
    return chosen;
}

SimdLevel current = best();
const simd::Kernels* kernels = kKernels[int(current)];

}  // namespace

void dynamicsPair(ChannelState& left, ChannelState& right, const float* l, const float* r, const DynamicsSettings& s,
                  int32_t readPos, int32_t n) {
    kernels->dynamics(left, right, l, r, s, readPos, n);
}

void dynamicsMono(ChannelState& ch, const float* x, const DynamicsSettings& s, int32_t readPos, int32_t n) {
    kernels->dynamicsMono(ch, x, s, readPos, n);
}

void kneeBlockPair(ChannelState& left, ChannelState& right, const float* samplesLeft, const float* samplesRight,
                   int32_t speed, int32_t enabled, int32_t n) {
    if (enabled != 1) {
        kneeBlock(left, samplesLeft, left.kneeGain, speed, enabled, n);
        kneeBlock(right, samplesRight, right.kneeGain, speed, enabled, n);
        return;
    }
    kernels->knee(left, right, samplesLeft, samplesRight, speed, n);
}

SimdLevel simdLevel() { return current; }

bool simdSupported(SimdLevel level) { return kRuns[int(level)]; }

void setSimdLevel(SimdLevel level) {
    if (!simdSupported(level)) return;
    current = level;
    kernels = kKernels[int(level)];
}

void equaliserPair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2], float (&follow)[2], float* l,
                   float* r, const EqualiserSettings& s, int32_t n) {
    kernels->equaliser(left, right, treble, follow, l, r, s, n);
}

void equaliserMono(ChannelState& ch, HighPassSection& treble, float& follow, float* samples, const EqualiserSettings& s,
                   int32_t n) {
    kernels->equaliserMono(ch, treble, follow, samples, s, n);
}

const simd::BlockKernels& simd::blocks() { return kernels->blocks; }
