// The two-lane and four-lane forms of the per-sample work against the scalar
// forms they stand for: every output and state field must match, to the bit
// where the arithmetic is the same, within the sound rule where the paired
// form is written for a shorter chain (knee; tests/support/Agree.h).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/BlockOps.h"
#include "engine/Settle.h"
#include "engine/Stages.h"
#include <doctest.h>
#include "tests/support/Agree.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

// A hot signal: noise and bursts up to ±9, with runs of silence, exact full
// scale and the knee's 7.0 corner mixed in.
std::vector<float> hotSignal(uint32_t seed, size_t n) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<float> x(n);
    for (size_t i = 0; i < n; ++i) {
        const float burst = (i / 97) % 3 == 0 ? 9.0f : 1.2f;
        x[i] = u(rng) * burst;
        if (i % 211 == 5) x[i] = 1.0f;
        if (i % 331 == 7) x[i] = -7.0f;
        if ((i / 50) % 11 == 4) x[i] = 0.0f;
    }
    return x;
}

const float kSpecials[] = {0.0f,
                           -0.0f,
                           0x1p-32f,
                           -0x1p-32f,
                           0x1.fffffep-33f,
                           -0x1.fffffep-33f,
                           1e-40f,
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN(),
                           3.0e38f,
                           -0.75f,
                           1.0f};

std::vector<float> specialSignal(size_t n) {
    std::vector<float> x(n);
    for (size_t i = 0; i < n; ++i) x[i] = kSpecials[i % (sizeof kSpecials / sizeof kSpecials[0])];
    return x;
}

}  // namespace

TEST_CASE("knee for both channels at once equals the knee run on each channel" * doctest::test_suite("engine.paired")) {
    const auto xl = hotSignal(1, 3000), xr = hotSignal(2, 3000);
    for (int32_t speed : {0, 1, 2, 5}) {
        for (int32_t enabled : {1, 0}) {
            ChannelState a[2]{}, b[2]{};
            std::vector<float> ga[2], gb[2];
            for (int c = 0; c < 2; ++c) {
                channelStart(a[c], 0);
                ga[c].assign(xl.size(), -1.0f);
                gb[c].assign(xl.size(), -1.0f);
                a[c].kneeGain = ga[c].data();
            }
            a[0].kneeState = 0.3f;  // the lanes start apart
            a[1].kneeRate = 0.99f;
            b[0] = a[0];
            b[1] = a[1];
            b[0].kneeGain = gb[0].data();
            b[1].kneeGain = gb[1].data();
            // Blocks of varied length, the state carried between them.
            for (size_t at = 0, len = 1; at < xl.size(); at += len, len = len * 3 % 517 + 1) {
                const int32_t n = int32_t(std::min(len, xl.size() - at));
                kneeBlockPair(a[0], a[1], xl.data() + at, xr.data() + at, speed, enabled, n);
                a[0].kneeGain = ga[0].data() + at + n;
                a[1].kneeGain = ga[1].data() + at + n;
                kneeBlock(b[0], xl.data() + at, gb[0].data() + at, speed, enabled, n);
                kneeBlock(b[1], xr.data() + at, gb[1].data() + at, speed, enabled, n);
            }
            for (int c = 0; c < 2; ++c) {
                CHECK(agrees(ga[c], gb[c]));
                CHECK(agrees(a[c].kneeState, b[c].kneeState));
                CHECK(agrees(a[c].kneeRate, b[c].kneeRate));
            }
        }
    }
}

TEST_CASE("input copy, drive and output gain in fours match the scalar forms on odd values" * doctest::test_suite("engine.paired")) {
    for (size_t n = 0; n < 30; ++n) {
        const auto x = specialSignal(n + 3);
        std::vector<float> copied(n), expected(n);
        blockops::copySettled(copied.data(), x.data() + 3, int32_t(n));
        for (size_t i = 0; i < n; ++i) expected[i] = settle(x[i + 3]);
        CHECK(sameBits(copied, expected));

        std::vector<float> driven(x.begin(), x.begin() + n), drivenScalar(driven);
        const float top = blockops::driveInPlace(driven.data(), int32_t(n), 1e30f);
        float topScalar = 0.0f;
        for (float& v : drivenScalar) {
            v = finiteOrZero(v * 1e30f);
            if (v > topScalar) topScalar = v;
        }
        CHECK(sameBits(driven, drivenScalar));
        CHECK(sameBits(top, topScalar));

        for (bool accumulate : {false, true}) {
            std::vector<float> o0(n, 0.5f), o1(n, -0.25f), e0(o0), e1(o1);
            const auto w1 = specialSignal(n + 5);
            blockops::outputStereo(o0.data(), o1.data(), x.data(), w1.data() + 5, int32_t(n), 0x1p-8f, accumulate);
            for (size_t i = 0; i < n; ++i) {
                const float l = flush(0x1p-8f * x[i]), r = flush(0x1p-8f * w1[i + 5]);
                e0[i] = accumulate ? e0[i] + l : l;
                e1[i] = accumulate ? e1[i] + r : r;
            }
            CHECK(sameBits(o0, e0));
            CHECK(sameBits(o1, e1));
        }
    }
}

TEST_CASE("output tap in fours: products, lowest gain and cleared slots as sample by sample" *
          doctest::test_suite("engine.paired")) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    for (int32_t k : {0, 1, 3, 4, 5, 17}) {
        for (int variant = 0; variant < 4; ++variant) {
            const bool linked = variant & 1, rightOn = !(variant & 2);
            std::vector<float> ring[2], delay[2], limit[2], out[2], outScalar[2], limitScalar[2];
            for (int c = 0; c < 2; ++c) {
                for (int32_t i = 0; i < k; ++i) {
                    ring[c].push_back(u(rng));
                    delay[c].push_back(u(rng) * 4.0f - 2.0f);
                }
                limit[c].assign(k, 0.5f);
                limitScalar[c] = limit[c];
                out[c].assign(k, 9.0f);
                outScalar[c] = out[c];
            }
            blockops::TapRun run{};
            for (int c = 0; c < 2; ++c) {
                run.ring[c] = ring[c].data();
                run.delay[c] = delay[c].data();
                run.cleared[c] = limit[c].data();
                run.out[c] = out[c].data();
            }
            run.active[0] = true;
            run.active[1] = rightOn;
            run.linked = linked;
            float low[2] = {0.9f, 0.8f}, lowScalar[2] = {0.9f, 0.8f};
            blockops::tapRun(run, k, low);
            for (int32_t i = 0; i < k; ++i) {
                float g[2] = {ring[0][i], ring[1][i]};
                if (linked) g[0] = g[1] = std::min(g[0], g[1]);
                for (int c = 0; c < 2; ++c) {
                    if (c == 1 && !rightOn) continue;
                    outScalar[c][i] = delay[c][i] * g[c];
                    if (g[c] < lowScalar[c]) lowScalar[c] = g[c];
                    limitScalar[c][i] = 1.0f;
                }
            }
            for (int c = 0; c < 2; ++c) {
                CHECK(sameBits(out[c], outScalar[c]));
                CHECK(sameBits(limit[c], limitScalar[c]));
            }
            CHECK(sameBits(low[0], lowScalar[0]));
            if (rightOn) CHECK(sameBits(low[1], lowScalar[1]));
        }
    }
}
