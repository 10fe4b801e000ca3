// Soft knee: gains per sample for known inputs, on every path the engine runs
// it: one channel (the mono path) and each lane of both channels at once for
// each instruction set the processor runs. There the other lane starts from
// another state and carries a hot signal, so a lane that reads its neighbour
// shows.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/Dynamics.h"
#include "engine/Stages.h"
#include "tests/support/Checks.h"
#include "tests/support/Signals.h"
#include "tests/stage_channel.h"

namespace {

struct Path {
    int lane;  // -1: one channel; 0 or 1: that lane of both channels at once
    SimdLevel level;
};

std::vector<Path> paths() {
    std::vector<Path> list = {{-1, SimdLevel::sse2}};
    for (SimdLevel level : kSimdLevels)
        if (simdSupported(level)) list.insert(list.end(), {{0, level}, {1, level}});
    return list;
}

// The knee state of both channels, from their start values; the path's
// channel is `ch`, the other one runs beside it on the paired paths.
struct Knee {
    Path p;
    ChannelState both[2]{};
    ChannelState& ch;

    explicit Knee(const Path& path) : p(path), both{}, ch(both[path.lane < 0 ? 0 : path.lane]) {
        for (ChannelState& c : both) channelStart(c, 0);
        ChannelState& other = both[p.lane == 0 ? 1 : 0];
        if (&other != &ch) {
            other.kneeState = 0.3f;
            other.kneeRate = 0.9f;
        }
    }

    // The path's gains for x.
    std::vector<float> run(const std::vector<float>& x, int32_t speed, int32_t enabled = 1) {
        const int32_t n = int32_t(x.size());
        std::vector<float> g(x.size(), -1.0f);
        if (p.lane < 0) {
            kneeBlock(ch, x.data(), g.data(), speed, enabled, n);
            return g;
        }
        const std::vector<float> hot = signals::program(n, 6.0, 3 + uint32_t(n));
        std::vector<float> otherGains(x.size(), -1.0f);
        const float* in[2] = {hot.data(), hot.data()};
        in[p.lane] = x.data();
        both[p.lane].kneeGain = g.data();
        both[1 - p.lane].kneeGain = otherGains.data();
        const SimdLevel chosen = simdLevel();
        setSimdLevel(p.level);
        kneeBlockPair(both[0], both[1], in[0], in[1], speed, enabled, n);
        setSimdLevel(chosen);
        return g;
    }
};

}  // namespace

TEST_CASE("switched off, or within full scale: every gain is exactly 1.0 and the state ends at 1.0" *
          doctest::test_suite("engine.knee")) {
    const auto allOne = [](const std::vector<float>& g) {
        return std::all_of(g.begin(), g.end(), [](float v) { return v == 1.0f; });
    };
    for (const Path& p : paths()) {
        // Off (any value but 1) from a lowered state: it returns to 1.0 and the rate is kept.
        for (int32_t enabled : {0, 2}) {
            Knee k(p);
            k.ch.kneeState = 0.4f;
            k.ch.kneeRate = 0.3f;
            CHECK(allOne(k.run({7.0f, -30.0f, 0.5f, 2.0f}, 0, enabled)));
            CHECK_EQ(k.ch.kneeState, 1.0f);
            CHECK_EQ(k.ch.kneeRate, 0.3f);
        }
        Knee k(p);
        CHECK(allOne(k.run({0.0f, 0.5f, -1.0f, 1.0f, -0.25f, 0.0f, 0.999f}, 0)));
        CHECK_EQ(k.ch.kneeState, 1.0f);
    }
}

TEST_CASE("one sample of magnitude 7 attacks by 0.05 x (1 - target) for each speed" *
          doctest::test_suite("engine.knee")) {
    const struct {
        int32_t speed;
        double gain;
    } cases[] = {
        {0, 1.0 - 0.05 * (1.0 - 0.008)},                                       // "Slow": 0.9504
        {1, 1.0 - 0.05 * (1.0 - (4.5 / 10.5) * (4.5 / 10.5) * (4.5 / 10.5))},  // "Medium"
        {2, 1.0 - 0.05 * (1.0 - (7.5 / 13.5) * (7.5 / 13.5) * (7.5 / 13.5))},  // "Fast"
        {256, 1.0 - 0.05 * (1.0 - 0.008)},                                     // only the low byte counts
        {9, 1.0 - 0.05 * (1.0 - (7.5 / 13.5) * (7.5 / 13.5) * (7.5 / 13.5))},  // past "Fast" taken as "Fast"
    };
    for (const Path& p : paths()) {
        for (const auto& t : cases) {
            for (float x : {7.0f, -7.0f, 50.0f}) {
                Knee k(p);
                const std::vector<float> g = k.run({x}, t.speed);
                CHECK_NEAR(g[0], t.gain, 1e-6);
                CHECK_EQ(k.ch.kneeState, g[0]);
                CHECK_EQ(k.ch.kneeRate, 0.02f);
            }
        }
    }
}

TEST_CASE("the release starts at rate 0.02 and reaches its full rate after 1225 samples" *
          doctest::test_suite("engine.knee")) {
    for (const Path& p : paths()) {
        Knee k(p);
        k.run(std::vector<float>(20, 7.0f), 0);
        const float low = k.ch.kneeState;
        CHECK(low < 0.8f);
        // Quiet samples, one block each: the gain climbs back, slowly at first.
        // The states behind are dropped before each, so every step is a full step.
        const std::vector<float> quiet(1, 0.1f);
        int32_t fullAt = 0, closedAt = 0;
        std::vector<float> climb;
        bool climbing = true;
        for (int32_t i = 1; i <= 400000 && closedAt == 0; ++i) {
            k.ch.kneeSmooth = 0;
            const float g = k.run(quiet, 0)[0];
            climbing = climbing && g >= (climb.empty() ? low : climb.back());
            if (i == 10) CHECK(g - low < 1e-4f);
            climb.push_back(g);
            if (fullAt == 0 && k.ch.kneeRate == 1.0f) fullAt = i;
            if (g == 1.0f) closedAt = i;
        }
        CHECK(climbing);
        CHECK((fullAt >= 1224 && fullAt <= 1226));
        CHECK(closedAt > fullAt);
        CHECK_EQ(k.ch.kneeState, 1.0f);
        // The same climb in one block, where most steps take the release's tangent: the same gains.
        Knee whole(p);
        whole.run(std::vector<float>(20, 7.0f), 0);
        const std::vector<float> one = whole.run(std::vector<float>(climb.size() + 100, 0.1f), 0);
        climb.resize(climb.size() + 100, 1.0f);
        CHECK(one == climb);
        // Switched off for a block part-way through a release, the knee starts again from 1.0:
        // the release's states before then are not taken for its own.
        Knee again(p);
        again.run(std::vector<float>(20, 7.0f), 0);
        again.run(std::vector<float>(200, 0.1f), 0);
        again.run(std::vector<float>(4, 0.1f), 0, 0);
        const std::vector<float> after = again.run(std::vector<float>(50, 0.1f), 0);
        CHECK(std::all_of(after.begin(), after.end(), [](float v) { return v == 1.0f; }));
    }
}

TEST_CASE("the gain stays within 0.1 .. 1.0 and carries over from block to block" *
          doctest::test_suite("engine.knee")) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> loud(-40.0f, 40.0f), soft(-1.0f, 1.0f);
    std::vector<float> x;
    for (int burst = 0; burst < 40; ++burst) {
        for (int i = 0; i < 300; ++i) x.push_back(burst % 2 ? loud(rng) : soft(rng));
    }
    // Blocks from empty to long, in an order that starts each at another phase.
    static const size_t kLengths[] = {0, 1, 2, 3, 5, 7, 1, 13, 64, 127, 0, 255, 31, 700, 511, 9};
    for (const Path& p : paths()) {
        for (int32_t speed : {0, 1, 2}) {
            Knee whole(p);
            const std::vector<float> g = whole.run(x, speed);
            CHECK(std::all_of(g.begin(), g.end(), [](float v) { return v >= 0.1f && v <= 1.0f; }));
            Knee split(p);
            std::vector<float> h;
            for (size_t at = 0, k = 0; at < x.size(); ++k) {
                const size_t n = std::min(kLengths[k % 16], x.size() - at);
                const std::vector<float> gp = split.run(std::vector<float>(x.begin() + at, x.begin() + at + n), speed);
                h.insert(h.end(), gp.begin(), gp.end());
                at += n;
            }
            CHECK(g == h);
            CHECK_EQ(split.ch.kneeState, whole.ch.kneeState);
            CHECK_EQ(split.ch.kneeRate, whole.ch.kneeRate);
        }
        // A sustained loud input on "Slow" (target 0.008) settles on the 0.1 floor.
        Knee k(p);
        const std::vector<float> g = k.run(std::vector<float>(20000, 7.0f), 0);
        CHECK_EQ(g.back(), 0.1f);
        CHECK(std::all_of(g.begin(), g.end(), [](float v) { return v >= 0.1f; }));
    }
}

TEST_CASE("switched off for a block in the dynamics loop, the knee starts again from 1.0" *
          doctest::test_suite("engine.knee")) {
    for (SimdLevel level : kSimdLevels) {
        if (!simdSupported(level)) continue;
        const SimdLevel chosen = simdLevel();
        setSimdLevel(level);
        for (bool pair : {true, false}) {
            StageChannel left(4800), right(4800);
            const auto block = [&](float x, int32_t n, int32_t enabled) {
                const std::vector<float> in(size_t(n), x);
                const DynamicsSettings s{0, enabled, false, 0.0536f, false, false};
                if (pair) dynamicsPair(left.ch, right.ch, in.data(), in.data(), s, 0, n);
                else dynamicsMono(left.ch, in.data(), s, 0, n);
            };
            block(7.0f, 20, 1);
            block(0.1f, 200, 1);
            CHECK(left.ch.kneeState < 1.0f);
            block(0.1f, 4, 0);
            block(0.1f, 50, 1);
            CHECK_EQ(left.ch.kneeLow, 1.0f);
            CHECK_EQ(left.ch.kneeState, 1.0f);
        }
        setSimdLevel(chosen);
    }
}
