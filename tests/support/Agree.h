// The sound rule for comparing two forms of the same stage: equal bits, or
// both finite and within 1e-6 (relative beyond magnitude 1). The paired
// forms carry their roundings in double lanes, with fused multiply-adds
// where the processor has them, so they may differ from the plain forms in
// the last float bit on a rare tie.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

inline bool agrees(float a, float b) {
    if (std::memcmp(&a, &b, sizeof a) == 0) return true;
    return std::isfinite(a) && std::isfinite(b) &&
           std::fabs(double(a) - double(b)) <= 1e-6 * std::max(1.0, std::fabs(double(b)));
}

inline bool agrees(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!agrees(a[i], b[i])) return false;
    return true;
}
