// Gain smoother: known gain curves in the limiter's ring, the smoothed ring measured.
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/support/Checks.h"
#include "tests/stage_channel.h"

namespace {

std::vector<float> curve(std::initializer_list<std::pair<float, int>> runs) {
    std::vector<float> v;
    for (const auto& [level, count] : runs) v.insert(v.end(), count, level);
    return v;
}

// Puts the curve into the limiter's ring from smoothPos on and smooths it,
// one position per call (so curves may be longer than the ring). Returns the
// position of the curve's first value.
int32_t smooth(StageChannel& c, const std::vector<float>& gains) {
    const int32_t first = c.ch.smoothPos;
    for (float g : gains) {
        c.ch.limitGain[c.ch.smoothPos] = g;
        smoothBlock(c.ch, 1);
    }
    return first;
}

float at(const StageChannel& c, int32_t first, int64_t i) { return c.ch.smoothGain[c.slot(first, i)]; }

bool copied(const StageChannel& c, int32_t first, const std::vector<float>& gains) {
    for (size_t i = 0; i < gains.size(); ++i)
        if (at(c, first, int64_t(i)) != gains[i]) return false;
    return true;
}

}  // namespace

TEST_CASE("curves without plateaus below 1.0 are copied unchanged" * doctest::test_suite("engine.smoother")) {
    const std::vector<std::vector<float>> curves = {
        curve({{1.0f, 300}}),
        curve({{0.8f, 4}, {0.6f, 4}, {0.7f, 4}, {0.5f, 4}, {0.9f, 1}}),  // runs of four: no plateau
        curve({{0.8f, 10}, {1.0f, 1}, {0.6f, 10}, {0.7f, 1}}),           // 1.0 between: no line
        curve({{0.5f, 1}, {0.6f, 1}, {0.55f, 1}, {0.9f, 1}, {0.3f, 2}, {1.0f, 3}}),
    };
    for (const std::vector<float>& gains : curves) {
        StageChannel c(4000);
        const int32_t first = smooth(c, gains);
        CHECK_EQ(first, kSmootherLead);
        CHECK(copied(c, first, gains));
    }
    // Processed a block at a time, as the driver does.
    StageChannel c(4000);
    for (int32_t s = 0; s < 4000; ++s) c.ch.limitGain[s] = 0.25f + 0.5f * float(s % 7) / 7.0f;
    smoothBlock(c.ch, 3000);
    bool same = true;
    for (int32_t i = 0; i < 3000; ++i)
        same = same && at(c, kSmootherLead, i) == c.ch.limitGain[c.slot(kSmootherLead, i)];
    CHECK(same);
    CHECK_EQ(c.ch.smoothPos, c.slot(kSmootherLead, 3000));
}

TEST_CASE("a fall becomes a line from the first plateau's start to where the second begins" *
          doctest::test_suite("engine.smoother")) {
    // Plateaus next to each other, with a ramp between them, and with a dip
    // below both that the line must not lift (only lower values are written).
    const std::vector<std::vector<float>> gaps = {{}, {0.75f, 0.7f, 0.65f}, {0.5f}};
    for (const std::vector<float>& gap : gaps) {
        std::vector<float> gains = curve({{1.0f, 3}, {0.8f, 10}});
        gains.insert(gains.end(), gap.begin(), gap.end());
        const std::vector<float> tail = curve({{0.6f, 10}, {0.7f, 3}});
        gains.insert(gains.end(), tail.begin(), tail.end());
        StageChannel c(4000);
        const int32_t first = smooth(c, gains);
        const int64_t p1 = 3, p2 = 13 + int64_t(gap.size());  // plateau starts
        const double step = 0.2 / double(p2 - p1);
        double worst = 0.0;
        for (int64_t i = p1; i <= p2; ++i) {
            const double expected = std::fmin(0.8 - step * double(i - p1), gains[i]);
            worst = std::fmax(worst, std::fabs(at(c, first, i) - expected));
        }
        CHECK(worst < 1e-6);
        CHECK(at(c, first, p1 + 1) < 0.8f);
        CHECK_EQ(at(c, first, p2), 0.6f);
        for (int64_t i = p2; i < p2 + 10; ++i) CHECK_EQ(at(c, first, i), 0.6f);
        CHECK_EQ(at(c, first, p2 + 10), 0.7f);
        CHECK_EQ(at(c, first, p1 - 1), 1.0f);
    }
}

TEST_CASE("five equal values make a plateau, four do not" * doctest::test_suite("engine.smoother")) {
    StageChannel c(4000);
    const int32_t first = smooth(c, curve({{0.8f, 5}, {0.6f, 5}, {0.7f, 1}}));
    double worst = 0.0;
    for (int64_t j = 0; j <= 5; ++j)
        worst = std::fmax(worst, std::fabs(at(c, first, 5 - j) - (0.6 + 0.04 * double(j))));
    CHECK(worst < 1e-6);
    const std::vector<float> four = curve({{0.8f, 4}, {0.6f, 5}, {0.7f, 1}});
    StageChannel d(4000);
    CHECK(copied(d, smooth(d, four), four));
}

TEST_CASE("a rise becomes a line from the first plateau's end to the second one's end" *
          doctest::test_suite("engine.smoother")) {
    const std::vector<float> gains = curve({{0.6f, 10}, {0.8f, 10}, {0.7f, 2}});
    StageChannel c(4000);
    const int32_t first = smooth(c, gains);
    for (int64_t i = 0; i < 10; ++i) CHECK_EQ(at(c, first, i), 0.6f);
    double worst = 0.0;
    for (int64_t i = 10; i <= 19; ++i)
        worst = std::fmax(worst, std::fabs(at(c, first, i) - (0.6 + 0.2 / 9.0 * double(i - 10))));
    CHECK(worst < 1e-6);
    CHECK_EQ(at(c, first, 19), 0.8f);
    CHECK(at(c, first, 15) < 0.8f);
    CHECK_EQ(at(c, first, 20), 0.7f);
}

TEST_CASE("the second plateau serves as the first of the next line" * doctest::test_suite("engine.smoother")) {
    const std::vector<float> gains = curve({{0.8f, 10}, {0.6f, 10}, {0.5f, 10}, {0.7f, 1}});
    StageChannel c(4000);
    const int32_t first = smooth(c, gains);
    // 0.6 -> 0.5: the line runs back from the 0.5 plateau's start over the 0.6 plateau.
    double worst = 0.0;
    for (int64_t j = 0; j <= 10; ++j)
        worst = std::fmax(worst, std::fabs(at(c, first, 20 - j) - (0.5 + 0.01 * double(j))));
    CHECK(worst < 1e-6);
    CHECK_NEAR(at(c, first, 0), 0.8, 1e-6);
    CHECK((at(c, first, 5) < 0.8f && at(c, first, 5) > 0.6f));
    for (int64_t i = 20; i < 30; ++i) CHECK_EQ(at(c, first, i), 0.5f);
}

TEST_CASE("lines wrap around the ring end" * doctest::test_suite("engine.smoother")) {
    StageChannel c(64);
    c.ch.smoothPos = 52;
    const std::vector<float> gains = curve({{0.8f, 10}, {0.6f, 10}, {0.7f, 1}});
    const int32_t first = smooth(c, gains);
    CHECK(c.guardsIntact());
    double worst = 0.0;
    for (int64_t i = 0; i <= 10; ++i) worst = std::fmax(worst, std::fabs(at(c, first, i) - (0.8 - 0.02 * double(i))));
    CHECK(worst < 1e-6);
    CHECK_EQ(c.ch.smoothGain[62], 0.6f);  // the 0.6 plateau starts at the ring's last-but-one slot
    CHECK((c.ch.smoothGain[61] > 0.6f && c.ch.smoothGain[61] < 0.63f));
    CHECK_EQ(c.ch.smoothGain[8], 0.7f);
    CHECK_EQ(c.ch.smoothPos, 9);
}

TEST_CASE("a line longer than the ring keeps the slots nearest the current position" *
          doctest::test_suite("engine.smoother")) {
    // A rise over plateaus of 100 in a ring of 64: the near end of the line stays
    // at the second level instead of taking values meant for slots a lap back.
    StageChannel c(64);
    const std::vector<float> gains = curve({{0.6f, 100}, {0.8f, 100}, {0.7f, 1}});
    const int32_t first = smooth(c, gains);
    CHECK(c.guardsIntact());
    const int64_t s = 200;  // the change that draws the line
    CHECK_EQ(at(c, first, s), 0.7f);
    CHECK_EQ(at(c, first, s - 1), 0.8f);
    double worst = 0.0;
    for (int64_t d = 1; d < 64; ++d)
        worst = std::fmax(worst, std::fabs(at(c, first, s - d) - (0.8 - 0.2 / 99.0 * double(d - 1))));
    CHECK(worst < 1e-5);
}
