// The fused dynamics loop for processors with AVX2 and FMA; this source is
// built with -mavx2 -mfma and only called where the processor has both.
#include "engine/DynamicsLoop.h"

namespace dynamics {
const Kernels kAvx2 = {&pair<simd::Fma>, &kneeLoop<simd::Fma>};
}
