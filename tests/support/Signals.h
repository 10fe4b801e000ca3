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

// One channel of hostile input, segment after segment so that a filter meets
// each kind with the history the one before left: silence from a clear
// history, program material, the same 40 dB hotter, a full-scale square,
// values about the flush floor and in the denormal range, silence, values
// that overflow a stage's arithmetic, and silence again.
inline std::vector<float> hostile(uint32_t seed, int squarePeriod) {
    std::vector<float> x(200, 0.0f);
    for (float v : program(700, 0.8, seed)) x.push_back(v);
    for (float v : program(700, 80.0, seed + 1)) x.push_back(v);
    for (int i = 0; i < 600; ++i) x.push_back((i / (squarePeriod / 2)) % 2 ? -1.0f : 1.0f);
    const float tiny[] = {1e-40f, -1e-39f, 0x1p-33f, -0x1p-32f, 0x1p-32f, 0x1.000002p-32f, -1e-45f, 3e-30f};
    for (int i = 0; i < 400; ++i) x.push_back(tiny[(i + seed) % 8]);
    x.insert(x.end(), 500, 0.0f);
    const float huge[] = {3.0e38f, 3.0e38f, 1e30f, -2.5e38f, -3.0e38f, -3.0e38f};
    for (int i = 0; i < 200; ++i) x.push_back(huge[i % 6]);
    x.insert(x.end(), 300, 0.0f);
    return x;
}

inline float peak(const std::vector<float>& v, size_t from, size_t to) {
    float p = 0.0f;
    for (size_t i = from; i < to && i < v.size(); ++i) p = v[i] > p ? v[i] : (-v[i] > p ? -v[i] : p);
    return p;
}

}  // namespace signals
