// The paths built for processors with AVX-512 (F, VL, DQ) besides AVX2 and
// FMA: the same code as SimdAvx2.cpp, with twice the vector registers. Only
// called where the processor has all of them.
#include "engine/DynamicsLoop.h"
#include "engine/EqualiserLoop.h"
#include "engine/SimdKernels.h"

namespace simd {
const Kernels kAvx512 = {&dynamics::pair<simd::Avx512>,
                         &dynamics::mono<simd::Avx512>,
                         &dynamics::kneeLoop<simd::Avx512>,
                         &equaliser::pair<simd::Avx512>,
                         &equaliser::mono<simd::Avx512>,
                         blockKernelsOf<blockops::Floats<blockops::Vector16>>()};
}
