// The saturating boost law shared by the bass and body stages: a gain of
// about 0.9 + k on quiet values that falls as the value grows, with a fold
// term that bends the curve near full scale. Carried in double.
#pragma once
#include <cmath>

inline double saturatingBoost(double v, double k, double fold) {
    const double a = std::fabs(v);
    double h = v * (0.9f + k * (1.0 - a));
    // Never push a value further out than it already is.
    if (v > 0.0 && a * h > v) h = v;
    if (v < 0.0 && a * h < v) h = v;
    const double o = std::fabs(a - std::fabs(fold * h));
    return h * (1.0 - o * (1.0 - a) * a * a);
}
