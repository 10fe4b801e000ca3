// Guard for stage outputs and filter states: a value within ±2^-32 flushes to
// 0 as everywhere, and a non-finite value (an overflow caused by an absurdly
// large input) becomes 0 too, so it can neither reach the next stage nor stay
// in a filter state for good.
#pragma once
#include <cmath>

#include "engine/Flush.h"

inline float settle(float v) { return std::isfinite(v) ? flush(v) : 0.0f; }

// The same guard where the value is not flushed.
inline float finiteOrZero(float v) { return std::isfinite(v) ? v : 0.0f; }
