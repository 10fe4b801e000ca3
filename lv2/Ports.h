// The LV2 plug-in's ports, in index order: stereo audio in and out, the
// seventeen parameters as control inputs in the order of the parameter table,
// the latency, and the meters as control outputs. The plug-in, its user
// interface and the Turtle generator read this; ranges, units and defaults of
// the parameters come from the engine (ParameterUnits.h).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "engine/Parameters.h"

namespace lv2port {

inline constexpr const char* kPluginUri = "urn:qel:hok-maximizer";
inline constexpr const char* kUiUri = "urn:qel:hok-maximizer#ui";

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
// lowest gain, each over the runs of at least the last 1/25 s of audio
// (MeterHold.h), so a user interface refreshed 25 times a second or more
// misses none. Peaks reach down to -120 dB, where the editor's peak bar has
// no pixel left.
struct MeterPort {
    const char* symbol;
    const char* name;
    float lowest, highest;
};
enum MeterKind : uint32_t { kPeakMeter, kReductionMeter, kKneeMeter };
inline constexpr MeterPort kMeters[] = {
    {"peak_left", "Input Peak L", -120.0f, 20.0f},       {"peak_right", "Input Peak R", -120.0f, 20.0f},
    {"reduction_left", "Gain Reduction L", -80.0f, 0.0f}, {"reduction_right", "Gain Reduction R", -80.0f, 0.0f},
    {"knee_left", "Knee Gain L", -20.0f, 0.0f},          {"knee_right", "Knee Gain R", -20.0f, 0.0f},
};
constexpr uint32_t meterIndex(MeterKind kind, int channel) { return uint32_t(kind) * 2 + uint32_t(channel); }
constexpr MeterKind meterKind(uint32_t meter) { return MeterKind(meter / 2); }
constexpr int meterChannel(uint32_t meter) { return int(meter % 2); }
constexpr uint32_t kNumMeters = std::size(kMeters);
constexpr uint32_t kNumPorts = kFirstMeter + kNumMeters;

// A meter's port value for a linear value, in dB inside the port's range (0,
// and no peak at all, read as the floor); and the linear value of a port
// value. A peak at the floor is silence; the gains' floors are the lowest
// gains the engine applies.
inline float meterDb(uint32_t meter, float linear) {
    const MeterPort& port = kMeters[meter];
    const float db = linear > 0.0f ? float(20.0 * std::log10(double(linear))) : port.lowest;
    return std::clamp(db, port.lowest, port.highest);
}
inline float meterLinear(uint32_t meter, float db) {
    const MeterPort& port = kMeters[meter];
    if (meterKind(meter) == kPeakMeter && !(db > port.lowest)) return 0.0f;
    return float(std::pow(10.0, double(std::clamp(db, port.lowest, port.highest)) / 20.0));
}

}  // namespace lv2port
