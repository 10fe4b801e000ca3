// The process-wide level scale and ramp weights, and their rebuild by the
// first instance of a new generation.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "vst2/MaximizerEffect.h"
#include "engine/Tables.h"
#include "tests/support/Checks.h"

namespace {

struct Snapshot {
    std::vector<float> amplitude, window;
    std::vector<int16_t> level, over;
    Snapshot()
        : amplitude(pixelAmplitude, pixelAmplitude + kLevelPositions),
          window(&triangleWindow[0][0], &triangleWindow[0][0] + kWindowSize * kWindowSize),
          level(levelPixels, levelPixels + kLevelSteps),
          over(overPixels, overPixels + kOverSteps) {}
    bool operator==(const Snapshot& o) const {
        return std::memcmp(amplitude.data(), o.amplitude.data(), amplitude.size() * sizeof(float)) == 0 &&
               std::memcmp(window.data(), o.window.data(), window.size() * sizeof(float)) == 0 &&
               level == o.level && over == o.over;
    }
};

// FNV-1a over the tables' bytes: printed so builds can be compared bit for bit.
uint32_t tablesDigest() {
    uint32_t h = 2166136261u;
    auto mix = [&h](const void* data, size_t size) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 16777619u;
    };
    mix(pixelAmplitude, sizeof pixelAmplitude);
    mix(levelPixels, sizeof levelPixels);
    mix(overPixels, sizeof overPixels);
    mix(triangleWindow, sizeof triangleWindow);
    return h;
}

}  // namespace

TEST_CASE("the level scale: anchors, monotonic, and positions map back to amplitudes" *
          doctest::test_suite("engine.settings.tables")) {
    buildTables();
    CHECK_EQ(pixelAmplitude[210], 1.0f);
    CHECK_NEAR(pixelAmplitude[64], 0.099997, 2e-6);
    CHECK_NEAR(pixelAmplitude[405], 7.0, 1e-6);
    CHECK_EQ(pixelAmplitude[0], 0.0f);
    CHECK_NEAR(20.0 * std::log10(pixelAmplitude[196]), -1.0, 0.01);
    CHECK_NEAR(20.0 * std::log10(pixelAmplitude[395]), 16.0, 0.05);
    CHECK_NEAR(20.0 * std::log10(pixelAmplitude[211]), 0.1, 0.02);  // Limiter Gain 208 shows "0:10"

    CHECK_EQ(levelPixels[0], 0);
    CHECK_EQ(levelPixels[100000], 64);  // -20 dB
    CHECK_EQ(levelPixels[1001], 35);    // -60 dB, one step after the corner snaps
    CHECK_EQ(levelPixels[999990], 209);
    CHECK_EQ(overPixels[0], 210);
    bool rising = true;
    for (int s = 1; s < kLevelSteps; ++s) rising &= levelPixels[s] >= levelPixels[s - 1];
    for (int s = 1; s < kOverSteps; ++s) rising &= overPixels[s] >= overPixels[s - 1];
    for (int p = 1; p < kLevelPositions; ++p) rising &= pixelAmplitude[p] > pixelAmplitude[p - 1];
    CHECK(rising);
    CHECK((overPixels[kOverSteps - 1] >= 404 && overPixels[kOverSteps - 1] <= 405));

    // Every position's amplitude is the first step that reaches it on the scale
    // (the last position of each piece is reached only at its final step).
    int mismatches = 0;
    for (int p = 1; p < 210; ++p) {
        const long s = std::lround(double(pixelAmplitude[p]) * 1e6);
        if (levelPixels[s] != p && levelPixels[s + 1] != p) ++mismatches;
        if (s > 0 && levelPixels[s - 1] >= p) ++mismatches;
    }
    for (int p = 211; p < kLevelPositions - 1; ++p) {
        const long s = std::lround(double(pixelAmplitude[p]) * 1000.0) - 1000;
        if (overPixels[s] != p && overPixels[s + 1] != p) ++mismatches;
        if (s > 0 && overPixels[s - 1] >= p) ++mismatches;
    }
    CHECK_EQ(mismatches, 0);
}

TEST_CASE("ramp weights: triangles over n + 1 rows summing to about n" *
          doctest::test_suite("engine.settings.tables")) {
    buildTables();
    for (int r = 0; r < kWindowSize; ++r) CHECK_EQ(triangleWindow[r][0], 1.0f);
    CHECK_EQ(triangleWindow[10][20], 2.0f);
    int badSums = 0, badUnwritten = 0;
    for (int n = 1; n < kWindowSize; ++n) {
        double sum = 0;
        for (int r = 0; r <= n; ++r) sum += triangleWindow[r][n];
        if (std::fabs(sum - n) > 1.0) ++badSums;
        for (int r = n + 1; r < kWindowSize; ++r) badUnwritten += triangleWindow[r][n] != 0.0f;
    }
    CHECK_EQ(badSums, 0);
    CHECK_EQ(badUnwritten, 0);
}

TEST_CASE("built by the first instance of a generation, identically (build time printed)" *
          doctest::test_suite("engine.settings.tables")) {
    buildTables();
    const Snapshot reference;
    const auto t0 = std::chrono::steady_clock::now();
    buildTables();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("    buildTables: %.2f ms, digest %08x\n", ms, unsigned(tablesDigest()));
    CHECK(Snapshot() == reference);

    if (instanceCount != 0) return;  // another case left an instance alive; nothing to learn here
    pixelAmplitude[100] = -1.0f;
    levelPixels[500000] = -1;
    {
        auto first = std::make_unique<MaximizerEffect>(nullptr);
        CHECK_EQ(instanceCount, 1);
        CHECK(Snapshot() == reference);
        pixelAmplitude[100] = -1.0f;
        auto second = std::make_unique<MaximizerEffect>(nullptr);
        CHECK_EQ(instanceCount, 2);
        CHECK_EQ(pixelAmplitude[100], -1.0f);  // a second instance does not rebuild
        pixelAmplitude[100] = reference.amplitude[100];
    }
    CHECK_EQ(instanceCount, 0);
    overPixels[3000] = 0;
    auto next = std::make_unique<MaximizerEffect>(nullptr);
    CHECK(Snapshot() == reference);
}
