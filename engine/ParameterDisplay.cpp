#include <cmath>
#include <cstring>

#include "engine/MaximizerEffect.h"
#include "engine/Parameters.h"
#include "engine/Truncate.h"

namespace {
constexpr const char* kAlgorithmNames[] = {"Full", "Smooth", "Falling", "Full SK", "Smooth SK", "Falling SK"};
constexpr const char* kKneeNames[] = {"Slow", "Medium", "Fast"};
constexpr const char* kAutoSelectNames[] = {"Off", "On"};
constexpr const char* kForceChannelNames[] = {"Stereo", "Left", "Right"};

constexpr const char* kBlanks12 = "            ";
constexpr const char* kBlanks13 = "             ";
constexpr const char* kBlanks14 = "              ";

// Units by parameter; null leaves the caller's buffer as it was.
constexpr const char* kLabels[kNumParams] = {
    "db",     kBlanks12, "db",      "Transient", kBlanks12, nullptr,   "%",       kBlanks13, kBlanks13,
    kBlanks13, "Hz",     "Hz",      "Hz",        kBlanks14, kBlanks14, kBlanks14, kBlanks14,
};

// Writes the name of code from a list, or nothing for a code outside it.
template <int N>
void writeCode(const char* const (&names)[N], float value, char* text) {
    const int32_t code = truncateToInt(value);
    if (code >= 0 && code < N) std::strcpy(text, names[code]);
}

// Decibels of a linear value, carried in double and handed over as a float.
float decibels(double linear) { return float(20.0 * std::log10(linear)); }
}  // namespace

void MaximizerEffect::getParameterName(VstInt32 index, char* text) {
    if (!text || !isParameterIndex(index)) return;
    std::memcpy(text, paramName[index], kParameterNameLength + 1);
}

void MaximizerEffect::getParameterLabel(VstInt32 index, char* label) {
    if (!label || !isParameterIndex(index) || !kLabels[index]) return;
    std::strcpy(label, kLabels[index]);
}

void MaximizerEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (!text || !isParameterIndex(index)) return;
    const float v = paramValue[index];
    const int32_t code = truncateToInt(v);
    switch (index) {
        case kLimiterGain: float2string(decibels(limiterGain), text, 4); break;
        case kDullSharp: float2string(float(double(v) * double(1.0f / 162.0f) * 100.0), text, 4); break;
        case kOutGain: float2string(decibels(outputGain), text, 4); break;
        case kAlgorithm: writeCode(kAlgorithmNames, v, text); break;
        case kSoftKnee: writeCode(kKneeNames, v, text); break;
        case kStereoLink: std::strcpy(text, code == 0 ? "Off" : "Linked"); break;
        case kBodyBoost: long2string(truncateToInt(double(v) * double(1.0f / 387.0f) * 100.0), text); break;
        case kBassBoost:
        case kMidBoost:
        case kHiBoost:
            // 141 is neutral: a boost in percent above it, a cut in dB below.
            if (code > 140) {
                long2string(truncateToInt((double(v) - 141.0) * double(1.0f / 141.0f) * double(100.05f)), text);
                std::strcat(text, "%");
            } else if (code < 1) {
                std::strcpy(text, "inf");  // the band is removed (a negative amount too)
            } else {
                float2string(decibels(double(v) * double(1.0f / 141.0f)), text, 4);
                std::strcat(text, "db");
            }
            break;
        case kBassFreq:
        case kMidFreq:
        case kTrebleFreq: long2string(code, text); break;
        case kAutoSelectChannels: writeCode(kAutoSelectNames, v, text); break;
        case kForceChannels: writeCode(kForceChannelNames, v, text); break;
        case kEqOnOff: std::strcpy(text, code == 0 ? "Off" : "On"); break;
        case kEqDisplay: std::strcpy(text, code == 0 ? "Closed" : "Open"); break;
    }
}
