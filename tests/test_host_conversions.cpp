// The value-to-text conversions: every worked example, the limits, and that
// no call writes past nine bytes.
#include <initializer_list>
#include <utility>

#include "tests/support/Checks.h"
#include "tests/test_host_support.h"

using hosttest::SpyEffect;

namespace {
// Runs a conversion into a buffer guarded past its ninth byte.
template <typename F>
std::string convert(F f) {
    char text[32];
    std::memset(text, '#', sizeof text);
    f(text);
    for (int i = 9; i < 32; ++i)
        if (text[i] != '#') return "<wrote past 9 bytes>";
    if (std::memchr(text, 0, 9) == nullptr) return "<no terminator>";
    return text;
}

std::string f2s(float v, int8_t start = 0) {
    SpyEffect fx;
    return convert([&](char* t) { fx.float2string(v, t, start); });
}

// Each value's text at one start count.
void checkFloats(int8_t start, std::initializer_list<std::pair<float, const char*>> table) {
    for (const auto& [v, text] : table) {
        INFO(v, " at start count ", int(start));
        CHECK_STR(f2s(v, start), text);
    }
}

std::string l2s(VstInt32 v) {
    SpyEffect fx;
    return convert([&](char* t) { fx.long2string(v, t); });
}
}  // namespace

TEST_CASE("float2string worked examples at start count 0" * doctest::test_suite("host.conversions")) {
    checkFloats(0, {{0.0f, "0:000000"}, {1.5f, "1:500000"}, {-1.5f, "-1:50000"}, {12.25f, "12:25000"},
                    {0.7f, "0:699999"}, {6.02f, "6:019999"}, {123.456f, "123:4560"}, {3000.0f, "3000:000"},
                    {1234567.0f, "1234567:"}, {-0.5f, "-0:50000"}});
}

TEST_CASE("float2string with the callers' start counts" * doctest::test_suite("host.conversions")) {
    checkFloats(4, {{1.5f, "1:50"}, {-1.5f, "-1:5"}, {12.25f, "12:2"}, {123.456f, "123:"}, {-96.5f, "-96:"},
                    {999.0f, "999:"}, {-99.0f, "-99:"}, {0.0f, "0:00"}});
    CHECK_STR(f2s(12345.678f, 2), "12345:");
    // Four characters whenever the integer part fits.
    for (float v : {0.01f, 9.99f, 10.5f, 99.9f, 100.0f, 998.7f, -0.3f, -9.9f, -42.0f})
        CHECK_EQ(f2s(v, 4).size(), (size_t)4);
}

TEST_CASE("float2string shows Huge! past its limits and never drops leading digits" *
          doctest::test_suite("host.conversions")) {
    // Integer digits beyond the budget would otherwise be cut from the left ("000:").
    const std::pair<float, int8_t> huge[] = {{99999999.0f, 0}, {1.0e9f, 0},   {-10000000.0f, 0}, {INFINITY, 0},
                                             {-INFINITY, 0},   {NAN, 0},      {3000.0f, 4},      {-100.0f, 4},
                                             {12345678.0f, 0}, {-1234567.0f, 0}};
    for (const auto& [v, start] : huge) {
        INFO(v, " at start count ", int(start));
        CHECK_STR(f2s(v, start), " Huge!  ");
    }
    // A negative start count is taken as 0: the text still fits nine bytes.
    CHECK_STR(f2s(1.5f, -100), "1:500000");
}

TEST_CASE("long2string right-aligns in seven and cuts at eight" * doctest::test_suite("host.conversions")) {
    const std::pair<VstInt32, const char*> table[] = {
        {0, "      0"},          {-5, "     -5"},          {12345678, "12345678"},        {99999999, "99999999"},
        {100000000, " Huge!  "}, {2147483647, " Huge!  "}, {-10000000, "-1000000"}, {-2147483647 - 1, "-2147483"}};
    for (const auto& [v, text] : table) CHECK_STR(l2s(v), text);
}

TEST_CASE("dB, Hz and ms texts at the stored sample rate" * doctest::test_suite("host.conversions")) {
    SpyEffect fx;
    auto dB = [&](float v) { return convert([&](char* t) { fx.dB2string(v, t); }); };
    auto hz = [&](float v) { return convert([&](char* t) { fx.Hz2string(v, t); }); };
    auto ms = [&](float v) { return convert([&](char* t) { fx.ms2string(v, t); }); };
    CHECK_STR(dB(0.5f), "-6:02059");
    CHECK_STR(dB(1.0f), "0:000000");
    CHECK_STR(dB(0.0f), "  -oo   ");
    CHECK_STR(dB(-1.0f), "  -oo   ");
    CHECK_STR(hz(100.0f), "441:0000");
    CHECK_STR(hz(0.0f), "0:000000");
    CHECK_STR(ms(100.0f), "2:267573");
    fx.setSampleRate(48000.0f);
    CHECK_STR(hz(100.0f), "480:0000");
    CHECK_STR(ms(48.0f), "1:000000");
}
