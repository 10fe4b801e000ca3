// The paths built for SSE2, the baseline of every build.
#include "engine/KernelTable.h"

namespace simd {
const Kernels kSse2 = kernelsOf<simd::Sse2, blockops::Vector4>();
}
