// Gain smoother: known gain curves in the limiter's ring, the smoothed ring measured.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Checks.h"
#include "tests/stage_channel.h"

namespace {

// A straight line expected over positions [from, to): vFrom at from, heading
// for vTo at to (where the line starts, on the second level, exactly).
struct Line {
    int64_t from, to;
    double vFrom, vTo, tol = 1e-6;
};

struct Curve {
    const char* what;
    std::vector<std::pair<float, int>> runs;  // level, count
    std::vector<Line> lines;
    int32_t ringLength = 4000, startPos = -1;  // -1: where the channel starts
};

const Curve kCurves[] = {
    {"all 1.0: copied", {{1.0f, 300}}, {}},
    {"runs of four: no plateau", {{0.8f, 4}, {0.6f, 4}, {0.7f, 4}, {0.5f, 4}, {0.9f, 1}}, {}},
    {"1.0 between: no line", {{0.8f, 10}, {1.0f, 1}, {0.6f, 10}, {0.7f, 1}}, {}},
    {"single values: copied", {{0.5f, 1}, {0.6f, 1}, {0.55f, 1}, {0.9f, 1}, {0.3f, 2}, {1.0f, 3}}, {}},
    {"four then five: no line", {{0.8f, 4}, {0.6f, 5}, {0.7f, 1}}, {}},
    {"five then five: a line", {{0.8f, 5}, {0.6f, 5}, {0.7f, 1}}, {{0, 5, 0.8, 0.6}}},
    // A fall: from the first plateau's start to where the second begins, over
    // plateaus next to each other, a ramp between them, and a dip below both
    // that the line must not lift (only lower values are written).
    {"fall", {{1.0f, 3}, {0.8f, 10}, {0.6f, 10}, {0.7f, 3}}, {{3, 13, 0.8, 0.6}}},
    {"fall over a ramp",
     {{1.0f, 3}, {0.8f, 10}, {0.75f, 1}, {0.7f, 1}, {0.65f, 1}, {0.6f, 10}, {0.7f, 3}},
     {{3, 16, 0.8, 0.6}}},
    {"fall over a dip", {{1.0f, 3}, {0.8f, 10}, {0.5f, 1}, {0.6f, 10}, {0.7f, 3}}, {{3, 14, 0.8, 0.6}}},
    // A rise: from the first plateau's end to the second one's end.
    {"rise", {{0.6f, 10}, {0.8f, 10}, {0.7f, 2}}, {{10, 19, 0.6, 0.8}}},
    // The second plateau serves as the first of the next line.
    {"two lines", {{0.8f, 10}, {0.6f, 10}, {0.5f, 10}, {0.7f, 1}}, {{0, 10, 0.8, 0.6}, {10, 20, 0.6, 0.5}}},
    {"a line across the ring's end", {{0.8f, 10}, {0.6f, 10}, {0.7f, 1}}, {{0, 10, 0.8, 0.6}}, 64, 52},
    // A rise longer than the ring: the slots nearest the current position
    // keep the line instead of taking values meant for slots a lap back.
    {"a line longer than the ring", {{0.6f, 100}, {0.8f, 100}, {0.7f, 1}}, {{100, 199, 0.6, 0.8, 1e-5}}, 64},
};

// Puts the gains into the limiter's ring from smoothPos on and smooths them,
// `block` positions per call (so curves may be longer than the ring).
void smooth(StageChannel& c, const std::vector<float>& gains, int32_t block) {
    for (size_t at = 0; at < gains.size(); at += size_t(block)) {
        const int32_t n = int32_t(std::min<size_t>(size_t(block), gains.size() - at));
        for (int32_t i = 0; i < n; ++i) c.ch.limitGain[c.slot(c.ch.smoothPos, i)] = gains[at + size_t(i)];
        smoothBlock(c.ch, n);
    }
}

}  // namespace

TEST_CASE("plateaus of five equal values below 1.0 are joined by straight lines; all else is copied" *
          doctest::test_suite("engine.smoother")) {
    for (const Curve& t : kCurves) {
        std::vector<float> gains;
        for (const auto& [level, count] : t.runs) gains.insert(gains.end(), size_t(count), level);
        const int64_t size = int64_t(gains.size());
        const std::string what = t.what;
        for (int32_t block : {1, 7, 64}) {
            CAPTURE(what);
            CAPTURE(block);
            StageChannel c(t.ringLength);
            if (t.startPos >= 0) c.ch.smoothPos = t.startPos;
            const int32_t first = c.ch.smoothPos;
            smooth(c, gains, block);
            CHECK(c.guardsIntact());
            CHECK_EQ(c.ch.smoothPos, c.slot(first, size));
            // The last lap of positions: each the gain, or lower where a line runs.
            int64_t wrongAt = -1;
            for (int64_t i = std::max<int64_t>(0, size - t.ringLength); i < size && wrongAt < 0; ++i) {
                double expected = gains[size_t(i)], tol = 0.0;
                for (const Line& l : t.lines) {
                    if (i < l.from || i >= l.to) continue;
                    expected = std::min(expected, l.vFrom + (l.vTo - l.vFrom) * double(i - l.from) / double(l.to - l.from));
                    tol = l.tol;
                }
                if (!(std::fabs(c.ch.smoothGain[c.slot(first, i)] - expected) <= tol)) wrongAt = i;
            }
            CHECK_EQ(wrongAt, -1);
        }
    }
}
