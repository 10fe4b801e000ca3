// Soft knee: gains per sample for known inputs.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/Stages.h"
#include "tests/support/Checks.h"

namespace {

ChannelState startedChannel() {
    ChannelState ch{};
    channelStart(ch, 0);
    return ch;
}

std::vector<float> knee(ChannelState& ch, const std::vector<float>& x, int32_t speed, int32_t enabled = 1) {
    std::vector<float> g(x.size(), -1.0f);
    kneeBlock(ch, x.data(), g.data(), speed, enabled, int32_t(x.size()));
    return g;
}

}  // namespace

TEST_CASE("switched off: every gain is exactly 1.0, the state returns to 1.0 and the rate is kept" *
          doctest::test_suite("engine.knee")) {
    for (int32_t enabled : {0, 2}) {
        ChannelState ch = startedChannel();
        ch.kneeState = 0.4f;
        ch.kneeRate = 0.3f;
        const std::vector<float> g = knee(ch, {7.0f, -30.0f, 0.5f, 2.0f}, 0, enabled);
        CHECK(std::all_of(g.begin(), g.end(), [](float v) { return v == 1.0f; }));
        CHECK_EQ(ch.kneeState, 1.0f);
        CHECK_EQ(ch.kneeRate, 0.3f);
    }
}

TEST_CASE("samples within full scale keep the gain at 1.0" * doctest::test_suite("engine.knee")) {
    ChannelState ch = startedChannel();
    const std::vector<float> g = knee(ch, {0.0f, 0.5f, -1.0f, 1.0f, -0.25f, 0.0f, 0.999f}, 0);
    CHECK(std::all_of(g.begin(), g.end(), [](float v) { return v == 1.0f; }));
    CHECK_EQ(ch.kneeState, 1.0f);
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
    };
    for (const auto& t : cases) {
        for (float x : {7.0f, -7.0f, 50.0f}) {
            ChannelState ch = startedChannel();
            const std::vector<float> g = knee(ch, {x}, t.speed);
            CHECK_NEAR(g[0], t.gain, 1e-6);
            CHECK_EQ(ch.kneeState, g[0]);
            CHECK_EQ(ch.kneeRate, 0.02f);
        }
    }
    ChannelState ch = startedChannel();
    CHECK_NEAR(knee(ch, {7.0f}, 9)[0], cases[2].gain, 1e-6);  // past "Fast" taken as "Fast"
}

TEST_CASE("the release starts at rate 0.02 and reaches its full rate after 1225 samples" *
          doctest::test_suite("engine.knee")) {
    ChannelState ch = startedChannel();
    std::vector<float> x(20, 7.0f);
    knee(ch, x, 0);
    const float low = ch.kneeState;
    CHECK(low < 0.8f);
    // Quiet samples: the gain climbs back, slowly at first.
    std::vector<float> quiet(1, 0.1f);
    int32_t fullAt = 0, closedAt = 0;
    float prev = low;
    bool climbing = true;
    for (int32_t i = 1; i <= 400000 && closedAt == 0; ++i) {
        const float g = knee(ch, quiet, 0)[0];
        climbing = climbing && g >= prev;
        if (i == 10) CHECK(g - low < 1e-4f);
        prev = g;
        if (fullAt == 0 && ch.kneeRate == 1.0f) fullAt = i;
        if (g == 1.0f) closedAt = i;
    }
    CHECK(climbing);
    CHECK((fullAt >= 1224 && fullAt <= 1226));
    CHECK(closedAt > fullAt);
    CHECK_EQ(ch.kneeState, 1.0f);
}

TEST_CASE("the gain stays within 0.1 .. 1.0 and carries over from block to block" *
          doctest::test_suite("engine.knee")) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> loud(-40.0f, 40.0f), soft(-1.0f, 1.0f);
    std::vector<float> x;
    for (int burst = 0; burst < 40; ++burst) {
        for (int i = 0; i < 300; ++i) x.push_back(burst % 2 ? loud(rng) : soft(rng));
    }
    for (int32_t speed : {0, 1, 2}) {
        ChannelState whole = startedChannel();
        const std::vector<float> g = knee(whole, x, speed);
        CHECK(std::all_of(g.begin(), g.end(), [](float v) { return v >= 0.1f && v <= 1.0f; }));
        ChannelState split = startedChannel();
        std::vector<float> h;
        for (size_t at = 0; at < x.size(); at += 700) {
            const std::vector<float> part(x.begin() + at, x.begin() + std::min(x.size(), at + 700));
            const std::vector<float> gp = knee(split, part, speed);
            h.insert(h.end(), gp.begin(), gp.end());
        }
        CHECK(g == h);
    }
    // A sustained loud input on "Slow" (target 0.008) settles on the 0.1 floor.
    ChannelState ch = startedChannel();
    const std::vector<float> g = knee(ch, std::vector<float>(20000, 7.0f), 0);
    CHECK_EQ(g.back(), 0.1f);
    CHECK(std::all_of(g.begin(), g.end(), [](float v) { return v >= 0.1f; }));
}
