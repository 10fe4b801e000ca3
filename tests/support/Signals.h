// Deterministic test signals. Only basic double arithmetic is used (no libm),
// so every build produces the same sample bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace signals {

constexpr double kPi = 3.14159265358979323846;

// Sine of x by range reduction to [-pi/2, pi/2] and a Taylor series.
inline double sine(double x) {
    const double twoPi = 2.0 * kPi;
    const double turns = static_cast<double>(static_cast<int64_t>(x / twoPi));
    x -= turns * twoPi;
    if (x > kPi) x -= twoPi;
    if (x < -kPi) x += twoPi;
    if (x > kPi / 2) x = kPi - x;
    if (x < -kPi / 2) x = -kPi - x;
    const double x2 = x * x;
    double term = x, sum = x;
    for (int k = 1; k < 12; ++k) {
        term *= -x2 / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

// amplitude · sin(2π · i / period + phase), n samples.
inline std::vector<float> sineWave(int n, double period, double amplitude, double phase = 0.0) {
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = static_cast<float>(amplitude * sine(2.0 * kPi * i / period + phase));
    return v;
}

// Uniform noise in [-1, 1) from a 32-bit linear congruential generator.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed) {}
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

inline std::vector<float> noise(int n, double amplitude, uint32_t seed) {
    Noise g(seed);
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = static_cast<float>(amplitude * g.next());
    return v;
}

// A music-like test signal: two tones, a slow swell and a little noise,
// with peaks well above full scale. Half-waves stay below a few hundred samples.
inline std::vector<float> program(int n, double amplitude, uint32_t seed) {
    Noise g(seed);
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) {
        const double swell = 0.6 + 0.4 * sine(2.0 * kPi * i / 9000.0);
        const double tone = 0.7 * sine(2.0 * kPi * i / 401.0) + 0.3 * sine(2.0 * kPi * i / 37.3 + 1.0);
        v[i] = static_cast<float>(amplitude * (swell * tone + 0.05 * g.next()));
    }
    return v;
}

inline float peak(const std::vector<float>& v, size_t from, size_t to) {
    float p = 0.0f;
    for (size_t i = from; i < to && i < v.size(); ++i) p = v[i] > p ? v[i] : (-v[i] > p ? -v[i] : p);
    return p;
}

}  // namespace signals
