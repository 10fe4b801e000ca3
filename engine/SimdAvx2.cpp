// The paths built for processors with AVX2 and FMA; this source is built
// with -mavx2 -mfma and only called where the processor has both.
#include "engine/KernelTable.h"

namespace simd {
const Kernels kAvx2 = kernelsOf<simd::Fma, blockops::Vector8>();
}
