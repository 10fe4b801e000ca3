// The paths built for SSE2, the baseline of every build.
#include "engine/DynamicsLoop.h"
#include "engine/EqualiserLoop.h"
#include "engine/SimdKernels.h"

namespace simd {
const Kernels kSse2 = {&dynamics::pair<simd::Sse2>,
                       &dynamics::mono<simd::Sse2>,
                       &dynamics::kneeLoop<simd::Sse2>,
                       &equaliser::pair<simd::Sse2>,
                       &equaliser::mono<simd::Sse2>,
                       blockKernelsOf<blockops::Floats<blockops::Vector4>>()};
}
