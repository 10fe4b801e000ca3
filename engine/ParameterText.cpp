#include "engine/ParameterText.h"

#include <cmath>
#include <cstring>

#include "engine/Parameters.h"
#include "engine/Text.h"

namespace {
// Decibels of a linear value, carried in double and handed over as a float.
float decibels(double linear) { return float(20.0 * std::log10(linear)); }

// 141 is neutral: a boost in percent above it, a cut in dB below, "inf" when
// the band is removed (a negative amount too).
void boostText(float v, char* text) {
    const int32_t code = truncateToInt(v);
    if (code > 140) {
        long2string(truncateToInt((double(v) - kNeutralBoost) * double(1.0f / kNeutralBoost) * double(100.05f)), text);
        std::strcat(text, "%");
    } else if (code < 1) {
        std::strcpy(text, "inf");
    } else {
        float2string(decibels(double(v) * double(1.0f / kNeutralBoost)), text, 4);
        std::strcat(text, "db");
    }
}
}  // namespace

const char* parameterName(int32_t index) { return isParameterIndex(index) ? kParameters[index].name : nullptr; }

const char* parameterLabel(int32_t index) {
    if (index < 0) return nullptr;
    if (index >= kNumParams) return kBlanks14;
    return kParameters[index].label;
}

void parameterDisplay(int32_t index, float v, float limiterGain, float outputGain, char* text) {
    if (!text || !isParameterIndex(index)) return;
    const ParameterInfo& p = kParameters[index];
    const int32_t code = truncateToInt(v);
    switch (p.kind) {
        case ValueKind::LimiterGain: float2string(decibels(limiterGain), text, 4); break;
        case ValueKind::OutGain: float2string(decibels(outputGain), text, 4); break;
        case ValueKind::Percent: float2string(float(double(v) * double(1.0f / p.max) * 100.0), text, 4); break;
        case ValueKind::WholePercent: long2string(truncateToInt(double(v) * double(1.0f / p.max) * 100.0), text); break;
        case ValueKind::Boost: boostText(v, text); break;
        case ValueKind::Hertz: long2string(code, text); break;
        case ValueKind::Choice:
            if (code >= 0 && code < p.choiceCount) std::strcpy(text, p.choices[code]);
            break;
        case ValueKind::Switch: std::strcpy(text, p.choices[code == 0 ? 0 : 1]); break;
    }
}
