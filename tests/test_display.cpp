// Parameter names, value texts and units as the host's generic display shows them.
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>

#include "vst2/MaximizerEffect.h"
#include "engine/Parameters.h"
#include "tests/support/Checks.h"

namespace {

std::unique_ptr<MaximizerEffect> makeEffect() { return std::make_unique<MaximizerEffect>(nullptr); }

// The display text of parameter index at internal value v (written the way
// the editor writes values, then recomputed).
std::string display(MaximizerEffect& fx, int index, float v) {
    fx.engine.setValue(index, v);
    fx.engine.updateCoefficients();
    char text[64];
    std::memset(text, 0, sizeof text);
    fx.getParameterDisplay(index, text);
    return text;
}

// Internal values and the texts they must show.
struct Shown {
    int index;
    float value;
    const char* text;
};
void checkShown(MaximizerEffect& fx, std::initializer_list<Shown> table) {
    for (const Shown& s : table) {
        INFO("parameter ", s.index, " at ", s.value);
        CHECK_STR(display(fx, s.index, s.value), s.text);
    }
}

std::string label(MaximizerEffect& fx, int index) {
    char text[64];
    std::strcpy(text, "untouched");
    fx.getParameterLabel(index, text);
    return text;
}

}  // namespace

TEST_CASE("the worked display values; huge and infinite values give bounded texts" *
          doctest::test_suite("vst2.display")) {
    auto fx = makeEffect();
    const float inf = std::numeric_limits<float>::infinity();
    checkShown(*fx, {{kLimiterGain, 207, "0:00"}, {kLimiterGain, 208, "0:10"},     {kLimiterGain, 150, "-5:4"},
                     {kLimiterGain, 8, "-96:"},   {kLimiterGain, 393, "16:0"},     {kDullSharp, 150, "92:5"},
                     {kDullSharp, 162, "100:"},   {kOutGain, 196, "0:00"},         {kOutGain, 195, "0:00"},
                     {kOutGain, 98, "-6:0"},      {kOutGain, 0, "-60:"},           {kBodyBoost, 193.5f, "     50"},
                     {kBassBoost, 100, "-2:9db"}, {kBassBoost, 0.5f, "inf"},       {kBassBoost, 200, "     41%"},
                     {kTrebleFreq, 20000, "  20000"},
                     {kBodyBoost, inf, " Huge!  "}, {kBassFreq, 1e12f, " Huge!  "}, {kBassBoost, inf, " Huge!  %"},
                     {kDullSharp, -inf, " Huge!  "},
                     {kLimiterGain, inf, "16:9"}});  // the top of the level scale
}

TEST_CASE("boost texts around neutral and at the ends" * doctest::test_suite("vst2.display")) {
    auto fx = makeEffect();
    for (int index : {kBassBoost, kMidBoost, kHiBoost})  // a negative amount removes the band too
        checkShown(*fx, {{index, 0.9f, "inf"},      {index, 1.0f, "-42:db"},  {index, 70, "-6:0db"},
                         {index, 140.9f, "-0:0db"}, {index, 141, "      0%"}, {index, 282, "    100%"},
                         {index, -5, "inf"}});
}

TEST_CASE("codes pick their names; codes outside a list leave the buffer" * doctest::test_suite("vst2.display")) {
    auto fx = makeEffect();
    MaximizerEffect& e = *fx;
    checkShown(e, {{kAlgorithm, 0, "Full"},         {kAlgorithm, 4.99f, "Smooth SK"}, {kAlgorithm, 5, "Falling SK"},
                   {kSoftKnee, 1.5f, "Medium"},     {kSoftKnee, 2, "Fast"},           {kStereoLink, 0.5f, "Off"},
                   {kStereoLink, 1, "Linked"},      {kStereoLink, 7, "Linked"},       {kAutoSelectChannels, 1, "On"},
                   {kForceChannels, 2, "Right"},    {kEqOnOff, 0, "Off"},             {kEqOnOff, 3, "On"},
                   {kEqDisplay, 0.99f, "Closed"},   {kEqDisplay, 1, "Open"},          {kBassFreq, 80.7f, "     80"},
                   {kMidFreq, 3000, "   3000"}});

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Outside {
        int index;
        float value;
    } outside[] = {{kAlgorithm, 6}, {kAlgorithm, -1}, {kAlgorithm, 1e30f}, {kAlgorithm, inf}, {kAlgorithm, -inf},
                   {kSoftKnee, 3}, {kSoftKnee, -2}, {kSoftKnee, nan + 3}, {kAutoSelectChannels, 2},
                   {kForceChannels, 3}, {kForceChannels, -inf}};
    for (const Outside& o : outside) {
        e.engine.setValue(o.index, o.value);
        char text[16] = "previous";
        e.getParameterDisplay(o.index, text);
        CHECK_STR(text, o.value != o.value ? "Slow" : "previous");  // NaN truncates to code 0
    }
}

TEST_CASE("names and labels" * doctest::test_suite("vst2.display")) {
    auto fx = makeEffect();
    MaximizerEffect& e = *fx;
    char text[64];
    std::memset(text, 'x', sizeof text);
    e.getParameterName(kSoftKnee, text);
    CHECK_STR(text, "SoftKnee       S/M/H  ");
    CHECK_EQ(text[23], 'x');  // 23 bytes written, no more
    e.getParameterName(kMidBoost, text);
    CHECK_STR(text, "Mid  Boost            ");

    CHECK_STR(label(e, kAlgorithm), "Transient");
    CHECK_STR(label(e, kStereoLink), "untouched");
    CHECK_STR(label(e, kHiBoost), "             ");
    for (int i = kAutoSelectChannels; i < kNumParams; ++i) CHECK_STR(label(e, i), "              ");
}

TEST_CASE("requests for indices outside the table leave the buffer, but labels above it" *
          doctest::test_suite("vst2.display")) {
    auto fx = makeEffect();
    for (VstInt32 index : {-1, 17, 20, 255, 2147483647, -2147483647 - 1}) {
        char text[32] = "previous";
        fx->getParameterDisplay(index, text);
        CHECK_STR(text, "previous");
        fx->getParameterName(index, text);
        CHECK_STR(text, "previous");
        // Every index from 13 upward has the 14-blank label; negative ones none.
        fx->getParameterLabel(index, text);
        CHECK_STR(text, index < 0 ? "previous" : "              ");
    }
}
