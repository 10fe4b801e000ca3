// Denormal guard used by every stage: a value strictly inside ±2^-32 becomes
// exactly 0, which keeps filter states and gains out of the denormal range.
#pragma once

constexpr float kFlushFloor = 0x1p-32f;

inline float flush(float v) { return (v < kFlushFloor && v > -kFlushFloor) ? 0.0f : v; }
