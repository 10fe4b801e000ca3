// The LV2 plug-in's ports, in index order: stereo audio in and out, the
// seventeen parameters as control inputs in the order of the parameter table,
// the latency, and the meters as control outputs. The plug-in and the Turtle
// generator both read this; ranges, units and defaults of the parameters come
// from the engine (ParameterUnits.h).
#pragma once
#include <cstdint>
#include <iterator>

#include "engine/Parameters.h"

namespace lv2port {

inline constexpr const char* kPluginUri = "urn:qel:hok-maximizer";

enum : uint32_t { kInLeft, kInRight, kOutLeft, kOutRight, kFirstParameter };
constexpr uint32_t kLatencyPort = kFirstParameter + kNumParams;
constexpr uint32_t kFirstMeter = kLatencyPort + 1;

struct AudioPort {
    const char* symbol;
    const char* name;
};
inline constexpr AudioPort kAudio[] = {{"in_left", "In L"}, {"in_right", "In R"}, {"out_left", "Out L"}, {"out_right", "Out R"}};

// Port symbols of the parameters, by parameter index. Hosts save sessions by
// symbol: these never change.
inline constexpr const char* kParameterSymbols[] = {
    "limiter_gain", "dull_sharp", "out_gain", "algorithm", "soft_knee", "stereo_link",
    "body_boost", "bass_boost", "mid_boost", "hi_boost", "bass_freq", "mid_freq",
    "treble_freq", "auto_select", "force_channels", "eq_on", "eq_display",
};
static_assert(std::size(kParameterSymbols) == kNumParams, "one symbol per parameter");

// Meters, in dB, held inside their range: per channel the highest input
// sample after the drive gain, the limiter's lowest gain and the soft knee's
// gain, each over the last run.
struct MeterPort {
    const char* symbol;
    const char* name;
    float lowest, highest;
};
enum MeterKind : uint32_t { kPeakMeter, kReductionMeter, kKneeMeter };
inline constexpr MeterPort kMeters[] = {
    {"peak_left", "Input Peak L", -96.0f, 20.0f},        {"peak_right", "Input Peak R", -96.0f, 20.0f},
    {"reduction_left", "Gain Reduction L", -80.0f, 0.0f}, {"reduction_right", "Gain Reduction R", -80.0f, 0.0f},
    {"knee_left", "Knee Gain L", -20.0f, 0.0f},          {"knee_right", "Knee Gain R", -20.0f, 0.0f},
};
constexpr uint32_t meterIndex(MeterKind kind, int channel) { return uint32_t(kind) * 2 + uint32_t(channel); }
constexpr uint32_t kNumMeters = std::size(kMeters);
constexpr uint32_t kNumPorts = kFirstMeter + kNumMeters;

}  // namespace lv2port
