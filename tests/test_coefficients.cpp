// Derived values: filter coefficients, drive and output gains, ramp factor and
// the EQ amounts, as functions and as the effect holds them.
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "engine/Coefficients.h"
#include "engine/Engine.h"
#include "engine/Tables.h"
#include "engine/Truncate.h"
#include "tests/support/Checks.h"

namespace {

// Both roots of z² + a1·z + a2 lie strictly inside the unit circle.
bool stable(double a1, double a2) {
    const std::complex<double> disc = std::sqrt(std::complex<double>(a1 * a1 - 4.0 * a2));
    return std::abs((-a1 + disc) / 2.0) < 1.0 && std::abs((-a1 - disc) / 2.0) < 1.0;
}

// Magnitude response of a biquad at frequency f.
double gainAt(const HighPassCoefficients& c, double f, double fs) {
    const std::complex<double> z = std::polar(1.0, 2.0 * 3.141592653589793 * f / fs);
    const std::complex<double> zi = 1.0 / z;
    return std::abs((double(c.b0) + double(c.b1) * zi + double(c.b2) * zi * zi) /
                    (1.0 + double(c.a1) * zi + double(c.a2) * zi * zi));
}

}  // namespace

TEST_CASE("high-pass and notch values at 44100 and 48000 Hz" * doctest::test_suite("engine.settings.coefficients")) {
    const HighPassCoefficients treble = butterworthHighPass(3000.0f, 44100.0f);
    CHECK_NEAR(treble.b0, 0.738539, 2e-6);
    CHECK_NEAR(treble.b1, -2.0 * 0.738539, 4e-6);
    CHECK_EQ(treble.b2, treble.b0);
    CHECK_EQ(treble.b1, -2.0f * treble.b0);
    CHECK_NEAR(treble.a1, -1.407505, 2e-6);
    CHECK_NEAR(treble.a2, 0.546649, 2e-6);
    CHECK_NEAR(butterworthHighPass(3000.0f, 48000.0f).b0, 0.757076, 2e-6);

    const HighPassCoefficients bass = butterworthHighPass(100.0f, 44100.0f);
    CHECK_NEAR(bass.b0, 0.989976, 2e-6);
    CHECK_NEAR(bass.a1, -1.979851, 2e-6);
    CHECK_NEAR(bass.a2, 0.980053, 2e-6);
    // A Butterworth corner: -3 dB at the corner, flat at the top.
    CHECK_NEAR(gainAt(bass, 100.0, 44100.0), std::sqrt(0.5), 1e-3);
    CHECK_NEAR(gainAt(treble, 20000.0, 44100.0), 1.0, 1e-2);

    const NotchCoefficients mid = midNotch(800.0f, 44100.0f);
    CHECK_NEAR(mid.b0, 0.945759, 2e-6);
    CHECK_NEAR(mid.b1, -1.879244, 2e-6);
    CHECK_NEAR(mid.a1, -1.877736, 2e-6);
    CHECK_EQ(mid.a2, 0.893025f);
}

TEST_CASE("high-pass corners past Nyquist stay stable" * doctest::test_suite("engine.settings.coefficients")) {
    for (float fs : {8000.0f, 22050.0f, 32000.0f, 44100.0f}) {
        for (float f : {3000.0f, 11025.0f, 15999.0f, 16000.0f, 20000.0f, 31000.0f}) {
            const HighPassCoefficients c = butterworthHighPass(f, fs);
            CHECK((std::isfinite(c.b0) && std::isfinite(c.a1) && std::isfinite(c.a2)));
            CHECK(stable(c.a1, c.a2));
        }
    }
    // Below Nyquist nothing changes: 20 kHz at 48 kHz is a plain corner.
    CHECK_NEAR(gainAt(butterworthHighPass(20000.0f, 48000.0f), 20000.0, 48000.0), std::sqrt(0.5), 1e-3);
}

TEST_CASE("gains, ramp factor and amounts" * doctest::test_suite("engine.settings.coefficients")) {
    buildTables();
    constexpr float kInf = std::numeric_limits<float>::infinity(), kNaN = std::numeric_limits<float>::quiet_NaN();
    const float floor = limiterGainFor(8.0f);
    // A function, a setting, the value and its tolerance (0: exactly). Output
    // Gain cuts toward zero to 0.1 dB: 20·log10(150/196) = -2.3226 dB gives
    // -2.3 dB, 20·log10(147/196) = -2.4988 dB gives -2.4 dB.
    const struct {
        float (*fn)(float);
        float in;
        double expected, tol;
    } rows[] = {
        {limiterGainFor, 207.0f, 1.0, 0},       {limiterGainFor, 207.9f, 1.0, 0},   {limiterGainFor, 8.0f, 0.000015, 2e-6},
        {limiterGainFor, 0.0f, floor, 0},       {limiterGainFor, -1e9f, floor, 0},  {limiterGainFor, kNaN, floor, 0},
        {limiterGainFor, 402.0f, 7.0, 1e-6},    {limiterGainFor, 5000.0f, 7.0, 1e-6}, {limiterGainFor, kInf, 7.0, 1e-6},
        {rampFactorFor, 150.0f, 0.053571, 1e-6}, {rampFactorFor, 0.0f, 0.5, 0},     {rampFactorFor, 162.0f, 0.017857, 1e-6},
        {outputGainFor, 196.0f, 1.0, 0},        {outputGainFor, 195.0f, 1.0, 0},    {outputGainFor, 400.0f, 1.0, 0},
        {outputGainFor, 98.0f, 0.501187, 1e-6}, {outputGainFor, 0.0f, 0.001, 1e-9}, {outputGainFor, -50.0f, 0.001, 1e-9},
        {outputGainFor, 150.0f, std::pow(10.0, -2.3 / 20.0), 1e-6}, {outputGainFor, 147.0f, std::pow(10.0, -2.4 / 20.0), 1e-6},
        {outputGainFor, kNaN, 0.001, 1e-9},
        {bodyAmountFor, 0.0f, 0.0, 0},          {bodyAmountFor, 387.0f, 0.9675, 1e-7},
        {trebleMixFor, 141.0f, 0.0, 0},         {trebleMixFor, 282.0f, 2.35, 1e-6}, {trebleMixFor, 0.0f, -2.35, 1e-6},
    };
    for (const auto& r : rows) {
        INFO("setting " << r.in);
        CHECK_NEAR(r.fn(r.in), r.expected, r.tol);
    }
    CHECK_NEAR(20.0 * std::log10(limiterGainFor(393.0f)), 16.06, 0.01);
}

TEST_CASE("the engine's derived values at defaults follow the rate of the last prepare" *
          doctest::test_suite("engine.settings.coefficients")) {
    MaximizerEngine e;
    e.prepare(44100.0f, 512);
    CHECK_EQ(e.limiterGain(), 1.0f);
    CHECK_EQ(e.outputGain(), 1.0f);
    CHECK_NEAR(e.rampFactor(), 0.053571, 1e-6);
    CHECK_EQ(e.bodyAmount(), 0.0f);
    CHECK_EQ(e.trebleMix(), 0.0f);
    for (int c = 0; c < 2; ++c) {
        CHECK_NEAR(e.trebleSection(c).b0, 0.738539, 2e-6);
        CHECK_NEAR(e.channel(c).bassHighPass.b0, 0.989976, 2e-6);
        CHECK_EQ(float(e.channel(c).bassHighPass.b2), float(e.channel(c).bassHighPass.b0));
        CHECK_NEAR(e.channel(c).midNotch.b1, -1.879244, 2e-6);
    }

    // Filter histories are left alone by a recomputation.
    e.setParameter(kBassBoost, 0.9f);
    std::vector<float> in(256, 0.5f), out(256);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    e.process(ins, outs, 256, planForMode(0), false);
    const float y1 = e.channel(0).bassHighPass.y1;
    CHECK(y1 != 0.0f);
    e.setParameter(kBassFreq, 1.0f);
    CHECK_EQ(e.channel(0).bassHighPass.y1, y1);

    // A new rate reaches the coefficients only at the next prepare.
    e.setParameter(kBodyBoost, 1.0f);
    CHECK_NEAR(e.trebleSection(0).b0, 0.738539, 2e-6);
    CHECK_NEAR(e.bodyAmount(), 0.9675, 1e-7);
    e.release();
    e.prepare(48000.0f, 512);
    CHECK_NEAR(e.trebleSection(1).b0, 0.757076, 2e-6);
}

TEST_CASE("a sweep of every derived value stays finite (digest printed for cross-build comparison)" *
          doctest::test_suite("engine.settings.coefficients")) {
    buildTables();
    uint32_t h = 2166136261u;
    auto mix = [&h](float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int k = 0; k < 4; ++k) h = (h ^ ((bits >> (8 * k)) & 0xffu)) * 16777619u;
    };
    int nonFinite = 0;
    for (float fs : {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        for (int k = 0; k <= 400; ++k) {
            const HighPassCoefficients hp = butterworthHighPass(80.0f + 50.0f * float(k), fs);
            const NotchCoefficients n = midNotch(500.0f + 6.25f * float(k), fs);
            for (float v : {hp.b0, hp.b1, hp.b2, hp.a1, hp.a2, n.b0, n.b1, n.a1, n.a2}) {
                mix(v);
                nonFinite += !std::isfinite(v);
            }
        }
    }
    for (int k = 0; k <= 1000; ++k) {
        const float v = float(k) * 0.4f;
        for (float g : {limiterGainFor(v), rampFactorFor(v), outputGainFor(v), bodyAmountFor(v), trebleMixFor(v)}) {
            mix(g);
            nonFinite += !std::isfinite(g);
        }
    }
    std::printf("    derived values digest %08x\n", unsigned(h));
    CHECK_EQ(nonFinite, 0);
}

TEST_CASE("truncation helper: toward zero, saturating, NaN reads 0" *
          doctest::test_suite("engine.settings.coefficients")) {
    CHECK_EQ(truncateToInt(-4.95f), -4);
    CHECK_EQ(truncateToInt(-3e9), INT32_MIN);
    CHECK_EQ(truncateToInt(std::numeric_limits<float>::infinity()), INT32_MAX);
    CHECK_EQ(truncateToInt(-std::numeric_limits<double>::infinity()), INT32_MIN);
    CHECK_EQ(truncateToInt(std::numeric_limits<float>::quiet_NaN()), 0);
    CHECK_EQ(truncateToIndex(7.5, 5), 5);
    CHECK_EQ(truncateToIndex(-1.5, 5), 0);
}
