// The two-lane equaliser stages against the single-channel stages they stand
// for: every output and every state field must agree (tests/support/Agree.h),
// on signals that push each guard (overflow, flush, clamps) and on blocks of
// any length.
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/ChannelState.h"
#include "engine/Coefficients.h"
#include "engine/Stages.h"
#include <doctest.h>
#include "tests/support/Agree.h"
#include "tests/support/Signals.h"

namespace {

constexpr float kRate = 44100.0f;


bool sameHistory(const HighPassSection& a, const HighPassSection& b) {
    return agrees(a.x2, b.x2) && agrees(a.x1, b.x1) && agrees(a.x, b.x) && agrees(a.y2, b.y2) &&
           agrees(a.y1, b.y1) && agrees(a.y, b.y);
}

bool sameHistory(const NotchSection& a, const NotchSection& b) {
    return agrees(a.x2, b.x2) && agrees(a.x1, b.x1) && agrees(a.x, b.x) && agrees(a.y2, b.y2) &&
           agrees(a.y1, b.y1);
}

// The two channels get different corner frequencies and start histories,
// so a lane that reads the other channel's state shows.
struct EqPair {
    ChannelState ch[2]{};
    HighPassSection treble[2]{};
    float follow[2] = {0.0f, 0.4f};

    EqPair() {
        const float bassFreq[2] = {100.0f, 240.0f}, midFreq[2] = {800.0f, 2500.0f}, trebleFreq[2] = {3000.0f, 9000.0f};
        for (int c = 0; c < 2; ++c) {
            store(ch[c].bassHighPass, butterworthHighPass(bassFreq[c], kRate));
            store(ch[c].midNotch, midNotch(midFreq[c], kRate));
            store(treble[c], butterworthHighPass(trebleFreq[c], kRate));
        }
        ch[1].bassHighPass.x1 = 0.5f;
        ch[1].bassHighPass.y1 = -0.25f;
        ch[1].midNotch.x1 = -0.75f;
        ch[1].midNotch.y2 = 0.125f;
        treble[1].x2 = 0.3f;
        treble[1].y = 0.2f;
    }

    bool sameStateAs(const EqPair& o) const {
        bool same = true;
        for (int c = 0; c < 2; ++c) {
            same = same && sameHistory(ch[c].bassHighPass, o.ch[c].bassHighPass);
            same = same && sameHistory(ch[c].midNotch, o.ch[c].midNotch);
            same = same && sameHistory(treble[c], o.treble[c]) && agrees(follow[c], o.follow[c]);
        }
        return same;
    }
};

// One channel of test signal, segment after segment so that each stage meets
// every kind with the history the previous kind left: silence from a clear
// history, program material, the
// same 40 dB hotter, a full-scale square, values about the flush floor and
// the denormal range, silence, and values that overflow the stage maths.
std::vector<float> hostileSignal(uint32_t seed, int squarePeriod) {
    std::vector<float> x(200, 0.0f);
    for (float v : signals::program(700, 0.8, seed)) x.push_back(v);
    for (float v : signals::program(700, 80.0, seed + 1)) x.push_back(v);
    for (int i = 0; i < 600; ++i) x.push_back((i / (squarePeriod / 2)) % 2 ? -1.0f : 1.0f);
    const float tiny[] = {1e-40f, -1e-39f, 0x1p-33f, -0x1p-32f, 0x1p-32f, 0x1.000002p-32f, -1e-45f, 3e-30f};
    for (int i = 0; i < 400; ++i) x.push_back(tiny[(i + seed) % 8]);
    x.insert(x.end(), 500, 0.0f);
    for (int i = 0; i < 200; ++i) x.push_back(i % 3 == 0 ? 3.0e38f : (i % 3 == 1 ? -2.5e38f : 1e30f));
    x.insert(x.end(), 300, 0.0f);
    return x;
}

// Block lengths that walk the signal: empty, single, odd and long blocks.
template <typename Step>
void inBlocks(size_t total, Step step) {
    static const int32_t kLengths[] = {0, 1, 2, 3, 0, 5, 7, 1, 13, 64, 127, 0, 255, 31, 1, 511, 9};
    size_t at = 0;
    for (size_t k = 0; at < total; ++k) {
        const int32_t n = int32_t(std::min<size_t>(kLengths[k % 17], total - at));
        step(at, n);
        at += size_t(n);
    }
}

struct Signals {
    std::vector<float> l = hostileSignal(11, 64), r = hostileSignal(23, 50);
};

// Runs `paired` over one copy of the signals and `perChannel` over each
// channel of another, block by block, and checks that the outputs and every
// history agree; the state is compared after every block, so a history the
// signal later drowns still counts.
template <typename Paired, typename PerChannel>
void checkAgainstPerChannel(Paired paired, PerChannel perChannel) {
    Signals a, b;
    EqPair pa, pb;
    bool sameState = true;
    inBlocks(a.l.size(), [&](size_t at, int32_t n) {
        paired(pa, a.l.data() + at, a.r.data() + at, n);
        perChannel(pb, 0, b.l.data() + at, n);
        perChannel(pb, 1, b.r.data() + at, n);
        sameState = sameState && pa.sameStateAs(pb);
    });
    CHECK(agrees(a.l, b.l));
    CHECK(agrees(a.r, b.r));
    CHECK(sameState);
}

}  // namespace

TEST_CASE("body for both channels at once equals the body stage on each channel" *
          doctest::test_suite("engine.eqpairs")) {
    for (float amount : {0.0025f, 0.25f, 0.705f}) {
        Signals a, b;
        inBlocks(a.l.size(), [&](size_t at, int32_t n) {
            bodyStagePair(a.l.data() + at, a.r.data() + at, amount, n);
            bodyStage(b.l.data() + at, amount, n);
            bodyStage(b.r.data() + at, amount, n);
        });
        CHECK(agrees(a.l, b.l));
        CHECK(agrees(a.r, b.r));
    }
}

TEST_CASE("bass for both channels at once equals the bass stage per channel: cut, neutral, boost" *
          doctest::test_suite("engine.eqpairs")) {
    for (float c : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f})
        checkAgainstPerChannel(
            [&](EqPair& p, float* l, float* r, int32_t n) { bassStagePair(p.ch[0], p.ch[1], l, r, c, n); },
            [&](EqPair& p, int k, float* x, int32_t n) { bassStage(p.ch[k], x, c, n); });
}

TEST_CASE("mid for both channels at once equals the mid stage per channel: cut, neutral, boost" *
          doctest::test_suite("engine.eqpairs")) {
    for (float c : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f})
        checkAgainstPerChannel(
            [&](EqPair& p, float* l, float* r, int32_t n) { midStagePair(p.ch[0], p.ch[1], l, r, c, n); },
            [&](EqPair& p, int k, float* x, int32_t n) { midStage(p.ch[k], x, c, n); });
}

TEST_CASE("treble for both channels at once equals the treble stage on each channel" *
          doctest::test_suite("engine.eqpairs")) {
    for (float hiBoost : {0.0f, 70.0f, 141.0f, 200.0f, 282.0f}) {
        const float mix = trebleMixFor(hiBoost);
        checkAgainstPerChannel(
            [&](EqPair& p, float* l, float* r, int32_t n) {
                trebleStagePair(p.treble, p.follow, l, r, hiBoost, mix, n);
            },
            [&](EqPair& p, int k, float* x, int32_t n) {
                trebleStage(p.treble[k], p.follow[k], x, hiBoost, mix, n);
            });
    }
}

TEST_CASE("the whole equaliser in one pass equals the stages one after the other on each channel" *
          doctest::test_suite("engine.eqpairs")) {
    // Every combination of stages on, with boosts and cuts (and neutral
    // values, which the stages must also pass through unchanged in bits).
    const float bodyAmounts[] = {0.0025f, 0.705f};
    const float bands[][3] = {{0.75f, 0.25f, 282.0f}, {0.25f, 1.0f, 20.0f}, {0.5f, 0.5f, 141.0f}, {1.0f, 0.0f, 200.0f}};
    for (int on = 0; on < 16; ++on) {
        for (int v = 0; v < 4; ++v) {
            EqualiserSettings eq{};
            eq.bodyOn = on & 1, eq.bassOn = on & 2, eq.midOn = on & 4, eq.trebleOn = on & 8;
            eq.bodyAmount = bodyAmounts[v % 2];
            eq.bass = bands[v][0];
            eq.mid = bands[v][1];
            eq.hiBoost = bands[v][2];
            eq.trebleMix = trebleMixFor(eq.hiBoost);
            checkAgainstPerChannel(
                [&](EqPair& p, float* l, float* r, int32_t n) {
                    equaliserPair(p.ch[0], p.ch[1], p.treble, p.follow, l, r, eq, n);
                },
                [&](EqPair& p, int c, float* x, int32_t n) {
                    if (eq.bodyOn) bodyStage(x, eq.bodyAmount, n);
                    if (eq.bassOn) bassStage(p.ch[c], x, eq.bass, n);
                    if (eq.midOn) midStage(p.ch[c], x, eq.mid, n);
                    if (eq.trebleOn) trebleStage(p.treble[c], p.follow[c], x, eq.hiBoost, eq.trebleMix, n);
                });
        }
    }
}
