// The engine's block processing end to end: latency and pass-through,
// limiting, replace and add, channel plans, meters, the block sizes and the
// guards for bad input.
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#include "engine/Flush.h"
#include <doctest.h>
#include "tests/support/EngineRig.h"
#include "tests/support/Signals.h"

namespace {

constexpr float kSentinel = 12345.0f;
std::vector<float> zeros(size_t n) { return std::vector<float>(n, 0.0f); }

// True when `ok(i)` holds for every sample index from `from` up to `to`.
template <typename Ok>
bool everySample(size_t from, size_t to, Ok ok) {
    for (size_t i = from; i < to; ++i)
        if (!ok(i)) return false;
    return true;
}

}  // namespace

TEST_CASE("a 0.9 sine passes bit-exactly, 2400 samples late; the delay line starts at 2^-32" *
          doctest::test_suite("engine.driver")) {
    EngineRig rig;
    const auto in = signals::sineWave(12000, 100.0, 0.9);
    const auto out = rig.run(in, in, {512});
    CHECK(everySample(0, 2400, [&](size_t i) { return out.left[i] == 0x1p-32f && out.right[i] == 0x1p-32f; }));
    // The only change: values within 2^-32 of zero (at the crossings) flush to 0.
    CHECK(everySample(2400, in.size(), [&](size_t i) {
        return out.left[i] == flush(in[i - 2400]) && out.right[i] == flush(in[i - 2400]);
    }));
    CHECK_EQ(rig.engine.meters().take(0).reduction, 1.0f);
}

TEST_CASE("Full limits a 2.0 sine to full scale per half-wave, then the output gain" *
          doctest::test_suite("engine.driver")) {
    for (int alg : {0, 3}) {
        EngineRig rig;
        rig.set(kAlgorithm, float(alg));
        rig.set(kOutGain, 98.0f);
        const float og = rig.engine.outputGain();
        CHECK((og < 0.51f && og > 0.49f));
        const auto in = signals::sineWave(12000, 100.0, 2.0);
        const auto out = rig.run(in, in, {256});
        if (alg == 0) {
            // Each half-wave is scaled by exactly 1/2: its shape is kept and its peak lands on og.
            double worst = 0.0;
            for (size_t i = 2400 + 300; i < in.size(); ++i)
                worst = std::max(worst, std::fabs(double(out.left[i]) - 0.5 * og * in[i - 2400]));
            CHECK(worst < 1e-6);
            CHECK_EQ(signals::peak(out.left, 3000, in.size()), og);
            CHECK_EQ(rig.engine.meters().take(0).reduction, 0.5f);
        } else {
            // With the soft knee in front the peak is still held at full scale.
            CHECK(signals::peak(out.left, 3000, in.size()) <= og);
        }
    }
}

TEST_CASE("falling modes keep long half-waves within a few dB of Full at any sample rate" *
          doctest::test_suite("engine.driver")) {
    // A bass sine driven +10 dB: half-waves of 441 (44.1 kHz) and 480 (96 kHz) samples.
    const std::pair<float, double> cases[] = {{44100.0f, 882.0}, {96000.0f, 960.0}};
    for (const auto& [rate, period] : cases) {
        auto rms = [&](int alg) {
            EngineRig rig(rate, 512);
            rig.set(kAlgorithm, float(alg));
            rig.set(kLimiterGain, 306.0f);
            const auto in = signals::sineWave(30000, period, 0.9);
            const auto out = rig.run(in, in, {512});
            double sum = 0.0;
            for (size_t i = 10000; i < out.left.size(); ++i) sum += double(out.left[i]) * out.left[i];
            return 10.0 * std::log10(sum / double(out.left.size() - 10000));
        };
        const double full = rms(0);
        for (int alg : {2, 5}) CHECK(std::fabs(rms(alg) - full) < 3.5);
    }
}

TEST_CASE("process adds into the outputs, processReplacing overwrites, whatever came before" *
          doctest::test_suite("engine.driver")) {
    const auto in = signals::program(3000, 1.5, 11);
    EngineRig reference;
    const auto first = reference.run(in, in), second = reference.run(in, in), third = reference.run(in, in);

    EngineRig rig;
    std::vector<float> inL(in), inR(in), outL(3000, 0.25f), outR(3000, 0.25f);
    rig.block(inL.data(), inR.data(), outL.data(), outR.data(), 3000, true);
    CHECK(everySample(0, 3000, [&](size_t i) {
        return outL[i] == 0.25f + first.left[i] && outR[i] == 0.25f + first.right[i];
    }));
    rig.block(inL.data(), inR.data(), outL.data(), outR.data(), 3000);
    CHECK((outL == second.left && outR == second.right));
    rig.block(inL.data(), inR.data(), outL.data(), outR.data(), 3000, true);
    CHECK(everySample(0, 3000, [&](size_t i) { return outL[i] == second.left[i] + third.left[i]; }));
}

TEST_CASE("Force Channels Left: right output untouched, right input ignored" * doctest::test_suite("engine.driver")) {
    EngineRig rig;
    rig.set(kForceChannels, 1.0f);
    const auto left = signals::sineWave(5000, 80.0, 0.7);
    std::vector<float> inL(left), inR(5000, std::numeric_limits<float>::quiet_NaN());
    std::vector<float> outL(5000, kSentinel), outR(5000, kSentinel);
    rig.block(inL.data(), inR.data(), outL.data(), outR.data(), 5000);
    CHECK(everySample(0, outR.size(), [&](size_t i) { return outR[i] == kSentinel; }));
    CHECK_EQ(outL[4010], left[1610]);
    CHECK_EQ(rig.engine.meters().active(0), 1);
    CHECK_EQ(rig.engine.meters().active(1), 0);
    CHECK_EQ(rig.engine.meters().solo(), 1);
}

TEST_CASE("peak meter ignores negative samples and caps at 10; reduction meter floors at 0.0001" *
          doctest::test_suite("engine.driver")) {
    EngineRig rig;
    rig.set(kAlgorithm, 0.0f);
    Meters& meters = rig.engine.meters();
    std::vector<float> in(3000, 0.0f);
    in[10] = -5.0f;
    rig.run(in, in, {512});
    CHECK_EQ(meters.take(0).peak, 0.0f);
    in[20] = 0.5f;
    rig.run(in, in, {512});
    CHECK_EQ(meters.take(0).peak, 0.5f);
    CHECK_EQ(meters.take(0).peak, Meters::kNoPeak);  // taken: nothing new since
    in[30] = 20000.0f;  // a single-sample segment limited by 1/20000
    in[31] = -1.0f;
    rig.run(in, in, {512});
    rig.run(zeros(3000), zeros(3000), {512});
    const MeterTake t = meters.take(0);
    CHECK_EQ(t.peak, 10.0f);
    CHECK_EQ(t.reduction, 0.0001f);
    // Drive gain counts: Limiter Gain 393 (+16.1 dB) raises 0.5 above 3.
    rig.set(kLimiterGain, 393.0f);
    meters.take(1);
    std::vector<float> half(100, 0.5f);
    rig.run(half, half, {100});
    CHECK_EQ(meters.take(1).peak, 0.5f * rig.engine.limiterGain());
}

TEST_CASE("n = 0 and a block while not resumed leave the outputs and positions alone" *
          doctest::test_suite("engine.driver")) {
    std::vector<float> inL(64, 0.5f), inR(64, 0.5f), outL(64, kSentinel), outR(64, kSentinel);
    {
        EngineRig idle(44100.0f, 512, false);
        idle.block(inL.data(), inR.data(), outL.data(), outR.data(), 64);
        idle.block(inL.data(), inR.data(), outL.data(), outR.data(), 64, true);
        idle.engine.prepare(44100.0f, 512);
        idle.engine.release();
        idle.block(inL.data(), inR.data(), outL.data(), outR.data(), 64);
        CHECK_EQ(outL[0], kSentinel);
        CHECK_EQ(outR[63], kSentinel);
    }
    {
        EngineRig rig;
        const std::vector<float> hot(64, 3.0f);
        rig.run(hot, hot, {64});  // the right channel holds a peak
        rig.set(kForceChannels, 1.0f);
        const int32_t write = rig.engine.channel(0).writePos, read = rig.engine.readPosition();
        rig.block(inL.data(), inR.data(), outL.data(), outR.data(), 0);
        CHECK_EQ(outL[0], kSentinel);
        const MeterTake idle = rig.engine.meters().take(1);
        CHECK_EQ(idle.peak, Meters::kNoPeak);
        CHECK_EQ(idle.reduction, 1.0f);
        CHECK_EQ(rig.engine.channel(0).writePos, write);
        CHECK_EQ(rig.engine.readPosition(), read);
        rig.block(inL.data(), inR.data(), outL.data(), outR.data(), -5);  // a negative count is no block
        CHECK_EQ(rig.engine.readPosition(), read);
        CHECK_EQ(outR[0], kSentinel);
    }
}

TEST_CASE("the idle channel of a mono mode stays aligned with the output tap" * doctest::test_suite("engine.driver")) {
    EngineRig rig;
    rig.set(kAlgorithm, 0.0f);  // no soft knee, whose slow release would still show
    rig.set(kForceChannels, 1.0f);
    const auto in = signals::program(7000, 1.3, 8);
    rig.run(in, in, {333});
    // Switched back to stereo, the right channel's delay is still 2400.
    rig.set(kForceChannels, 0.0f);
    const auto tone = signals::sineWave(6000, 64.0, 0.6);
    const auto out = rig.run(tone, tone, {333});
    CHECK_EQ(out.right[5000], tone[2600]);
    CHECK_EQ(out.left[5000], tone[2600]);
}

TEST_CASE("neutral boosts and EQ off leave the stage states untouched and the signal exact" *
          doctest::test_suite("engine.driver")) {
    const auto in = signals::program(6000, 0.7, 9);
    for (int eqOn : {1, 0}) {
        EngineRig rig;
        rig.set(kEqOnOff, float(eqOn));
        if (!eqOn) {
            rig.set(kBodyBoost, 200.0f);
            rig.set(kBassBoost, 10.0f);
            rig.set(kMidBoost, 250.0f);
            rig.set(kHiBoost, 0.0f);
        }
        const auto out = rig.run(in, in, {512});
        CHECK(everySample(2400, in.size(), [&](size_t i) { return out.left[i] == flush(in[i - 2400]); }));
        for (int c = 0; c < 2; ++c) {
            const ChannelState& ch = rig.engine.channel(c);
            CHECK((ch.bassHighPass.x1 == 0.0f && ch.bassHighPass.y1 == 0.0f && ch.bassHighPass.y2 == 0.0f));
            CHECK((ch.midNotch.x1 == 0.0f && ch.midNotch.y1 == 0.0f && ch.midNotch.y2 == 0.0f));
            CHECK((rig.engine.trebleSection(c).y1 == 0.0f && rig.engine.trebleFollower(c) == 0.0f));
        }
    }
    // Each boost off its neutral value runs exactly its own stage.
    EngineRig rig;
    rig.set(kMidBoost, 200.0f);
    rig.run(in, in, {512});
    CHECK(rig.engine.channel(0).midNotch.y1 != 0.0f);
    CHECK(rig.engine.channel(0).bassHighPass.y1 == 0.0f);
    CHECK(rig.engine.trebleSection(0).y1 == 0.0f);
}

TEST_CASE("NaN and infinite input samples count as silence and do not poison the state" *
          doctest::test_suite("engine.driver")) {
    const auto clean = signals::program(12000, 1.2, 17);
    auto dirty = clean, zeroed = clean;
    for (size_t i : {1000u, 1001u, 5000u}) {
        dirty[i] = i == 1001 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::quiet_NaN();
        zeroed[i] = 0.0f;
    }
    dirty[7000] = std::numeric_limits<float>::infinity();
    zeroed[7000] = 0.0f;
    auto run = [](const std::vector<float>& v) {
        EngineRig rig;
        rig.set(kBassBoost, 250.0f);
        rig.set(kMidBoost, 30.0f);
        rig.set(kHiBoost, 260.0f);
        rig.set(kBodyBoost, 100.0f);
        rig.set(kAlgorithm, 1.0f);
        return rig.run(v, v, {256});
    };
    const auto a = run(dirty), b = run(zeroed);
    CHECK(a.left == b.left);
    CHECK(everySample(0, a.left.size(), [&](size_t i) { return std::isfinite(a.left[i]); }));
}

TEST_CASE("absurdly large finite samples never give non-finite output or a dead state" *
          doctest::test_suite("engine.driver")) {
    // Overflows inside a stage count as silence instead of staying in a filter state.
    for (int stage : {kBodyBoost, kBassBoost, kMidBoost, kHiBoost}) {
        for (float big : {1e8f, 3e38f}) {
            EngineRig rig;
            rig.set(kAlgorithm, 1.0f);
            rig.set(stage, stage == kBodyBoost ? 300.0f : 250.0f);
            auto in = signals::sineWave(40000, 100.0, 0.5);
            in[1000] = in[1001] = big;
            in[1002] = -big;
            const auto out = rig.run(in, in, {512});
            INFO("stage ", stage, ", input ", big);
            CHECK(everySample(0, out.left.size(), [&](size_t i) {
                return std::isfinite(out.left[i]) && std::fabs(out.left[i]) <= 1.0001f;
            }));
            CHECK(signals::peak(out.left, 38000, 40000) > 0.3f);
        }
    }
}

TEST_CASE("output is the same bits for every block size, also beyond the size given at resume" *
          doctest::test_suite("engine.driver")) {
    // Left: short half-waves; right: a plain tone with 900-sample half-waves.
    const auto left = signals::program(20000, 1.8, 23);
    const auto right = signals::sineWave(20000, 1800.0, 1.6);
    for (int alg = 0; alg <= 5; ++alg) {
        for (int link : {1, 0}) {
            auto run = [&](std::vector<int> blocks) {
                EngineRig rig;
                rig.set(kAlgorithm, float(alg));
                rig.set(kStereoLink, float(link));
                rig.set(kBassBoost, 200.0f);
                rig.set(kHiBoost, 100.0f);
                return rig.run(left, right, blocks);
            };
            const auto ref = run({512});
            bool same = true;
            // The last pattern's long blocks (the rig resumes at 512) run in pieces.
            for (auto blocks : {std::vector<int>{1}, {64}, {37, 300, 1, 512, 2, 128}, {3000, 1, 4999}}) {
                const auto o = run(blocks);
                same &= o.left == ref.left && o.right == ref.right;
            }
            CHECK(same);
            if (!same) std::printf("    algorithm %d link %d differs by block size\n", alg, link);
        }
    }
}

TEST_CASE("stereo link applies the smaller gain to both sides, only in stereo" * doctest::test_suite("engine.driver")) {
    const auto hot = signals::sineWave(8000, 100.0, 2.0);
    const auto cool = signals::sineWave(8000, 100.0, 0.5);
    EngineRig linked, unlinked;
    linked.set(kAlgorithm, 0.0f);
    unlinked.set(kAlgorithm, 0.0f);
    unlinked.set(kStereoLink, 0.0f);
    const auto l = linked.run(hot, cool, {512});
    const auto u = unlinked.run(hot, cool, {512});
    CHECK_EQ(l.right[6025], 0.25f);   // 0.5 peak at the 0.5 gain of the hot side
    CHECK_EQ(u.right[6025], 0.5f);
    CHECK_EQ(l.left[6025], 1.0f);

    // Cool left, hot right, then left only: the right ring still holds the hot
    // side's pending gains, which a link would apply to the left; a mono mode
    // runs unlinked.
    EngineRig switched;
    switched.set(kAlgorithm, 0.0f);
    switched.run(cool, hot, {512});
    switched.set(kForceChannels, 1.0f);
    const auto mono = switched.run(cool, hot, {512});
    CHECK(everySample(0, 2400, [&](size_t i) { return mono.left[i] == flush(cool[8000 - 2400 + i]); }));
}
