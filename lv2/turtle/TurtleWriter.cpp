// Writes the LV2 bundle's Turtle at build time: manifest.ttl and the plug-in's
// description, every port from Ports.h and every parameter's range, default
// and unit from the engine's table in user units (ParameterUnits.h), and the
// description of its X11 user interface.
//   hok-lv2-turtle BUNDLE_DIR BINARY_NAME UI_BINARY_NAME
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/Engine.h"
#include "engine/ParameterText.h"
#include "engine/ParameterUnits.h"
#include "lv2/MeterHold.h"
#include "lv2/Ports.h"

namespace {

constexpr const char* kDescriptionFile = "hok-maximizer.ttl";

constexpr const char* kPrefixes =
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// Units and port properties by user unit.
struct UnitTerms {
    const char* unit;        // units: term, or null
    const char* properties;  // lv2:portProperty objects, or null
};
constexpr UnitTerms kUnitTerms[] = {
    {"units:db", nullptr},                      // Decibel
    {"units:pc", nullptr},                      // Percent
    {"units:hz", "pprops:logarithmic"},         // Hertz
    {nullptr, "lv2:integer, lv2:enumeration"},  // Code
    {nullptr, "lv2:integer, lv2:toggled"},      // Toggle
};

// A float as Turtle reads it back to the same float.
std::string number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(v));
    return text;
}

// The table's fixed-width name with its runs of blanks folded.
std::string displayName(const char* name) {
    std::string out;
    for (const char* c = name; *c; ++c)
        if (*c != ' ' || (!out.empty() && out.back() != ' ')) out += *c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string portHead(const char* kinds, uint32_t index, const char* symbol, const std::string& name) {
    return "    [\n        a " + std::string(kinds) + " ;\n        lv2:index " + std::to_string(index) +
           " ;\n        lv2:symbol \"" + symbol + "\" ;\n        lv2:name \"" + name + "\" ;\n";
}

std::string parameterPort(int i) {
    const UserScale s = userScale(i);
    const UnitTerms& terms = kUnitTerms[int(s.unit)];
    std::string port = portHead("lv2:InputPort, lv2:ControlPort", lv2port::kFirstParameter + uint32_t(i),
                                lv2port::kParameterSymbols[i], displayName(parameterName(i)));
    port += "        lv2:default " + number(s.defaultValue) + " ;\n        lv2:minimum " + number(s.lowest) +
            " ;\n        lv2:maximum " + number(s.highest) + " ;\n";
    if (terms.unit) port += "        units:unit " + std::string(terms.unit) + " ;\n";
    if (terms.properties) port += "        lv2:portProperty " + std::string(terms.properties) + " ;\n";
    if (s.unit == UserUnit::Code) {
        const ParameterInfo& p = kParameters[i];
        for (int c = 0; c < p.choiceCount; ++c)
            port += std::string(c ? ", [" : "        lv2:scalePoint [") + " rdfs:label \"" + p.choices[c] +
                    "\" ; rdf:value " + std::to_string(c) + " ]";
        port += " ;\n";
    }
    return port + "    ]";
}

std::string latencyPort() {
    return portHead("lv2:OutputPort, lv2:ControlPort", lv2port::kLatencyPort, "latency", "Latency") +
           "        lv2:designation lv2:latency ;\n        lv2:portProperty lv2:reportsLatency, lv2:integer ;\n"
           "        lv2:minimum 0 ;\n        lv2:maximum " + std::to_string(kLatency) +
           " ;\n        units:unit units:frame ;\n    ]";
}

// What each kind of meter holds, by lv2port::MeterKind, and over how long (MeterHold.h).
constexpr const char* kMeterHolds[] = {
    "The highest input sample after the drive gain",
    "The lowest gain the limiter applied",
    "The lowest gain of the soft knee",
};
std::string meterComment(uint32_t m) {
    return std::string(kMeterHolds[lv2port::meterKind(m)]) + " in the runs of at least the last 1/" +
           std::to_string(std::lround(1.0 / MeterHold::kHoldSeconds)) + " s of audio.";
}

std::string meterPort(uint32_t m) {
    const lv2port::MeterPort& meter = lv2port::kMeters[m];
    return portHead("lv2:OutputPort, lv2:ControlPort", lv2port::kFirstMeter + m, meter.symbol, meter.name) +
           "        rdfs:comment \"" + meterComment(m) + "\" ;\n" +
           "        lv2:minimum " + number(meter.lowest) + " ;\n        lv2:maximum " + number(meter.highest) +
           " ;\n        units:unit units:db ;\n    ]";
}

// The editor as an X11 child of the host's window, refreshed and fed the
// mouse from the host's idle calls, asking the host to resize its window when
// the equaliser section opens or closes; the meters reach it as port values.
std::string userInterface() {
    std::string ttl = "<" + std::string(lv2port::kUiUri) + ">\n    a ui:X11UI ;\n";
    ttl += "    lv2:requiredFeature ui:parent, ui:idleInterface ;\n";
    ttl += "    lv2:optionalFeature ui:resize, ui:noUserResize ;\n";
    ttl += "    lv2:extensionData ui:idleInterface ;\n    ui:portNotification";
    for (uint32_t m = 0; m < lv2port::kNumMeters; ++m)
        ttl += std::string(m ? " ,\n        [" : "\n        [") + " ui:plugin <" + lv2port::kPluginUri +
               "> ; lv2:symbol \"" + lv2port::kMeters[m].symbol + "\" ; ui:portIndex " +
               std::to_string(lv2port::kFirstMeter + m) + " ; ui:protocol ui:floatProtocol ]";
    return ttl + " .\n";
}

std::string description() {
    std::string ttl = kPrefixes;
    ttl += "<" + std::string(lv2port::kPluginUri) + ">\n    a lv2:Plugin, lv2:LimiterPlugin, doap:Project ;\n";
    ttl += "    doap:name \"Hok Maximizer\" ;\n    doap:maintainer [ foaf:name \"Qel\" ] ;\n";
    ttl += "    ui:ui <" + std::string(lv2port::kUiUri) + "> ;\n";
    ttl += "    lv2:optionalFeature lv2:hardRTCapable, opts:options, urid:map ;\n";
    ttl += "    opts:supportedOption bufsz:maxBlockLength ;\n    lv2:port\n";
    std::string ports;
    auto add = [&](const std::string& port) { ports += (ports.empty() ? "" : ",\n") + port; };
    for (uint32_t a = 0; a < 4; ++a)
        add(portHead(a < lv2port::kOutLeft ? "lv2:AudioPort, lv2:InputPort" : "lv2:AudioPort, lv2:OutputPort", a,
                     lv2port::kAudio[a].symbol, lv2port::kAudio[a].name) + "    ]");
    for (int i = 0; i < kNumParams; ++i) add(parameterPort(i));
    add(latencyPort());
    for (uint32_t m = 0; m < lv2port::kNumMeters; ++m) add(meterPort(m));
    return ttl + ports + " .\n\n" + userInterface();
}

std::string manifest(const std::string& binary, const std::string& uiBinary) {
    return "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n<" +
           std::string(lv2port::kPluginUri) + ">\n    a lv2:Plugin ;\n    lv2:binary <" + binary +
           "> ;\n    rdfs:seeAlso <" + kDescriptionFile + "> .\n\n<" + lv2port::kUiUri +
           ">\n    a ui:X11UI ;\n    ui:binary <" + uiBinary + "> ;\n    rdfs:seeAlso <" + kDescriptionFile + "> .\n";
}

bool write(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: hok-lv2-turtle BUNDLE_DIR BINARY_NAME UI_BINARY_NAME\n");
        return 2;
    }
    const MaximizerEngine tables;  // the level scale that Limiter Gain's range reads
    const std::string dir = argv[1];
    if (!write(dir + "/manifest.ttl", manifest(argv[2], argv[3])) || !write(dir + "/" + kDescriptionFile, description())) {
        std::fprintf(stderr, "hok-lv2-turtle: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
