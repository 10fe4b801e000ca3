// Truncation toward zero of a stored float to an integer code or index.
// Parameter values are not range-checked when they are stored, so a reader
// may meet a huge, infinite or NaN value: those saturate at the int32 range
// and NaN reads as 0, which keeps the conversion defined for every input.
#pragma once
#include <cstdint>

inline int32_t truncateToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// A code clamped into 0..last, for lookups into a table of last + 1 entries.
inline int32_t truncateToIndex(double v, int32_t last) {
    int32_t i = truncateToInt(v);
    return i < 0 ? 0 : (i > last ? last : i);
}
