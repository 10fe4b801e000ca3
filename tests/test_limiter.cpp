// Half-wave limiter: known signals in, the gain ring measured.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/Checks.h"
#include "tests/stage_channel.h"

namespace {

constexpr float kRamp20 = 0.053571f;  // Dull-Sharp 150: R = 20

// Runs the limiter over the samples in blocks, as the driver does.
void feed(StageChannel& c, const std::vector<float>& x, float rampFactor, bool falling = false, int32_t block = 512) {
    for (size_t at = 0; at < x.size(); at += block) {
        const int32_t n = int32_t(std::min<size_t>(block, x.size() - at));
        limitBlock(c.ch, x.data() + at, rampFactor, n, falling);
    }
}

// Gain slot of input sample i (writePos starts at the look-ahead lead).
float gainAt(const StageChannel& c, int64_t i) { return c.ch.limitGain[c.slot(kLimiterLead, i)]; }
float delayAt(const StageChannel& c, int64_t i) { return c.ch.delayLine[c.slot(kLimiterLead, i)]; }

// N positive samples rising to `peak` in the middle and falling again (one turn).
std::vector<float> halfWave(int32_t N, float peak) {
    std::vector<float> x(N);
    const int32_t mid = N / 2;
    for (int32_t k = 0; k < N; ++k) x[k] = float(peak * (1.0 - std::abs(k - mid) / double(mid + 1)));
    return x;
}

// Silence, one positive half-wave of N samples, then a small negative sample
// (the crossing that closes it) and silence. The crossing is sample lead + N.
constexpr int32_t kLeadZeros = 5;
std::vector<float> singleHalfWave(int32_t N, float peak) {
    std::vector<float> x(kLeadZeros, 0.0f);
    const std::vector<float> w = halfWave(N, peak);
    x.insert(x.end(), w.begin(), w.end());
    x.push_back(-0.1f);
    x.insert(x.end(), 40, 0.0f);
    return x;
}

bool allOne(const StageChannel& c) {
    for (int32_t s = 0; s < c.ringLength; ++s)
        if (c.ch.limitGain[s] != 1.0f) return false;
    return true;
}

}  // namespace

TEST_CASE("peaks at or below full scale leave every gain at 1.0 and fill the delay line" *
          doctest::test_suite("engine.limiter")) {
    for (float peak : {0.9f, 1.0f}) {
        StageChannel c(8000);
        std::vector<float> x(5000);
        for (size_t i = 0; i < x.size(); ++i) x[i] = float(peak * std::sin(2.0 * M_PI * double(i) / 100.0));
        feed(c, x, kRamp20);
        CHECK(allOne(c));
        bool delayed = true;
        for (size_t i = 0; i < x.size(); ++i) delayed = delayed && delayAt(c, int64_t(i)) == x[i];
        CHECK(delayed);
        CHECK_EQ(c.ch.writePos, c.slot(kLimiterLead, 5000));
    }
}

TEST_CASE("a 2.0-peak sine gets 0.5 over each half-wave: output peaks at 1.0 with the sine's shape" *
          doctest::test_suite("engine.limiter")) {
    StageChannel c(8000);
    std::vector<float> x(2000);
    for (size_t i = 0; i < x.size(); ++i) x[i] = float(2.0 * std::sin(2.0 * M_PI * double(i % 100) / 100.0));
    feed(c, x, kRamp20);
    // Every half-wave from sample 1 on has closed by sample 1951.
    bool half = true, shape = true;
    float outPeak = 0.0f;
    for (int64_t i = 1; i <= 1950; ++i) {
        half = half && gainAt(c, i) == 0.5f;
        const float out = delayAt(c, i) * gainAt(c, i);
        shape = shape && out == 0.5f * x[i];
        outPeak = std::max(outPeak, std::fabs(out));
    }
    CHECK(half);
    CHECK(shape);
    CHECK_EQ(outPeak, 1.0f);
    // The attack in front of the first half-wave; the open last half-wave has
    // written nothing beyond the previous release.
    CHECK((gainAt(c, -5) > 0.5f && gainAt(c, -5) < 1.0f));
    CHECK(gainAt(c, -25) == 1.0f);
    CHECK_EQ(gainAt(c, 1990), 1.0f);
}

TEST_CASE("a 30-sample half-wave at 1.25: 0.8 over it, S-shaped ramps of 21 slots at R = 20, 106 and 14 at the ends"
          * doctest::test_suite("engine.limiter")) {
    // R = 20 is the worked example, also in a ring of 2410 where the half-wave
    // straddles the ring's end; 105 and 13 come from Dull-Sharp at its ends.
    const struct {
        float rampFactor;
        int32_t R, ringLength;
    } cases[] = {{kRamp20, 20, 8000}, {kRamp20, 20, 2410}, {0.5f, 105, 8000},
                 {(1.0f - 162.0f * (1.0f / 168.0f)) * 0.5f, 13, 8000}};
    for (const auto& t : cases) {
        CAPTURE(t.R);
        StageChannel c(t.ringLength);
        feed(c, singleHalfWave(30, 1.25f), t.rampFactor);
        CHECK(c.guardsIntact());
        const int64_t p = kLeadZeros + 30;  // the first sample of the negative half-wave
        const float g = 1.0f / 1.25f;
        bool segment = true;
        for (int64_t k = 0; k <= 30; ++k) segment = segment && gainAt(c, p - k) == g;
        CHECK(segment);
        // Attack: R + 1 slots in front, rising from 0.8 towards 1.0 going back in time.
        bool attack = true;
        for (int64_t j = 31; j < 31 + t.R; ++j) attack = attack && gainAt(c, p - j) <= gainAt(c, p - j - 1);
        CHECK(attack);
        CHECK_EQ(gainAt(c, p - 31), g);
        CHECK(gainAt(c, p - 31 - t.R) < 1.0f);
        CHECK_EQ(gainAt(c, p - 32 - t.R), 1.0f);
        // Release: R + 1 slots from the current one, S-shaped: slow at both ends, fastest in the middle.
        bool release = true;
        for (int64_t j = 0; j < t.R; ++j) release = release && gainAt(c, p + j) <= gainAt(c, p + j + 1);
        CHECK(release);
        CHECK_EQ(gainAt(c, p + 1), g);
        CHECK(gainAt(c, p + t.R) < 1.0f);
        CHECK_EQ(gainAt(c, p + t.R + 1), 1.0f);
        if (t.R == 20) {  // the ramps' far ends and steps
            CHECK_NEAR(gainAt(c, p - 51), 1.0, 1e-6);
            CHECK_NEAR(gainAt(c, p + 20), 1.0, 1e-6);
            CHECK_NEAR(gainAt(c, p + 11) - gainAt(c, p + 10), 0.2 / 20 * 2.0, 1e-5);
            CHECK_NEAR(gainAt(c, p + 2) - gainAt(c, p + 1), 0.2 / 20 * 0.2, 1e-5);
        }
        // The negative half-wave (peak 0.1) and the silence after it write nothing more.
        CHECK_EQ(gainAt(c, p + t.R + 10), 1.0f);
    }
}

TEST_CASE("a release ramp is the chain of float roundings it stands for, from 1/1.25 and from a gain of 1e-30" *
          doctest::test_suite("engine.limiter")) {
    // Step i adds step x weight to the value before it and rounds to float:
    // worked out here one rounding at a time. From 1e-30 the steps are far
    // larger than the value, and the ramp crosses every binade on the way up.
    for (const float peak : {1.25f, 1e30f}) {
        CAPTURE(peak);
        StageChannel c(8000);
        feed(c, singleHalfWave(30, peak), kRamp20);
        const int64_t p = kLeadZeros + 30;
        const int32_t R = 20;
        const float g = 1.0f / peak;
        const float step = float((1.0 - double(g)) / double(R));
        float expected = g;
        for (int32_t i = 0; i <= R; ++i) {
            CAPTURE(i);
            CHECK_EQ(gainAt(c, p + i), expected);
            expected = float(double(expected) + double(step) * double(triangleWindow[R - i][R]));
        }
    }
}

TEST_CASE("two humps keep their own gains, and the first one's release stays where it is lower" *
          doctest::test_suite("engine.limiter")) {
    std::vector<float> x(10, 0.0f);
    for (int k = 1; k <= 10; ++k) x.push_back(k == 10 ? 1.5f : 0.15f * float(k));
    for (float v : {1.35f, 1.2f, 1.05f, 0.9f, 0.75f, 0.6f}) x.push_back(v);  // dip at 0.6
    const int64_t start1 = 10, close1 = int64_t(x.size());                   // first rising sample after the dip
    for (int k = 1; k <= 30; ++k) x.push_back(k == 30 ? 1.2f : 0.6f + 0.02f * float(k));
    for (int k = 1; k <= 11; ++k) x.push_back(1.2f - 0.1f * float(k));
    const int64_t close2 = int64_t(x.size());  // the crossing
    for (float v : {-0.2f, -0.3f, -0.2f, -0.1f}) x.push_back(v);
    x.insert(x.end(), 40, 0.0f);

    StageChannel c(8000);
    feed(c, x, kRamp20);
    const float g1 = 1.0f / 1.5f, g2 = 1.0f / 1.2f;
    bool hump1 = true;
    for (int64_t i = start1; i <= close1; ++i) hump1 = hump1 && gainAt(c, i) == g1;
    CHECK(hump1);
    // Over the second hump: the first hump's release where it is lower, then 1/1.2.
    CHECK(gainAt(c, close1 + 1) < g2);
    bool rising = true;
    for (int64_t i = close1 + 1; i <= close1 + 20; ++i)
        rising = rising && gainAt(c, i) <= gainAt(c, i + 1) && gainAt(c, i) <= g2;
    CHECK(rising);
    bool hump2 = true;
    for (int64_t i = close1 + 21; i <= close2; ++i) hump2 = hump2 && gainAt(c, i) == g2;
    CHECK(hump2);
    float peak1 = 0.0f, peak2 = 0.0f;
    for (int64_t i = start1; i < close1; ++i) peak1 = std::max(peak1, delayAt(c, i) * gainAt(c, i));
    for (int64_t i = close1; i < close2; ++i) peak2 = std::max(peak2, delayAt(c, i) * gainAt(c, i));
    CHECK_NEAR(peak1, 1.0, 1e-6);
    CHECK_NEAR(peak2, 1.0, 1e-6);
    // The negative half-wave stays below full scale: nothing after the release.
    CHECK_EQ(gainAt(c, close2 + 21), 1.0f);
}

TEST_CASE("the first non-zero sample after resume starts a half-wave and writes nothing" *
          doctest::test_suite("engine.limiter")) {
    StageChannel c(8000);
    const std::vector<float> x = {0.0f, 0.0f, 3.0f};
    feed(c, x, kRamp20);
    CHECK(allOne(c));
    CHECK_EQ(c.ch.halfWaveSign, 1);
    CHECK_EQ(c.ch.segmentLength, 1);
    CHECK_EQ(c.ch.segmentPeak, 3.0f);
    // Its half-wave is limited when it closes.
    const std::vector<float> y = {2.0f, -0.5f};
    feed(c, y, kRamp20);
    CHECK_EQ(gainAt(c, 2), 1.0f / 3.0f);
    CHECK_EQ(gainAt(c, 4), 1.0f / 3.0f);
}

// Expected falling-mode gain at slot p - k of a segment of N: g sunk by
// 0.001 x the triangular weights 4 min(m, 1 - m), m = j / N, j = N .. N - k + 1;
// past 210 samples the triangle is scaled to the total of a 210-sample one.
static double fallenGain(double g, int32_t N, int32_t k) {
    const double scale = N > 210 ? 210.0 / N : 1.0;
    double r = g;
    for (int32_t q = 0; q < k; ++q) {
        const double m = double(N - q) / N;
        r = std::max(0.0, r - 0.001 * scale * 4.0 * std::min(m, 1.0 - m));
    }
    return r;
}

TEST_CASE("falling mode sinks over the segment by the triangle weights, a long one no more in total, never below 0" *
          doctest::test_suite("engine.limiter")) {
    // Segments up to 210 samples follow the table, longer ones its triangle
    // scaled; at peak 10 (gain 0.1) a segment of 150 sinks to the floor.
    const struct {
        int32_t N;
        float peak;
    } cases[] = {{1, 1.25f}, {2, 1.25f}, {57, 1.25f}, {100, 1.25f}, {209, 1.25f}, {210, 1.25f},
                 {211, 1.25f}, {400, 1.25f}, {2000, 1.25f}, {150, 10.0f}};
    for (const auto& t : cases) {
        CAPTURE(t.N);
        StageChannel c(8000);
        feed(c, singleHalfWave(t.N, t.peak), kRamp20, true);
        const int64_t p = kLeadZeros + t.N;
        const float g = 1.0f / t.peak;
        double worst = 0.0;
        for (int32_t k = 0; k <= t.N; ++k)
            worst = std::max(worst, std::fabs(gainAt(c, p - k) - fallenGain(g, t.N, k)));
        CHECK(worst < 1e-6);
        CHECK_EQ(gainAt(c, p), g);
        // The whole sink is bounded by a 210-sample segment's (about 0.21).
        CHECK(gainAt(c, p - t.N) >= g - 0.2101f);
        if (fallenGain(g, t.N, t.N) == 0.0) CHECK_EQ(gainAt(c, p - t.N), 0.0f);
        float lowest = 1.0f;
        for (int32_t s = 0; s < c.ringLength; ++s) lowest = std::min(lowest, c.ch.limitGain[s]);
        CHECK(lowest >= 0.0f);
        // The attack starts from the sunk gain and rises; the release from 1/peak.
        CHECK_EQ(gainAt(c, p - t.N - 1), gainAt(c, p - t.N));
        CHECK(gainAt(c, p - t.N - 20) > gainAt(c, p - t.N));
        CHECK_EQ(gainAt(c, p + 1), g);
    }
}

TEST_CASE("a segment longer than the ring wraps inside it and keeps its release ramp" *
          doctest::test_suite("engine.limiter")) {
    for (bool falling : {false, true}) {
        StageChannel c(300);
        feed(c, singleHalfWave(1000, 2.0f), kRamp20, falling, 100);
        CHECK(c.guardsIntact());
        const int64_t p = kLeadZeros + 1000;
        CHECK_EQ(gainAt(c, p), 0.5f);
        // One lap back from the crossing, clear of the release slots ahead of it.
        CHECK(gainAt(c, p - (300 - 21)) <= 0.5f);
        bool release = true;
        for (int64_t j = 0; j < 20; ++j) release = release && gainAt(c, p + j) <= gainAt(c, p + j + 1);
        CHECK(release);
        CHECK(gainAt(c, p + 10) > 0.6f);
        CHECK_NEAR(gainAt(c, p + 20), 1.0, 1e-6);
        CHECK((c.ch.writePos >= 0 && c.ch.writePos < 300));
    }
}

TEST_CASE("a segment longer than the look-ahead leaves slots already played alone" *
          doctest::test_suite("engine.limiter")) {
    // The crossing comes `into` samples after a block starts: backward writes
    // reach the lead plus that far (slots further back have been read and
    // cleared). A segment just inside the reach has its attack ramp cut there.
    const struct {
        int32_t N, into;
    } rows[] = {{3000, 0}, {3000, 500}, {kLimiterLead - 10, 0}};
    for (const auto& r : rows) {
        CAPTURE(r.N);
        CAPTURE(r.into);
        const std::vector<float> x = singleHalfWave(r.N, 2.0f);
        const int64_t p = kLeadZeros + r.N, reach = kLimiterLead + r.into;
        StageChannel c(8000);
        feed(c, std::vector<float>(x.begin(), x.begin() + p - r.into), kRamp20, false, 1000);
        feed(c, std::vector<float>(x.begin() + p - r.into, x.end()), kRamp20, false, 1000);
        CHECK_EQ(gainAt(c, p - std::min<int64_t>(r.N, reach)), 0.5f);
        CHECK(gainAt(c, p - reach) < 1.0f);
        CHECK_EQ(gainAt(c, p - reach - 1), 1.0f);
        if (r.N < reach) CHECK(gainAt(c, p - r.N - 1) < 1.0f);  // the attack ramp, in front of the segment
        else CHECK_EQ(gainAt(c, p - r.N - 10), 1.0f);
    }
}

TEST_CASE("a segment closing after the smoother has passed its start still lowers the smoothed ring" *
          doctest::test_suite("engine.limiter")) {
    // Limiter then smoother per block, as the driver runs them: the smoother
    // copies gains 1200 slots behind the limiter, before a 1600-sample
    // half-wave has closed. In falling mode the gain sinks over the segment.
    const int32_t N = 1600;
    std::vector<float> x = singleHalfWave(N, 2.0f);
    x.insert(x.end(), 1500, 0.0f);
    for (bool falling : {false, true}) {
        CAPTURE(falling);
        StageChannel c(8000);
        for (size_t at = 0; at + 100 <= x.size(); at += 100) {
            limitBlock(c.ch, x.data() + at, kRamp20, 100, falling);
            smoothBlock(c.ch, 100);
        }
        const int64_t p = kLeadZeros + N;
        float highest = 0.0f, outPeak = 0.0f;
        for (int64_t i = kLeadZeros; i <= p; ++i) {
            const int32_t s = c.slot(kLimiterLead, i);
            highest = std::max(highest, c.ch.smoothGain[s]);
            outPeak = std::max(outPeak, c.ch.delayLine[s] * c.ch.smoothGain[s]);
        }
        CHECK_EQ(highest, 0.5f);
        if (falling) CHECK(outPeak < 1.0f);
        else CHECK_NEAR(outPeak, 1.0, 1e-6);
        // So does the attack ramp in front of the segment (its far end
        // reaches 1.0): every slot as the limiter's.
        int lowered = 0, differ = 0;
        for (int64_t i = kLeadZeros - 21; i <= p; ++i) {
            const int32_t s = c.slot(kLimiterLead, i);
            lowered += i < kLeadZeros && c.ch.limitGain[s] < 1.0f;
            differ += c.ch.smoothGain[s] != c.ch.limitGain[s];
        }
        CHECK(lowered >= 20);
        CHECK_EQ(differ, 0);
    }
}

TEST_CASE("a release ramp is left out only where every slot it reaches already holds its start or less" *
          doctest::test_suite("engine.limiter")) {
    // The release of a 0.5 segment wraps the 300-slot ring with its last t
    // slots (2 to 8) at the ring's start. Every slot already holds 0.1 but
    // one in that short run before its last (where the ramp reaches 1.0),
    // which holds 1.0 and must take the ramp's value there, as on a fresh
    // ring.
    for (int32_t t = 2; t <= 8; ++t) {
        for (int32_t k = 0; k < t - 1; ++k) {
            CAPTURE(t);
            CAPTURE(k);
            const std::vector<float> x = singleHalfWave(274 + t, 2.0f);
            StageChannel low(300), fresh(300);
            std::fill_n(low.ch.limitGain, 300, 0.1f);
            low.ch.limitGain[k] = 1.0f;
            feed(low, x, kRamp20);
            feed(fresh, x, kRamp20);
            REQUIRE_EQ(low.slot(kLimiterLead, kLeadZeros + 274 + t), 279 + t);  // where the crossing lands
            CHECK(low.ch.limitGain[k] < 1.0f);
            CHECK_EQ(low.ch.limitGain[k], fresh.ch.limitGain[k]);
        }
    }
}
