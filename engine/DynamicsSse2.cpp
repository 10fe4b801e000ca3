// The fused dynamics loop for SSE2, the baseline of every build.
#include "engine/DynamicsLoop.h"

namespace dynamics {
const Kernels kSse2 = {&pair<simd::Sse2>, &kneeLoop<simd::Sse2>};
}
