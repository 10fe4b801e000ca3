// The paths built for processors with AVX2 and FMA; this source is built
// with -mavx2 -mfma and only called where the processor has both.
#include "engine/DynamicsLoop.h"
#include "engine/EqualiserLoop.h"
#include "engine/SimdKernels.h"

namespace simd {
const Kernels kAvx2 = {&dynamics::pair<simd::Fma>,
                       &dynamics::mono<simd::Fma>,
                       &dynamics::kneeLoop<simd::Fma>,
                       &equaliser::pair<simd::Fma>,
                       &equaliser::mono<simd::Fma>,
                       blockKernelsOf<blockops::Floats<blockops::Vector8>>()};
}
