// The seventeen parameters and the ten programs' initial names, as data.
#pragma once
#include <cstdint>

#include "engine/MaximizerEffect.h"

struct ParameterInfo {
    const char* name;    // 22 characters as the host sees them, blanks included
    float max;           // internal value that a normalised 1.0 stands for
    float defaultValue;  // internal units
    float lowest;        // lowest internal value accepted; 0 means no clamp
};

constexpr int kParameterNameLength = 22;
constexpr int kProgramNameLength = 23;

extern const ParameterInfo kParameters[kNumParams];
extern const char* const kProgramNames[kNumPrograms];

inline bool isParameterIndex(VstInt32 index) { return index >= 0 && index < kNumParams; }
inline bool isProgramIndex(VstInt32 index) { return index >= 0 && index < kNumPrograms; }

// The lower clamp of setParameter, tested on the normalised value with a float
// product: Limiter Gain and the three frequencies have a floor, the others none.
inline float clampToLowest(const ParameterInfo& p, float value) {
    if (p.lowest > 0.0f && value * p.max < p.lowest) return p.lowest / p.max;
    return value;
}
