// The bundle's Turtle: valid against the LV2 specifications, and read by
// lilv with every port where it belongs, in the units, ranges and defaults
// the engine gives its parameters.
#include <cstdio>
#include <string>

#include "engine/Engine.h"
#include "engine/ParameterUnits.h"
#include <doctest.h>
#include "tests/lv2/Lv2Host.h"

namespace {

constexpr const char* kLv2 = "http://lv2plug.in/ns/lv2core#";
constexpr const char* kUnits = "http://lv2plug.in/ns/extensions/units#";

std::string lv2(const char* term) { return kLv2 + std::string(term); }

// The output of a command and its exit status.
int runCommand(const std::string& command, std::string& output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char chunk[512];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, n);
    return pclose(pipe);
}

bool is(const LilvPort* port, const std::string& cls) {
    Lv2Bundle& b = Lv2Bundle::get();
    return lilv_port_is_a(b.plugin, port, b.uri(cls));
}
bool has(const LilvPort* port, const std::string& property) {
    Lv2Bundle& b = Lv2Bundle::get();
    return lilv_port_has_property(b.plugin, port, b.uri(property));
}
// The port's unit as a URI, or "" without one.
std::string unitOf(const LilvPort* port) {
    Lv2Bundle& b = Lv2Bundle::get();
    LilvNode* unit = lilv_port_get(b.plugin, port, b.uri(std::string(kUnits) + "unit"));
    const std::string text = unit && lilv_node_is_uri(unit) ? lilv_node_as_uri(unit) : "";
    lilv_node_free(unit);
    return text;
}

struct Range {
    float lowest = 0, highest = 0, defaultValue = 0;
    bool hasDefault = false;
};
Range rangeOf(const LilvPort* port) {
    Lv2Bundle& b = Lv2Bundle::get();
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(b.plugin, port, &def, &min, &max);
    Range r{min ? lilv_node_as_float(min) : -1e30f, max ? lilv_node_as_float(max) : 1e30f,
            def ? lilv_node_as_float(def) : 0.0f, def != nullptr};
    for (LilvNode* n : {def, min, max}) lilv_node_free(n);
    return r;
}

}  // namespace

TEST_CASE("lv2_validate finds no error in the bundle's Turtle" * doctest::test_suite("lv2.bundle")) {
    std::string output;
    const int status = runCommand(std::string("lv2_validate ") + HOK_LV2_BUNDLE "/manifest.ttl " HOK_LV2_BUNDLE
                                  "/hok-maximizer.ttl",
                                  output);
    CHECK_EQ(status, 0);
    CHECK(output.find("Found 0 errors") != std::string::npos);
    if (status != 0) std::printf("%s\n", output.c_str());
}

TEST_CASE("lilv reads each port: parameters in the engine's units, ranges and defaults, latency, meters" *
          doctest::test_suite("lv2.bundle")) {
    Lv2Bundle& b = Lv2Bundle::get();
    CHECK(b.plugin != nullptr);
    if (!b.plugin) return;
    const MaximizerEngine tables;  // Limiter Gain's range reads the level scale
    CHECK_EQ(lilv_plugin_get_num_ports(b.plugin), lv2port::kNumPorts);
    for (uint32_t a = 0; a < 4; ++a) {
        const LilvPort* port = b.port(a);
        CHECK((is(port, lv2("AudioPort")) && is(port, lv2(a < lv2port::kOutLeft ? "InputPort" : "OutputPort"))));
    }

    const std::string unitUri[] = {std::string(kUnits) + "db", std::string(kUnits) + "pc", std::string(kUnits) + "hz",
                                   "", ""};
    for (int i = 0; i < kNumParams; ++i) {
        const LilvPort* port = b.port(lv2port::kFirstParameter + uint32_t(i));
        const UserScale s = userScale(i);
        const Range r = rangeOf(port);
        CHECK((is(port, lv2("ControlPort")) && is(port, lv2("InputPort"))));
        CHECK_EQ(std::string(lilv_node_as_string(lilv_port_get_symbol(b.plugin, port))),
                 std::string(lv2port::kParameterSymbols[i]));
        CHECK(r.hasDefault);
        CHECK_EQ(r.lowest, s.lowest);
        CHECK_EQ(r.highest, s.highest);
        CHECK_EQ(r.defaultValue, s.defaultValue);
        CHECK_EQ(unitOf(port), unitUri[int(s.unit)]);
        CHECK_EQ(has(port, lv2("toggled")), s.unit == UserUnit::Toggle);
        CHECK_EQ(has(port, lv2("enumeration")), s.unit == UserUnit::Code);
        if (s.unit != UserUnit::Code) continue;
        CHECK(has(port, lv2("integer")));
        LilvScalePoints* points = lilv_port_get_scale_points(b.plugin, port);
        int named = 0;
        LILV_FOREACH (scale_points, k, points) {
            const LilvScalePoint* point = lilv_scale_points_get(points, k);
            const int code = lilv_node_as_int(lilv_scale_point_get_value(point));
            const std::string label = lilv_node_as_string(lilv_scale_point_get_label(point));
            named += code >= 0 && code < kParameters[i].choiceCount && label == kParameters[i].choices[code];
        }
        CHECK_EQ(named, kParameters[i].choiceCount);
        lilv_scale_points_free(points);
    }
    // What a user sees at the defaults: 0 dB of drive and of output, neutral bands.
    CHECK_EQ(userScale(kLimiterGain).defaultValue, 0.0f);
    CHECK_EQ(userScale(kOutGain).lowest, -60.0f);
    CHECK_EQ(userScale(kBassBoost).defaultValue, 0.0f);

    const LilvPort* latency = b.port(lv2port::kLatencyPort);
    CHECK((is(latency, lv2("ControlPort")) && is(latency, lv2("OutputPort")) && has(latency, lv2("reportsLatency"))));
    CHECK_EQ(lilv_plugin_get_latency_port_index(b.plugin), lv2port::kLatencyPort);
    for (uint32_t m = 0; m < lv2port::kNumMeters; ++m) {
        const LilvPort* port = b.port(lv2port::kFirstMeter + m);
        const Range r = rangeOf(port);
        CHECK((is(port, lv2("ControlPort")) && is(port, lv2("OutputPort"))));
        CHECK_EQ(unitOf(port), unitUri[0]);
        CHECK_EQ(r.lowest, lv2port::kMeters[m].lowest);
        CHECK_EQ(r.highest, lv2port::kMeters[m].highest);
    }
}
