// The paths built for processors with AVX-512 (F, VL, DQ) besides AVX2 and
// FMA: the same code as SimdAvx2.cpp, with twice the vector registers. Only
// called where the processor has all of them.
#include "engine/KernelTable.h"

namespace simd {
const Kernels kAvx512 = kernelsOf<simd::Avx512, blockops::Vector16>();
}
