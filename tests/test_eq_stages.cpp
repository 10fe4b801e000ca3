// The equaliser stages on their own: band splits, boost laws, clamps and
// flushing, driven with coefficients for 44100 Hz.
#include <cmath>
#include <vector>

#include "engine/ChannelState.h"
#include "engine/Coefficients.h"
#include "engine/Stages.h"
#include "tests/support/Checks.h"
#include "tests/support/Signals.h"

namespace {

constexpr float kRate = 44100.0f;

ChannelState eqChannel(float bassFreq, float midFreq) {
    ChannelState ch{};
    store(ch.bassHighPass, butterworthHighPass(bassFreq, kRate));
    store(ch.midNotch, midNotch(midFreq, kRate));
    return ch;
}

HighPassSection trebleSection(float freq) {
    HighPassSection s{};
    store(s, butterworthHighPass(freq, kRate));
    return s;
}

// Peak of the second half, once the filters have settled.
float settledPeak(const std::vector<float>& v) { return signals::peak(v, v.size() / 2, v.size()); }

std::vector<float> bass(float c, std::vector<float> v) {
    ChannelState ch = eqChannel(100.0f, 800.0f);
    bassStage(ch, v.data(), c, static_cast<int32_t>(v.size()));
    return v;
}

std::vector<float> mid(float c, std::vector<float> v) {
    ChannelState ch = eqChannel(100.0f, 800.0f);
    midStage(ch, v.data(), c, static_cast<int32_t>(v.size()));
    return v;
}

std::vector<float> treble(float hiBoost, std::vector<float> v) {
    HighPassSection s = trebleSection(3000.0f);
    float follow = 0.0f;
    const float mix = (hiBoost - 141.0f) / 60.0f;
    trebleStage(s, follow, v.data(), hiBoost, mix, static_cast<int32_t>(v.size()));
    return v;
}

}  // namespace

TEST_CASE("bass stage: cut to zero leaves the high band, centre passes, boost lifts quiet lows" *
          doctest::test_suite("engine.eq")) {
    const auto low = signals::sineWave(44100, 44100.0 / 30.0, 0.5);     // 30 Hz
    const auto high = signals::sineWave(44100, 44100.0 / 3000.0, 0.5);  // 3 kHz
    CHECK(settledPeak(bass(0.0f, low)) < 0.05f);  // second-order slope: about -21 dB an octave and a half down
    CHECK_NEAR(settledPeak(bass(0.0f, high)), 0.5, 0.005);

    // c = 0.5 restores B + D = x.
    const auto mix = signals::program(20000, 0.5, 7);
    const auto centre = bass(0.5f, mix);
    double worst = 0.0;
    for (size_t i = 0; i < mix.size(); ++i) worst = std::max(worst, std::fabs(double(centre[i]) - mix[i]));
    CHECK(worst < 1e-6);

    // Full boost: the low band D = (c 0.5 output) - (c 0 output) comes out
    // about 1.9 times as large when quiet, much less when loud; highs pass.
    for (double amplitude : {0.01, 0.9}) {
        const auto low30 = signals::sineWave(44100, 44100.0 / 30.0, amplitude);
        const auto none = bass(0.0f, low30), band = bass(0.5f, low30), boosted = bass(1.0f, low30);
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
    CHECK_NEAR(settledPeak(bass(1.0f, high)), 0.5, 0.01);
}

TEST_CASE("bass stage carries its filter state across calls" * doctest::test_suite("engine.eq")) {
    const auto v = signals::program(6000, 0.8, 3);
    const auto whole = bass(0.9f, v);
    ChannelState ch = eqChannel(100.0f, 800.0f);
    std::vector<float> split(v);
    bassStage(ch, split.data(), 0.9f, 1000);
    bassStage(ch, split.data() + 1000, 0.9f, 1);
    bassStage(ch, split.data() + 1001, 0.9f, 4999);
    CHECK(split == whole);
}

TEST_CASE("mid stage: boost 282 doubles the notch band, 0 removes it, far bands pass" *
          doctest::test_suite("engine.eq")) {
    const auto atNotch = signals::sineWave(44100, 44100.0 / 800.0, 0.2);
    CHECK_NEAR(settledPeak(mid(1.0f, atNotch)), 0.4, 0.01);
    CHECK(settledPeak(mid(0.0f, atNotch)) < 0.01f);
    CHECK_NEAR(settledPeak(mid(0.5f, atNotch)), 0.2, 1e-4);
    const auto far = signals::sineWave(44100, 44100.0 / 8000.0, 0.2);
    CHECK_NEAR(settledPeak(mid(1.0f, far)), 0.2, 0.01);
    CHECK_NEAR(settledPeak(mid(0.0f, far)), 0.2, 0.01);
}

TEST_CASE("mid stage clamps the notch output for the split but keeps it whole as state" *
          doctest::test_suite("engine.eq")) {
    // 10 kHz passes the notch almost unchanged, so its output swings to about 1.5.
    const auto v = signals::sineWave(4000, 44100.0 / 10000.0, 1.5);
    ChannelState ch = eqChannel(100.0f, 800.0f);
    std::vector<float> out(v);
    float highestState = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        midStage(ch, out.data() + i, 0.0f, 1);
        highestState = std::max(highestState, float(ch.midNotch.y1));
    }
    CHECK(highestState > 1.4f);
    // With the band removed, what is left is the clamped notch output.
    const float p = settledPeak(out);
    CHECK(p <= 1.0f);
    CHECK(p > 0.99f);
}

TEST_CASE("body stage: quiet gain, odd symmetry, bounded near full scale" * doctest::test_suite("engine.eq")) {
    const float e = 387.0f * 0.0025f;  // 0.9675
    std::vector<float> quiet{0.001f};
    bodyStage(quiet.data(), e, 1);
    const double expected = (1.0 - e) + 1.1 * e * (0.9 + e * 0.999);
    CHECK_NEAR(quiet[0] / 0.001, expected, 0.001);

    std::vector<float> pos, neg;
    for (int i = -300; i <= 300; ++i) {
        pos.push_back(i * 0.004f);
        neg.push_back(-i * 0.004f);
    }
    bodyStage(pos.data(), e, static_cast<int32_t>(pos.size()));
    bodyStage(neg.data(), e, static_cast<int32_t>(neg.size()));
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

TEST_CASE("treble stage: Hi Boost 0 removes the high band, lows pass" * doctest::test_suite("engine.eq")) {
    // The rest x - highpass(x) is not an ideal low-pass: 15 kHz is down by about 16 dB.
    const auto high = signals::sineWave(44100, 44100.0 / 15000.0, 0.5);
    const auto low = signals::sineWave(44100, 44100.0 / 300.0, 0.5);
    CHECK(settledPeak(treble(0.0f, high)) < 0.1f);
    CHECK_NEAR(settledPeak(treble(0.0f, low)), 0.5, 0.005);
    CHECK(settledPeak(treble(70.5f, high)) < 0.35f);
}

TEST_CASE("treble stage clips a high band beyond full scale in both paths" * doctest::test_suite("engine.eq")) {
    // Hi Boost 0 leaves exactly the part below Treble Freq, e; what the other
    // settings add to it is the clipped band.
    const auto hot = signals::sineWave(20000, 44100.0 / 15000.0, 1.5);
    const auto rest = treble(0.0f, hot);
    auto added = [&](float hiBoost) {
        const auto out = treble(hiBoost, hot);
        std::vector<float> band(out.size());
        for (size_t i = 0; i < out.size(); ++i) band[i] = out[i] - rest[i];
        return settledPeak(band);
    };
    const float cut = added(140.0f), boost = added(142.0f);
    CHECK((cut <= 140.0f / 141.0f + 1e-6f && cut > 0.98f));
    CHECK((boost <= 1.0f + 1e-6f && boost > 0.95f));
    // Within full scale nothing is clipped.
    const auto fine = signals::sineWave(20000, 44100.0 / 15000.0, 0.8);
    CHECK_NEAR(settledPeak(treble(140.0f, fine)), 0.8 * 140.0 / 141.0, 0.03);
}

TEST_CASE("treble boost: slight above neutral changes little, full boost lifts fast changes" *
          doctest::test_suite("engine.eq")) {
    std::vector<float> v = signals::sineWave(20000, 44100.0 / 300.0, 0.3);
    const auto top = signals::sineWave(20000, 44100.0 / 6000.0, 0.3);
    for (size_t i = 0; i < v.size(); ++i) v[i] += top[i];
    const auto slight = treble(141.6f, v);  // mix 0.01
    double worst = 0.0, sum = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double d = std::fabs(double(slight[i]) - v[i]);
        worst = std::max(worst, d);
        sum += d;
    }
    CHECK(worst < 0.02);
    CHECK(sum > 0.0);

    const auto full = signals::sineWave(20000, 44100.0 / 8000.0, 0.3);
    CHECK(settledPeak(treble(282.0f, full)) > settledPeak(treble(141.6f, full)) * 1.2f);
}

TEST_CASE("values below 2^-32 flush to exact zeros in outputs and filter states" * doctest::test_suite("engine.eq")) {
    std::vector<float> tiny(64, 1e-12f);
    for (size_t i = 0; i < tiny.size(); i += 2) tiny[i] = -1e-12f;

    std::vector<float> b(tiny);
    bodyStage(b.data(), 0.5f, 64);
    ChannelState ch = eqChannel(100.0f, 800.0f);
    std::vector<float> bs(tiny);
    bassStage(ch, bs.data(), 1.0f, 64);
    std::vector<float> ms(tiny);
    midStage(ch, ms.data(), 0.2f, 64);
    HighPassSection s = trebleSection(3000.0f);
    float follow = 0.0f;
    std::vector<float> ts(tiny);
    trebleStage(s, follow, ts.data(), 282.0f, 2.35f, 64);

    // The treble outputs are not all flushed (its follower adds 1e-10 terms);
    // its high-pass state is.
    bool zeros = true;
    for (int i = 0; i < 64; ++i) zeros &= b[i] == 0.0f && bs[i] == 0.0f && ms[i] == 0.0f;
    CHECK(zeros);
    CHECK_EQ(float(ch.bassHighPass.y1), 0.0f);
    CHECK_EQ(float(ch.bassHighPass.y2), 0.0f);
    CHECK_EQ(float(s.y1), 0.0f);
    CHECK_EQ(float(s.y2), 0.0f);
}
