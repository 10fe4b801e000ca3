// Parameters and programs: defaults, lower clamps, program switching and the
// host notifications that go with it.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "engine/Parameters.h"
#include "tests/editor_support.h"
#include "tests/support/Checks.h"

using editortest::Automation;
using editortest::automations;
using editortest::kDefaults;

namespace {

std::unique_ptr<MaximizerEffect> makeEffect() {
    automations().clear();
    return std::make_unique<MaximizerEffect>(editortest::host);
}

bool sentInIndexOrder(const std::vector<Automation>& list, size_t from) {
    if (list.size() < from + kNumParams) return false;
    for (int i = 0; i < kNumParams; ++i)
        if (list[from + i].index != i) return false;
    return true;
}

}  // namespace

TEST_CASE("a new instance holds the defaults in every program and told the host once" *
          doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    CHECK_EQ(fx->getProgram(), 0);
    for (int i = 0; i < kNumParams; ++i) {
        CHECK_NEAR(fx->engine.value(i), kDefaults[i], 1e-4);
        CHECK_NEAR(fx->getParameter(i), kDefaults[i] / kParameters[i].max, 1e-6);
    }
    for (int p = 0; p < kNumPrograms; ++p)
        for (int i = 0; i < kNumParams; ++i) CHECK_NEAR(fx->engine.programValue(p, i), kDefaults[i] / kParameters[i].max, 1e-6);
    // setProgram(0) in the constructor: seventeen requests in index order with the stored values.
    CHECK_EQ(automations().size(), size_t(kNumParams));
    CHECK(sentInIndexOrder(automations(), 0));
    if (automations().size() == size_t(kNumParams))
        for (int i = 0; i < kNumParams; ++i) CHECK_NEAR(automations()[i].value, kDefaults[i] / kParameters[i].max, 1e-6);
    CHECK_EQ(int(fx->engine.prepared()), 0);
}

TEST_CASE("lower clamps act on Limiter Gain and the frequencies only, no upper clamp" *
          doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    // Others keep negative and above-range values as given.
    const struct {
        int index;
        float set;
        double value, tolerance, normalised;
    } cases[] = {
        {kLimiterGain, 0.0f, 8.0, 1e-5, 8.0 / 393.0}, {kBassFreq, 0.0f, 80.0, 1e-4, 0.16},
        {kMidFreq, -3.0f, 500.0, 1e-3, 500.0 / 3000.0}, {kTrebleFreq, 0.1f, 3000.0, 1e-2, 0.15},
        {kTrebleFreq, 0.2f, 4000.0, 1e-2, 0.2},       {kAlgorithm, 0.99f, 4.95, 1e-6, 0.99},
        {kBodyBoost, -0.5f, -193.5, 1e-4, -0.5},      {kAlgorithm, 1.5f, 7.5, 1e-6, 1.5},
        {kLimiterGain, 2.0f, 786.0, 1e-3, 2.0},
    };
    for (const auto& c : cases) {
        INFO("parameter ", c.index, " set to ", c.set);
        fx->setParameter(c.index, c.set);
        CHECK_NEAR(fx->engine.value(c.index), c.value, c.tolerance);
        CHECK_NEAR(fx->getParameter(c.index), c.normalised, 1e-7);
        CHECK_NEAR(fx->engine.programValue(0, c.index), c.normalised, 1e-7);
    }
    fx->setParameter(kLimiterGain, 0.0f);
    CHECK_EQ(fx->engine.programValue(0, kLimiterGain), 8.0f / 393.0f);
}

TEST_CASE("a NaN value is ignored; infinities and huge values stay defined" * doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    fx->setParameter(kOutGain, 0.5f);
    fx->setParameter(kOutGain, nan);
    CHECK_EQ(fx->getParameter(kOutGain), 0.5f);
    CHECK_EQ(fx->engine.programValue(0, kOutGain), 0.5f);
    // Limiter Gain beyond the scale reads the top of the table, never past it.
    fx->setParameter(kLimiterGain, inf);
    CHECK_NEAR(fx->engine.limiterGain(), 7.0, 1e-6);
    fx->setParameter(kLimiterGain, 1e30f);
    CHECK_NEAR(fx->engine.limiterGain(), 7.0, 1e-6);
    fx->setParameter(kLimiterGain, -inf);
    CHECK_NEAR(fx->engine.value(kLimiterGain), 8.0, 1e-5);
    fx->setParameter(kOutGain, inf);
    CHECK_EQ(fx->engine.outputGain(), 1.0f);
    fx->setParameter(kOutGain, -inf);
    CHECK_NEAR(fx->engine.outputGain(), 0.001, 1e-9);
    for (int i = 0; i < kNumParams; ++i) CHECK(!std::isnan(fx->getParameter(i)));
}

TEST_CASE("indices outside the table are ignored" * doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    float before[20];
    for (int i = 0; i < 20; ++i) before[i] = fx->engine.value(i);
    for (VstInt32 index : {-1, 17, 19, 20, 1000, -2147483647 - 1}) {
        fx->setParameter(index, 0.75f);
        fx->reportParameter(index);
        CHECK_EQ(fx->getParameter(index), 0.0f);
    }
    for (int i = 0; i < 20; ++i) CHECK_EQ(fx->engine.value(i), before[i]);
    for (int i = kNumParams; i < 20; ++i) CHECK_EQ(fx->engine.programValue(0, i), 0.0f);
    CHECK_EQ(automations().size(), size_t(kNumParams));  // only the constructor's
}

TEST_CASE("setProgram restores a program and reports all seventeen values in order" *
          doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    fx->setProgram(3);
    fx->setParameter(kDullSharp, 0.25f);
    fx->setParameter(kMidFreq, 0.5f);
    fx->setProgram(0);
    CHECK_NEAR(fx->engine.value(kDullSharp), 150.0, 1e-4);
    CHECK_NEAR(fx->engine.value(kMidFreq), 800.0, 1e-3);
    CHECK_NEAR(fx->engine.programValue(0, kDullSharp), 150.0 / 162.0, 1e-6);  // program 0 untouched

    automations().clear();
    fx->setProgram(3);
    CHECK_EQ(fx->getProgram(), 3);
    CHECK_NEAR(fx->engine.value(kDullSharp), 40.5, 1e-4);
    CHECK_NEAR(fx->engine.value(kMidFreq), 1500.0, 1e-3);
    CHECK_NEAR(fx->engine.rampFactor(), (1.0 - 40.5 / 168.0) * 0.5, 1e-6);
    CHECK_EQ(automations().size(), size_t(kNumParams));
    CHECK(sentInIndexOrder(automations(), 0));
    if (automations().size() == size_t(kNumParams)) {
        CHECK_NEAR(automations()[kDullSharp].value, 0.25, 1e-6);
        CHECK_NEAR(automations()[kMidFreq].value, 0.5, 1e-6);
    }

    automations().clear();
    for (VstInt32 p : {-1, 10, 99}) fx->setProgram(p);
    CHECK_EQ(fx->getProgram(), 3);
    CHECK_EQ(automations().size(), size_t(0));
}

TEST_CASE("program names: initial fields, current program only, cut at 23" * doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    char text[64];
    std::memset(text, 'x', sizeof text);
    fx->getProgramName(text);
    CHECK_STR(text, "Default                ");
    fx->setProgram(9);
    fx->getProgramName(text);
    CHECK_STR(text, "empty 9                ");

    char name[] = "Loud master";
    fx->setProgramName(name);
    CHECK_STR(fx->engine.programName(9), "Loud master");
    CHECK_STR(fx->engine.programName(8), "empty 8                ");
    // The stored name comes back even when the caller's buffer already holds it.
    std::strcpy(text, "Loud master");
    fx->getProgramName(text);
    CHECK_STR(text, "Loud master");

    char longName[] = "A name far longer than the twenty-three characters";
    fx->setProgramName(longName);
    CHECK_STR(fx->engine.programName(9), "A name far longer than ");
    CHECK_EQ(std::strlen(fx->engine.programName(9)), size_t(23));
    CHECK_STR(fx->engine.programName(0), "Default                ");
}

TEST_CASE("reportParameter stores what the editor wrote, recomputes and tells the host" *
          doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    automations().clear();
    fx->engine.setValue(kOutGain, 98.0f);
    fx->reportParameter(kOutGain);
    CHECK_NEAR(fx->engine.outputGain(), 0.501187, 1e-6);
    CHECK_NEAR(fx->engine.programValue(0, kOutGain), 0.5, 1e-7);
    CHECK_EQ(automations().size(), size_t(1));
    if (automations().size() == 1) {
        CHECK_EQ(automations()[0].index, VstInt32(kOutGain));
        CHECK_NEAR(automations()[0].value, 0.5, 1e-7);
    }
}

TEST_CASE("EQ Display changes reach the editor state only when the state changes" *
          doctest::test_suite("vst2.parameters")) {
    auto fx = makeEffect();
    CHECK_EQ(int(fx->eqDisplayShown), 0);  // the constructor's setProgram(0) handed over "closed"
    // 0.5 truncates to closed; any open code is "open", whatever its size or
    // sign, as the editor draws it.
    const std::pair<float, int> steps[] = {{1.0f, 1}, {1.0f, 1}, {0.5f, 0}, {300.0f, 1}, {0.0f, 0}, {-1.0f, 1}};
    for (const auto& [value, shown] : steps) {
        fx->setParameter(kEqDisplay, value);
        CHECK_EQ(int(fx->eqDisplayShown), shown);
    }
    CHECK_EQ(fx->editorView->height(), 218);
}
