// run() in lilv's host: real-time safe at the usual rates and every block
// size, held at the ceiling, with its latency and meters published; and safe
// with what hosts may send (NaN, values out of range, empty and overlong runs,
// rates it cannot serve).
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "engine/Engine.h"
#include "engine/ParameterUnits.h"
#include <doctest.h>
#include "tests/lv2/Lv2Host.h"
#include "tests/support/Signals.h"
#include "tests/validator/Realtime.h"

using namespace validator;

namespace {

// The largest magnitude in either channel; infinity once a sample is not finite.
double peakOf(const Stereo& s) {
    double p = 0.0;
    for (const auto* v : {&s.left, &s.right})
        for (float x : *v) p = std::isfinite(x) ? std::fmax(p, std::fabs(x)) : INFINITY;
    return p;
}
bool finite(const Stereo& s) { return std::isfinite(peakOf(s)); }

}  // namespace

TEST_CASE("44.1, 48 and 96 kHz, runs of 1 to 8192 frames: no allocation, lock or system call; "
          "finite, at most full scale, latency 2400, meters" * doctest::test_suite("lv2.run")) {
    const long allocationsBefore = allocationsCounted(), locksBefore = locksCounted();
    // Driven 12 dB past the ceiling, with Out Gain at 0 dB.
    const MaximizerEngine tables;  // the level scale that Limiter Gain's dB read
    const float drive = userValue(kLimiterGain, internalFromUser(kLimiterGain, 12.0f));
    int cases = 0;
    const auto body = [&] {
        for (double rate : {44100.0, 48000.0, 96000.0})
            for (int block : {1, 7, 64, 512, 4096, 8192}) {
                const int n = block == 1 ? 6000 : 20000;
                const Stereo in{signals::program(n, 1.5, 11), signals::program(n, 1.2, 12)};
                double inputPeak = 0.0;
                for (float x : in.left) inputPeak = std::fmax(inputPeak, x);
                Lv2Instance plugin(rate, block);
                plugin.parameter(kLimiterGain) = 12.0f;
                plugin.parameter(kOutGain) = 0.0f;
                plugin.markRuns = true;
                float peak = -1000.0f, reduction = 0.0f, knee = 0.0f;  // over every run, in dB
                const Stereo out = plugin.process(in.left, in.right, {block}, nullptr, [&] {
                    peak = std::fmax(peak, plugin.meter(lv2port::kPeakMeter, 0));
                    reduction = std::fmin(reduction, plugin.meter(lv2port::kReductionMeter, 0));
                    knee = std::fmin(knee, plugin.meter(lv2port::kKneeMeter, 0));
                });
                ++cases;
                INFO(rate, " Hz, runs of ", block, ": peak ", peakOf(out), ", meters ", peak, " ", reduction, " ",
                     knee);
                CHECK((plugin.ok() && peakOf(out) <= 1.0 && peakOf(out) > 0.9));
                CHECK_EQ(plugin.control[lv2port::kLatencyPort], float(kLatency));
                CHECK(std::fabs(peak - (20.0 * std::log10(inputPeak) + drive)) < 1e-3);
                CHECK((reduction < -6.0f && knee < -0.1f));
            }
    };
    const SyscallWatch watch = watchSyscalls(body);
    if (!watch.watched) body();  // allocations and locks are still counted
    CHECK_EQ(cases, 18);
    if (allocationsBefore >= 0) CHECK_EQ(allocationsCounted() - allocationsBefore, 0L);
    if (locksBefore >= 0) CHECK_EQ(locksCounted() - locksBefore, 0L);
    if (watch.watched) {
        CHECK_EQ(watch.count, 0L);
        for (const SyscallSeen& call : watch.first) std::printf("    system call in run(): %s\n", describe(call).c_str());
    } else {
        std::printf("    system calls not watched on this machine: %s\n", watch.refusal.c_str());
    }
}

TEST_CASE("a peak stays on its meter port for at least 1/25 s of audio after its run, a slice more at most" *
          doctest::test_suite("lv2.run")) {
    // A host passing output values on to a user interface 25 times a second
    // of audio, after some run, sees every peak.
    for (double rate : {44100.0, 96000.0})
        for (int block : {16, 256, 4096}) {
            const double hold = rate / 25.0, slice = std::ceil(hold / 4.0);
            const int n = 3 * block + int(hold + slice) + 2 * block;
            std::vector<float> left(size_t(n), 0.0f), right(size_t(n), 0.0f);
            left[size_t(3 * block - 1)] = 0.5f;  // the third run's last sample
            Lv2Instance plugin(rate, block);
            int runs = 0, held = 0, late = 0, early = 0;
            plugin.process(left, right, {block}, nullptr, [&] {
                const double after = double(++runs - 3) * block;  // frames since the peak's run ended
                const bool shown = std::fabs(plugin.meter(lv2port::kPeakMeter, 0) - 20.0f * std::log10(0.5f)) < 1e-3f;
                if (after < 0.0) early += shown;
                else if (after < hold) held += !shown;
                else if (after >= hold + slice) late += plugin.meter(lv2port::kPeakMeter, 0) != lv2port::kMeters[0].lowest;
            });
            CHECK((plugin.ok() && runs * block >= n));
            CHECK_EQ(early + held + late, 0);
        }
}

TEST_CASE("NaN leaves a parameter as it was; values beyond a port's range act as its end" *
          doctest::test_suite("lv2.bad")) {
    const int n = 12000;
    const Stereo in{signals::program(n, 1.8, 21), signals::program(n, 1.4, 22)};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Settings applied in the first run, then NaN everywhere from the third.
    const std::pair<int, float> set[] = {{kLimiterGain, 5.0f}, {kBassBoost, 20.0f}, {kAlgorithm, 1.0f}, {kTrebleFreq, 6000.0f}};
    Lv2Instance steady(44100.0, 512), poked(44100.0, 512);
    for (auto [i, v] : set) steady.parameter(i) = poked.parameter(i) = v;
    const Stereo a = steady.process(in.left, in.right, {512});
    const Stereo b = poked.process(in.left, in.right, {512}, [&](int k) {
        if (k == 2)
            for (int i = 0; i < kNumParams; ++i) poked.parameter(i) = nan;
    });
    CHECK((a.left == b.left && a.right == b.right));

    // Far past each end, and at each end: the same sound.
    for (bool top : {false, true}) {
        Lv2Instance beyond(48000.0, 256), atEnd(48000.0, 256);
        for (int i = 0; i < kNumParams; ++i) {
            const UserScale s = userScale(i);
            beyond.parameter(i) = top ? 1e30f : -1e30f;
            atEnd.parameter(i) = top ? s.highest : s.lowest;
        }
        const Stereo x = beyond.process(in.left, in.right, {256});
        const Stereo y = atEnd.process(in.left, in.right, {256});
        CHECK(finite(x));
        CHECK((x.left == y.left && x.right == y.right));
    }
}

TEST_CASE("empty runs, runs longer than the host's longest, run before activate, rates out of range" *
          doctest::test_suite("lv2.bad")) {
    const int n = 20000;
    const Stereo in{signals::program(n, 1.8, 31), signals::program(n, 1.4, 32)};
    Lv2Instance reference(44100.0, 8192);
    const Stereo expected = reference.process(in.left, in.right, {5000});

    // Told 64 frames at most, given 5000 at a time, with empty runs between.
    Lv2Instance small(44100.0, 64);
    Stereo got{std::vector<float>(n), std::vector<float>(n)};
    float untouched[2] = {123.0f, 456.0f};
    for (int pos = 0; pos < n; pos += 5000) {
        small.run(in.left.data() + pos, in.right.data() + pos, &untouched[0], &untouched[1], 0);
        small.run(in.left.data() + pos, in.right.data() + pos, got.left.data() + pos, got.right.data() + pos, 5000);
    }
    CHECK((got.left == expected.left && got.right == expected.right));
    CHECK((untouched[0] == 123.0f && untouched[1] == 456.0f));
    // No longest run named at all: a default, and longer runs in pieces.
    Lv2Instance unnamed(44100.0, 0);
    const Stereo whole = unnamed.process(in.left, in.right, {n});
    CHECK((whole.left == expected.left && whole.right == expected.right));

    // Before activate the outputs are silence, not what the buffers held.
    Lv2Instance idle(44100.0, 512, false);
    std::vector<float> out(64, 9.0f);
    idle.run(in.left.data(), in.right.data(), out.data(), out.data(), 64);
    CHECK(out == std::vector<float>(64, 0.0f));

    for (double rate : {4000.0, 7999.0, 384001.0, 500000.0, -44100.0, std::numeric_limits<double>::quiet_NaN()})
        CHECK(!Lv2Instance(rate, 512).ok());
    for (double rate : {8000.0, 384000.0}) {
        Lv2Instance edge(rate, 512);
        CHECK(edge.ok());
        if (edge.ok()) CHECK(finite(edge.process(in.left, in.right, {512})));
    }
}
