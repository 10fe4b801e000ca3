// Knee, stereo link, limiter and smoother of both channels in one pass, and
// the choice of instruction set for it, the paired knee and the paired
// equaliser, made once when the library loads: SSE2 everywhere, AVX2 with
// FMA where the processor has both.
#pragma once
#include <cstdint>

#include "engine/Stages.h"

struct DynamicsSettings {
    int32_t kneeSpeed;
    int32_t kneeEnabled;  // 1 for the SK algorithms
    bool linked;          // both channels take the lower knee gain
    float rampFactor;
    bool falling;
    bool smoothed;  // the output tap reads smoothGain
};

// Runs n samples of each channel (after the drive gain) through the knee,
// the link and the limiter, then the smoother (or lets it idle); readPos is
// the output tap's position. Leaves kneeGain untouched: each channel's last
// gain is its kneeState (the lower of both when linked).
void dynamicsPair(ChannelState& left, ChannelState& right, const float* l, const float* r, const DynamicsSettings& s,
                  int32_t readPos, int32_t n);
// The same for one channel (the mono path).
void dynamicsMono(ChannelState& ch, const float* x, const DynamicsSettings& s, int32_t readPos, int32_t n);

// The instruction sets this build has paths for, and the one in use.
enum class SimdLevel { sse2, avx2, avx512 };
constexpr SimdLevel kSimdLevels[] = {SimdLevel::sse2, SimdLevel::avx2, SimdLevel::avx512};
constexpr const char* simdName(SimdLevel level) {
    return level == SimdLevel::sse2 ? "SSE2" : (level == SimdLevel::avx2 ? "AVX2" : "AVX-512");
}
SimdLevel simdLevel();
// Whether the processor runs the given level.
bool simdSupported(SimdLevel level);
// Tests and benchmarks switch levels to compare them; not while processing.
void setSimdLevel(SimdLevel level);
