// Choosing the instruction set once, when the library loads.
#include "engine/Dynamics.h"
#include "engine/SimdKernels.h"

namespace {

bool processorHasAvx2() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

const bool hasAvx2 = processorHasAvx2();
const simd::Kernels* kernels = hasAvx2 ? &simd::kAvx2 : &simd::kSse2;

}  // namespace

void dynamicsPair(ChannelState& left, ChannelState& right, const float* l, const float* r, const DynamicsSettings& s,
                  int32_t readPos, int32_t n) {
    kernels->dynamics(left, right, l, r, s, readPos, n);
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

SimdLevel simdLevel() { return kernels == &simd::kAvx2 ? SimdLevel::avx2 : SimdLevel::sse2; }

bool simdSupported(SimdLevel level) { return level == SimdLevel::sse2 || hasAvx2; }

void setSimdLevel(SimdLevel level) {
    if (simdSupported(level)) kernels = level == SimdLevel::avx2 ? &simd::kAvx2 : &simd::kSse2;
}

void equaliserPair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2], float (&follow)[2], float* l,
                   float* r, const EqualiserSettings& s, int32_t n) {
    kernels->equaliser(left, right, treble, follow, l, r, s, n);
}
