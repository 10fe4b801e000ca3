// The entry points built once per instruction set (SimdSse2.cpp,
// SimdAvx2.cpp, SimdAvx512.cpp); SimdDispatch.cpp picks one table when the
// library loads.
#pragma once
#include <cstdint>

#include "engine/Dynamics.h"

namespace simd {

struct Kernels {
    void (*dynamics)(ChannelState&, ChannelState&, const float*, const float*, const DynamicsSettings&, int32_t,
                     int32_t);
    void (*knee)(ChannelState&, ChannelState&, const float*, const float*, int32_t, int32_t);
    void (*equaliser)(ChannelState&, ChannelState&, HighPassSection (&)[2], float (&)[2], float*, float*,
                      const EqualiserSettings&, int32_t);
};

extern const Kernels kSse2, kAvx2, kAvx512;

}  // namespace simd
