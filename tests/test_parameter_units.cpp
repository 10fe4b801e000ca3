// Parameters in user units: every Limiter Gain position and every Out Gain
// level comes back exactly from its user value, the ranges and defaults are
// the table's, and codes store exactly.
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/Coefficients.h"
#include "engine/Engine.h"
#include "engine/ParameterUnits.h"
#include "engine/Truncate.h"
#include "tests/support/Checks.h"

TEST_CASE("each Limiter Gain position comes back from its dB; other dB pick the nearest" *
          doctest::test_suite("engine.units")) {
    const MaximizerEngine tables;
    const int lowest = int(kParameters[kLimiterGain].lowest), top = int(kParameters[kLimiterGain].max);
    int exact = 0, nearest = 0;
    for (int p = lowest; p <= top; ++p) {
        const float db = userValue(kLimiterGain, float(p));
        exact += truncateToInt(internalFromUser(kLimiterGain, db)) == p;
        if (p == top) break;
        const float next = userValue(kLimiterGain, float(p + 1));
        const double middle = (double(db) + next) / 2.0;
        nearest += truncateToInt(internalFromUser(kLimiterGain, float(middle - 1e-3))) == p &&
                   truncateToInt(internalFromUser(kLimiterGain, float(middle + 1e-3))) == p + 1;
    }
    CHECK_EQ(exact, top - lowest + 1);
    CHECK_EQ(nearest, top - lowest);
    CHECK_EQ(userValue(kLimiterGain, kLevelZeroDb), 0.0f);
    CHECK_EQ(truncateToInt(internalFromUser(kLimiterGain, -1e6f)), lowest);
    CHECK_EQ(truncateToInt(internalFromUser(kLimiterGain, 1e6f)), top);
}

TEST_CASE("each Out Gain level from -60 to 0 dB in 0.1 steps is the level the engine applies" *
          doctest::test_suite("engine.units")) {
    int exact = 0;
    for (int k = -600; k <= 0; ++k) {
        const double level = k / 10.0;
        const float internal = internalFromUser(kOutGain, float(level));
        exact += userValue(kOutGain, internal) == float(level) &&
                 std::fabs(20.0 * std::log10(outputGainFor(internal)) - level) < 1e-5;
    }
    CHECK_EQ(exact, 601);
    // Through the engine's setter: -6.0 shows and applies -6.0, not the -5.9
    // that the exact ratio 10^(-6/20) would be cut to.
    MaximizerEngine engine;
    engine.setParameter(kOutGain, normalisedFromUser(kOutGain, -6.0f));
    char text[16] = {};
    engine.displayText(kOutGain, text);
    CHECK_EQ(std::string(text), std::string("-6:0"));
    CHECK_NEAR(20.0 * std::log10(engine.outputGain()), -6.0, 1e-5);
}

// What the engine makes of an internal value: the two gains for the gain
// parameters, the value itself for the others.
static float applied(int index, float internal) {
    if (index == kLimiterGain) return limiterGainFor(internal);
    return index == kOutGain ? outputGainFor(internal) : internal;
}

TEST_CASE("units, and range ends and defaults that give the table's values" * doctest::test_suite("engine.units")) {
    const MaximizerEngine tables;
    using U = UserUnit;
    const UserUnit units[kNumParams] = {U::Decibel, U::Percent, U::Decibel, U::Code,   U::Code,   U::Toggle,
                                        U::Percent, U::Percent, U::Percent, U::Percent, U::Hertz, U::Hertz,
                                        U::Hertz,   U::Toggle,  U::Code,    U::Toggle, U::Toggle};
    for (int i = 0; i < kNumParams; ++i) {
        const ParameterInfo& p = kParameters[i];
        const UserScale s = userScale(i);
        CHECK(s.unit == units[i]);
        CHECK(s.lowest < s.highest);
        const float tolerance = 2e-5f * p.max;
        CHECK_NEAR(applied(i, internalFromUser(i, s.lowest)), applied(i, p.lowest), tolerance);
        CHECK_NEAR(applied(i, internalFromUser(i, s.highest)), applied(i, p.max), tolerance);
        CHECK_NEAR(applied(i, internalFromUser(i, s.defaultValue)), applied(i, p.defaultValue), tolerance);
        // Beyond the range is the range's end; NaN stays no value.
        CHECK_EQ(internalFromUser(i, s.highest + 1000.0f), internalFromUser(i, s.highest));
        CHECK_EQ(internalFromUser(i, s.lowest - 1000.0f), internalFromUser(i, s.lowest));
        CHECK(std::isnan(normalisedFromUser(i, std::numeric_limits<float>::quiet_NaN())));
    }
}

TEST_CASE("boosts: -100 % removes the band, -50 % halves it, 0 % is neutral; codes store whole" *
          doctest::test_suite("engine.units")) {
    CHECK_EQ(internalFromUser(kBassBoost, -100.0f), 0.0f);
    CHECK_EQ(internalFromUser(kBassBoost, -50.0f), kNeutralBoost / 2.0f);
    CHECK_EQ(internalFromUser(kBassBoost, 0.0f), kNeutralBoost);
    CHECK_EQ(internalFromUser(kBassBoost, 100.0f), kBoostSpan);
    CHECK_EQ(userValue(kHiBoost, kNeutralBoost + kNeutralBoost / 2.0f), 50.0f);
    for (int i : {kAlgorithm, kSoftKnee, kForceChannels})
        for (int c = 0; c < kParameters[i].choiceCount; ++c) {
            CHECK_EQ(internalFromUser(i, float(c)), float(c));
            CHECK_EQ(internalFromUser(i, float(c) + 0.4f), float(c));
        }
    CHECK_EQ(internalFromUser(kAlgorithm, 3.6f), 4.0f);
    CHECK_EQ(internalFromUser(kEqOnOff, 0.3f), 1.0f);  // a toggle is on above 0
    CHECK_EQ(internalFromUser(kEqOnOff, 0.0f), 0.0f);
    CHECK_EQ(internalFromUser(kStereoLink, -2.0f), 0.0f);
}
