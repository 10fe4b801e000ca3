// The entry points built once per instruction set (SimdSse2.cpp,
// SimdAvx2.cpp, SimdAvx512.cpp); SimdDispatch.cpp picks one table when the
// library loads.
#pragma once
#include <cstdint>

#include "engine/BlockOps.h"
#include "engine/Dynamics.h"

namespace simd {

// The driver's block passes (BlockOps.h) over one vector width.
struct BlockKernels {
    void (*copySettled)(float*, const float*, int32_t);
    float (*driveInPlace)(float*, int32_t, float);
    float (*lowest)(const float*, int32_t);
    void (*tapRun)(const blockops::TapRun&, int32_t, float*);
    void (*outputStereo)(float*, float*, const float*, const float*, int32_t, float, bool);
};

template <typename V>
constexpr BlockKernels blockKernelsOf() {
    return {&blockops::copySettled<V>, &blockops::driveInPlace<V>, &blockops::lowest<V>, &blockops::tapRun<V>,
            &blockops::outputStereo<V>};
}

struct Kernels {
    void (*dynamics)(ChannelState&, ChannelState&, const float*, const float*, const DynamicsSettings&, int32_t,
                     int32_t);
    void (*dynamicsMono)(ChannelState&, const float*, const DynamicsSettings&, int32_t, int32_t);
    void (*knee)(ChannelState&, ChannelState&, const float*, const float*, int32_t, int32_t);
    void (*equaliser)(ChannelState&, ChannelState&, HighPassSection (&)[2], float (&)[2], float*, float*,
                      const EqualiserSettings&, int32_t);
    void (*equaliserMono)(ChannelState&, HighPassSection&, float&, float*, const EqualiserSettings&, int32_t);
    BlockKernels blocks;
};

extern const Kernels kSse2, kAvx2, kAvx512;

// The block passes of the level in use (see setSimdLevel).
const BlockKernels& blocks();

}  // namespace simd
