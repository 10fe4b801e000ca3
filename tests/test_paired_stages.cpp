// The four-lane forms of the driver's per-sample work against the scalar
// forms they stand for: every output must match to the bit.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/BlockOps.h"
#include "engine/Settle.h"
#include <doctest.h>

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
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
