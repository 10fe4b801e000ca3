// The driver's block passes and the guards they apply, on the values that
// need guarding (zeros of both signs, the flush floor and just inside it,
// subnormals, infinities, NaN, values that overflow when driven) at every
// block length up to three vectors and a tail, from an unaligned start, at
// every vector width the processor runs.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/Dynamics.h"
#include "engine/Settle.h"
#include "engine/SimdKernels.h"
#include <doctest.h>

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kDrive = 4.0f;  // a power of two: products are exact unless they overflow

// A value and what each guard makes of it: settle (input copy, stage
// outputs), finiteOrZero after the drive gain, flush (output gain).
struct Row {
    float in, settled, driven, flushed;
};
const Row kRows[] = {
    {0.0f, 0.0f, 0.0f, 0.0f},
    {-0.0f, 0.0f, -0.0f, 0.0f},
    {0x1p-32f, 0x1p-32f, 0x1p-30f, 0x1p-32f},  // the floor itself stays
    {-0x1p-32f, -0x1p-32f, -0x1p-30f, -0x1p-32f},
    {0x1.fffffep-33f, 0.0f, 0x1.fffffep-31f, 0.0f},  // just inside it goes
    {-0x1.fffffep-33f, 0.0f, -0x1.fffffep-31f, 0.0f},
    {1e-40f, 0.0f, 1e-40f * kDrive, 0.0f},
    {kInf, 0.0f, 0.0f, kInf},
    {-kInf, 0.0f, 0.0f, -kInf},
    {kNaN, 0.0f, 0.0f, kNaN},
    {3.0e38f, 3.0e38f, 0.0f, 3.0e38f},  // overflows when driven
    {-0.75f, -0.75f, -3.0f, -0.75f},
    {1.0f, 1.0f, 4.0f, 1.0f},
};
constexpr size_t kRowCount = sizeof kRows / sizeof kRows[0];

// Column `field` of the rows from `first` on, cycled, n values.
std::vector<float> column(float Row::*field, size_t first, size_t n) {
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = kRows[(first + i) % kRowCount].*field;
    return v;
}

// body(blocks) with the block passes of every instruction set the processor runs.
template <typename Body>
void atEveryLevel(Body&& body) {
    const SimdLevel chosen = simdLevel();
    for (const SimdLevel level : kSimdLevels) {
        if (!simdSupported(level)) continue;
        CAPTURE(simdName(level));
        setSimdLevel(level);
        body(simd::blocks());
    }
    setSimdLevel(chosen);
}

}  // namespace

TEST_CASE("the guards, alone and in the input copy, drive and output gain, at every block length" *
          doctest::test_suite("engine.blocks")) {
    for (const Row& r : kRows) {
        CHECK(sameBits(settle(r.in), r.settled));
        CHECK(sameBits(finiteOrZero(r.in * kDrive), r.driven));
        CHECK(sameBits(flush(r.in), r.flushed));
    }
    atEveryLevel([](const simd::BlockKernels& blocks) {
        for (size_t n = 0; n <= 51; ++n) {
            for (size_t first : {size_t(0), size_t(5)}) {
                CAPTURE(n);
                CAPTURE(first);
                // One float in front, so the fours start unaligned.
                std::vector<float> in = column(&Row::in, first + kRowCount - 1, n + 1), copied(n + 1, -1.0f);
                blocks.copySettled(copied.data() + 1, in.data() + 1, int32_t(n));
                CHECK(sameBits(std::vector<float>(copied.begin() + 1, copied.end()), column(&Row::settled, first, n)));

                std::vector<float> work(in.begin() + 1, in.end());
                const float top = blocks.driveInPlace(work.data(), int32_t(n), kDrive);
                const std::vector<float> driven = column(&Row::driven, first, n);
                CHECK(sameBits(work, driven));
                CHECK_EQ(top, std::max(0.0f, driven.empty() ? 0.0f : *std::max_element(driven.begin(), driven.end())));
                CHECK_EQ(blocks.lowest(driven.data(), int32_t(n)),
                         std::min(1.0f, driven.empty() ? 1.0f : *std::min_element(driven.begin(), driven.end())));

                // The right side reads other rows than the left.
                const std::vector<float> left = column(&Row::in, first, n), right = column(&Row::in, first + 3, n);
                for (bool accumulate : {false, true}) {
                    std::vector<float> out0(n, 0.5f), out1(n, -0.25f), e0 = column(&Row::flushed, first, n),
                                                                       e1 = column(&Row::flushed, first + 3, n);
                    if (accumulate)
                        for (size_t i = 0; i < n; ++i) {
                            e0[i] += 0.5f;
                            e1[i] += -0.25f;
                        }
                    blocks.outputStereo(out0.data(), out1.data(), left.data(), right.data(), int32_t(n), 1.0f,
                                        accumulate);
                    CHECK(sameBits(out0, e0));
                    CHECK(sameBits(out1, e1));
                }
            }
        }
    });
}

TEST_CASE("output tap: products, lowest gain and cleared slots, linked or not, one side or both" *
          doctest::test_suite("engine.blocks")) {
    atEveryLevel([](const simd::BlockKernels& blocks) {
        std::mt19937 rng(9);
        std::uniform_real_distribution<float> u(0.0f, 1.0f);
        for (int32_t k : {0, 1, 3, 4, 5, 17, 40}) {
            for (int variant = 0; variant < 8; ++variant) {
                const bool linked = variant & 1, rightOn = !(variant & 2), kept = variant & 4;
                std::vector<float> ring[2], delay[2], limit[2], out[2], keep[2], outExpected[2], limitExpected[2];
                for (int c = 0; c < 2; ++c) {
                    for (int32_t i = 0; i < k; ++i) {
                        ring[c].push_back(u(rng));
                        delay[c].push_back(u(rng) * 4.0f - 2.0f);
                    }
                    limit[c].assign(k, 0.5f);
                    limitExpected[c] = limit[c];
                    out[c].assign(k, 9.0f);
                    outExpected[c] = out[c];
                    keep[c].assign(k, -1.0f);
                }
                blockops::TapRun run{};
                for (int c = 0; c < 2; ++c) {
                    run.ring[c] = ring[c].data();
                    run.delay[c] = delay[c].data();
                    run.cleared[c] = limit[c].data();
                    run.out[c] = out[c].data();
                    run.keep[c] = kept ? keep[c].data() : nullptr;
                }
                run.active[0] = true;
                run.active[1] = rightOn;
                run.linked = linked;
                float low[2] = {0.9f, 0.8f}, lowExpected[2] = {0.9f, 0.8f};
                blocks.tapRun(run, k, low);
                for (int32_t i = 0; i < k; ++i) {
                    float g[2] = {ring[0][i], ring[1][i]};
                    if (linked) g[0] = g[1] = std::min(g[0], g[1]);
                    for (int c = 0; c < 2; ++c) {
                        if (c == 1 && !rightOn) continue;
                        outExpected[c][i] = delay[c][i] * g[c];
                        lowExpected[c] = std::min(lowExpected[c], g[c]);
                        limitExpected[c][i] = 1.0f;
                    }
                }
                for (int c = 0; c < 2; ++c) {
                    CHECK(sameBits(out[c], outExpected[c]));
                    CHECK(sameBits(limit[c], limitExpected[c]));
                    // Each side's own gain, before the link, for the idle smoother.
                    CHECK(sameBits(keep[c], kept ? ring[c] : std::vector<float>(k, -1.0f)));
                }
                CHECK(sameBits(low[0], lowExpected[0]));
                if (rightOn) CHECK(sameBits(low[1], lowExpected[1]));
            }
        }
    });
}
