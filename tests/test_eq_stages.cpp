// The equaliser stages on their own: band splits, boost laws, clamps,
// flushing, hostile input and blocks of any length, driven with coefficients
// for 44100 Hz on every path the engine runs them: one channel (the mono
// path) and each lane of both channels at once for each instruction set the
// processor runs. There the other lane carries another signal through other
// corner frequencies, so a lane that reads its neighbour shows.
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/ChannelState.h"
#include "engine/Coefficients.h"
#include "engine/Dynamics.h"
#include "engine/Lanes.h"
#include "engine/Stages.h"
#include "tests/support/Checks.h"
#include "tests/support/Signals.h"

namespace {

constexpr float kRate = 44100.0f;

struct Path {
    int lane;  // -1: one channel; 0 or 1: that lane of both channels at once
    SimdLevel level;
    int channel() const { return lane < 0 ? 0 : lane; }
};

std::vector<Path> paths() {
    std::vector<Path> list = {{-1, SimdLevel::sse2}};
    for (SimdLevel level : kSimdLevels)
        if (simdSupported(level)) list.insert(list.end(), {{0, level}, {1, level}});
    return list;
}

enum Stage { kBody = 1, kBass = 2, kMid = 4, kTreble = 8 };

// The stages in `on`: Body as an amount, Bass and Mid as c, Hi Boost with its treble mix.
EqualiserSettings settings(int on, float body, float bass, float mid, float hiBoost) {
    return {(on & kBody) != 0, (on & kBass) != 0, (on & kMid) != 0, (on & kTreble) != 0,
            body,              bass,              mid,              hiBoost,            trebleMixFor(hiBoost)};
}

// The equaliser state of both channels: the path's channel gets the corner
// frequencies given, the other channel its own.
struct Eq {
    ChannelState ch[2]{};
    HighPassSection treble[2]{};
    float follow[2] = {};

    explicit Eq(const Path& p, float bassFreq = 100.0f, float midFreq = 800.0f, float trebleFreq = 3000.0f) {
        for (int c = 0; c < 2; ++c) {
            const bool mine = c == p.channel();
            store(ch[c].bassHighPass, butterworthHighPass(mine ? bassFreq : 240.0f, kRate));
            store(ch[c].midNotch, midNotch(mine ? midFreq : 2500.0f, kRate));
            store(treble[c], butterworthHighPass(mine ? trebleFreq : 9000.0f, kRate));
        }
    }

    // In place over x on the path's channel; `other` is the other lane's (unused for one channel).
    void run(const Path& p, const EqualiserSettings& s, float* x, float* other, int32_t n) {
        if (p.lane < 0) return equaliserMono(ch[0], treble[0], follow[0], x, s, n);
        float* both[2];
        both[p.lane] = x;
        both[1 - p.lane] = other;
        const SimdLevel chosen = simdLevel();
        setSimdLevel(p.level);
        equaliserPair(ch[0], ch[1], treble, follow, both[0], both[1], s, n);
        setSimdLevel(chosen);
    }
};

// The signal through the stages of `s` on a path, from a clear history.
std::vector<float> equalise(const Path& p, const EqualiserSettings& s, std::vector<float> v) {
    Eq eq(p);
    std::vector<float> other = signals::program(int(v.size()), 1.2, 5);
    eq.run(p, s, v.data(), other.data(), int32_t(v.size()));
    return v;
}

// One stage alone; the value goes to each of its settings, of which only the stage's own is read.
std::vector<float> alone(const Path& p, int stage, float value, const std::vector<float>& v) {
    return equalise(p, settings(stage, value, value, value, value), v);
}

// Peak of the second half, once the filters have settled.
float settledPeak(const std::vector<float>& v) { return signals::peak(v, v.size() / 2, v.size()); }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Every history and follower of both channels, in order.
std::vector<float> histories(const Eq& e) {
    std::vector<float> h;
    for (int c = 0; c < 2; ++c) {
        for (const HighPassSection* s : {&e.ch[c].bassHighPass, &e.treble[c]})
            h.insert(h.end(), {s->x2, s->x1, s->x, s->y2, s->y1, s->y});
        const NotchSection& m = e.ch[c].midNotch;
        h.insert(h.end(), {m.x2, m.x1, m.x, m.y2, m.y1, e.follow[c]});
    }
    return h;
}

bool allFinite(const std::vector<float>& v) {
    for (float x : v)
        if (!std::isfinite(x)) return false;
    return true;
}

}  // namespace

TEST_CASE("settled sine levels: each stage cuts, passes or boosts its band and leaves the others" *
          doctest::test_suite("engine.eq")) {
    // Stage and its value, a sine's frequency and amplitude, its settled peak
    // (an expected 0 with a tolerance is an upper bound). Bass c 0: 30 Hz is
    // down about 21 dB (a second-order slope an octave and a half down). Mid:
    // boost doubles the notch band, 0 removes it. Hi Boost 0 leaves
    // x - highpass(x), no ideal low-pass: 15 kHz down by about 16 dB.
    const struct {
        int stage;
        float value;
        double frequency, amplitude, expected, tol;
    } rows[] = {
        {kBass, 0.0f, 30, 0.5, 0, 0.05},          {kBass, 0.0f, 3000, 0.5, 0.5, 0.005},
        {kBass, 1.0f, 3000, 0.5, 0.5, 0.01},      {kMid, 1.0f, 800, 0.2, 0.4, 0.01},
        {kMid, 0.0f, 800, 0.2, 0, 0.01},          {kMid, 0.5f, 800, 0.2, 0.2, 1e-4},
        {kMid, 1.0f, 8000, 0.2, 0.2, 0.01},       {kMid, 0.0f, 8000, 0.2, 0.2, 0.01},
        {kTreble, 0.0f, 15000, 0.5, 0, 0.1},      {kTreble, 0.0f, 300, 0.5, 0.5, 0.005},
        {kTreble, 70.5f, 15000, 0.5, 0, 0.35},    {kTreble, 140.0f, 15000, 0.8, 0.8 * 140.0 / 141.0, 0.03},
    };
    for (const auto& r : rows) {
        INFO("stage " << r.stage << " at " << r.value << ", " << r.frequency << " Hz");
        const auto sine = signals::sineWave(44100, 44100.0 / r.frequency, r.amplitude);
        for (const Path& p : paths()) CHECK_NEAR(settledPeak(alone(p, r.stage, r.value, sine)), r.expected, r.tol);
    }
}

TEST_CASE("bass stage: centre passes, boost lifts quiet lows" * doctest::test_suite("engine.eq")) {
    const auto mix = signals::program(20000, 0.5, 7);
    for (const Path& p : paths()) {
        // c = 0.5 restores B + D = x.
        const auto centre = alone(p, kBass, 0.5f, mix);
        double worst = 0.0;
        for (size_t i = 0; i < mix.size(); ++i) worst = std::max(worst, std::fabs(double(centre[i]) - mix[i]));
        CHECK(worst < 1e-6);

        // Full boost: the low band D = (c 0.5 output) - (c 0 output) comes out
        // about 1.9 times as large when quiet, much less when loud; highs pass.
        for (double amplitude : {0.01, 0.9}) {
            const auto low30 = signals::sineWave(44100, 44100.0 / 30.0, amplitude);
            const auto none = alone(p, kBass, 0.0f, low30), band = alone(p, kBass, 0.5f, low30),
                       boosted = alone(p, kBass, 1.0f, low30);
            std::vector<float> d(none.size()), b(none.size());
            for (size_t i = 0; i < none.size(); ++i) {
                d[i] = band[i] - none[i];
                b[i] = boosted[i] - none[i];
            }
            const double gain = settledPeak(b) / settledPeak(d);
            if (amplitude < 0.1)
                CHECK((gain > 1.85 && gain < 1.92));
            else
                CHECK(gain < 1.2);
        }
    }
}

TEST_CASE("mid stage clamps the notch output for the split but keeps it whole as state" *
          doctest::test_suite("engine.eq")) {
    // 10 kHz passes the notch almost unchanged, so its output swings to about 1.5.
    const auto v = signals::sineWave(4000, 44100.0 / 10000.0, 1.5);
    for (const Path& p : paths()) {
        Eq eq(p);
        std::vector<float> out(v), other = signals::program(int(v.size()), 1.2, 5);
        float highestState = 0.0f;
        for (size_t i = 0; i < out.size(); ++i) {
            eq.run(p, settings(kMid, 0, 0, 0.0f, 0), out.data() + i, other.data() + i, 1);
            highestState = std::max(highestState, float(eq.ch[p.channel()].midNotch.y1));
        }
        CHECK(highestState > 1.4f);
        // With the band removed, what is left is the clamped notch output.
        const float peak = settledPeak(out);
        CHECK(peak <= 1.0f);
        CHECK(peak > 0.99f);
    }
}

TEST_CASE("body stage: quiet gain, odd symmetry, bounded near full scale" * doctest::test_suite("engine.eq")) {
    const float e = 387.0f * 0.0025f;  // 0.9675
    const double expected = (1.0 - e) + 1.1 * e * (0.9 + e * 0.999);
    std::vector<float> up, down;
    for (int i = -300; i <= 300; ++i) {
        up.push_back(i * 0.004f);
        down.push_back(-i * 0.004f);
    }
    for (const Path& p : paths()) {
        CHECK_NEAR(alone(p, kBody, e, {0.001f})[0] / 0.001, expected, 0.001);
        const auto pos = alone(p, kBody, e, up), neg = alone(p, kBody, e, down);
        bool odd = true, finite = true;
        for (size_t i = 0; i < pos.size(); ++i) {
            odd &= pos[i] == -neg[i];
            finite &= std::isfinite(pos[i]) && std::fabs(pos[i]) < 3.0f;
        }
        CHECK(odd);
        CHECK(finite);
        // Full scale stays within full scale: the fold bends the curve back there.
        bool within = true;
        for (size_t i = 50; i <= 550; ++i) within &= std::fabs(pos[i]) < 1.0f;
        CHECK(within);
    }
}

TEST_CASE("treble stage clips a high band beyond full scale in both paths" * doctest::test_suite("engine.eq")) {
    // Hi Boost 0 leaves exactly the part below Treble Freq, e; what the other
    // settings add to it is the clipped band.
    const auto hot = signals::sineWave(20000, 44100.0 / 15000.0, 1.5);
    for (const Path& p : paths()) {
        const auto rest = alone(p, kTreble, 0.0f, hot);
        auto added = [&](float hiBoost) {
            const auto out = alone(p, kTreble, hiBoost, hot);
            std::vector<float> band(out.size());
            for (size_t i = 0; i < out.size(); ++i) band[i] = out[i] - rest[i];
            return settledPeak(band);
        };
        const float cut = added(140.0f), boost = added(142.0f);
        CHECK((cut <= 140.0f / 141.0f + 1e-6f && cut > 0.98f));
        CHECK((boost <= 1.0f + 1e-6f && boost > 0.95f));
    }
}

TEST_CASE("treble boost: slight above neutral changes little, full boost lifts fast changes" *
          doctest::test_suite("engine.eq")) {
    std::vector<float> v = signals::sineWave(20000, 44100.0 / 300.0, 0.3);
    const auto top = signals::sineWave(20000, 44100.0 / 6000.0, 0.3);
    for (size_t i = 0; i < v.size(); ++i) v[i] += top[i];
    const auto full = signals::sineWave(20000, 44100.0 / 8000.0, 0.3);
    for (const Path& p : paths()) {
        const auto slight = alone(p, kTreble, 141.6f, v);  // mix 0.01
        double worst = 0.0, sum = 0.0;
        for (size_t i = 0; i < v.size(); ++i) {
            const double d = std::fabs(double(slight[i]) - v[i]);
            worst = std::max(worst, d);
            sum += d;
        }
        CHECK(worst < 0.02);
        CHECK(sum > 0.0);
        CHECK(settledPeak(alone(p, kTreble, 282.0f, full)) > settledPeak(alone(p, kTreble, 141.6f, full)) * 1.2f);
    }
}

TEST_CASE("values below 2^-32 flush to exact zeros in outputs and filter states" * doctest::test_suite("engine.eq")) {
    std::vector<float> tiny(64, 1e-12f);
    for (size_t i = 0; i < tiny.size(); i += 2) tiny[i] = -1e-12f;
    for (const Path& p : paths()) {
        const int k = p.channel();
        CHECK(sameBits(alone(p, kBody, 0.5f, tiny), std::vector<float>(64, 0.0f)));
        // Each stage alone from a clear history, the other lane as quiet.
        for (const int stage : {kBass, kMid, kTreble}) {
            Eq eq(p);
            std::vector<float> x(tiny), other(tiny);
            eq.run(p, settings(stage, 0, 1.0f, 0.2f, 282.0f), x.data(), other.data(), 64);
            // The treble outputs are not all flushed (its follower adds 1e-10
            // terms); its high-pass state is.
            if (stage != kTreble) CHECK(sameBits(x, std::vector<float>(64, 0.0f)));
            const HighPassSection& s = stage == kTreble ? eq.treble[k] : eq.ch[k].bassHighPass;
            CHECK_EQ(s.y1, 0.0f);
            CHECK_EQ(s.y2, 0.0f);
        }
    }
}

TEST_CASE("the filters' rounding to float flushes and overflows exactly where the conversions do" *
          doctest::test_suite("engine.eq")) {
    // The range is tested before the rounding, so each bound sits half a float
    // step below a power of two; the exact ties there round up both ways.
    const auto next = [](double v, int way) { return std::nextafter(v, way > 0 ? INFINITY : 0.0); };
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (const double bound : {0x1p-32 - 0x1p-57, 0x1p128 - 0x1p103})
        for (const double v : {next(bound, -1), bound, next(bound, 1)})
            for (const double x : {v, -v}) {
                CAPTURE(x);
                const double settled = double(settle(float(x))), finite = double(finiteOrZero(float(x)));
                CHECK(same(lanes::One::settleAsFloat(x), settled));
                CHECK(same(_mm_cvtsd_f64(lanes::Two<simd::Sse2>::settleAsFloat(_mm_set1_pd(x))), settled));
                if (bound > 1.0) {
                    CHECK(same(lanes::One::finiteAsFloat(x), finite));
                    CHECK(same(_mm_cvtsd_f64(lanes::Two<simd::Sse2>::finiteAsFloat(_mm_set1_pd(x))), finite));
                }
            }
}

TEST_CASE("all stages in one pass, in blocks of any length, equal the stages one after another" * doctest::test_suite("engine.eq")) {
    // Every combination of stages, boosting and cutting, over hostile input
    // (tests/support/Signals.h): the one pass in blocks from empty to long,
    // each stage alone over the whole signal. Outputs and every history
    // must agree to the bit and stay finite.
    static const int32_t kLengths[] = {0, 1, 2, 3, 0, 5, 7, 1, 13, 64, 127, 0, 255, 31, 1, 511, 9};
    // Body amount, Bass c, Mid c, Hi Boost.
    const float values[][4] = {{0.0025f, 0.75f, 0.25f, 282.0f}, {0.705f, 0.25f, 1.0f, 20.0f}, {0.25f, 0.0f, 0.0f, 0}};
    const auto left = signals::hostile(11, 64), right = signals::hostile(23, 50);
    const int32_t total = int32_t(left.size());
    for (const Path& p : paths()) {
        for (int on = 1; on < 16; ++on) {
            for (const auto& v : values) {
                Eq apart(p), together(p);
                std::vector<float> x1(left), o1(right), x2(left), o2(right);
                for (const int stage : {kBody, kBass, kMid, kTreble})
                    if (on & stage)
                        apart.run(p, settings(stage, v[0], v[1], v[2], v[3]), x1.data(), o1.data(), total);
                for (int32_t at = 0, k = 0; at < total; ++k) {
                    const int32_t n = std::min(kLengths[k % 17], total - at);
                    together.run(p, settings(on, v[0], v[1], v[2], v[3]), x2.data() + at, o2.data() + at, n);
                    at += n;
                }
                CHECK((sameBits(x1, x2) && sameBits(o1, o2)));
                CHECK(sameBits(histories(apart), histories(together)));
                CHECK((allFinite(x2) && allFinite(o2) && allFinite(histories(together))));
            }
        }
    }
}
