// One instruction set's table of entry points, written once; each source
// built for a set (SimdSse2.cpp, SimdAvx2.cpp, SimdAvx512.cpp) fills its own
// table from it, so every template is instantiated with that source's flags.
#pragma once
#include "engine/DynamicsLoop.h"
#include "engine/EqualiserLoop.h"
#include "engine/SimdKernels.h"

namespace simd {

// Arch: the instruction set; V: the driver passes' float vector.
template <typename Arch, typename V>
constexpr Kernels kernelsOf() {
    return {&dynamics::pair<Arch>,   &dynamics::mono<Arch>,   &dynamics::kneeLoop<Arch>,
            &equaliser::pair<Arch>, &equaliser::mono<Arch>, blockKernelsOf<blockops::Floats<V>>()};
}

}  // namespace simd
