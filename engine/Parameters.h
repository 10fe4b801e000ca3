// The seventeen parameters, declared once: every layer (the engine, the
// plug-in formats, the editor, the renderer) reads this table instead of
// restating a number. Values are held in two forms: the normalised 0..1 that
// hosts carry, and the internal value (normalised × max) that everything
// else reads. Codes and switches are the internal value truncated toward 0.
#pragma once
#include <cstdint>

#include "engine/Truncate.h"

constexpr int kNumPrograms = 10;
constexpr int kNumParams = 17;
constexpr int kParameterSlots = 20;  // entries 17..19 are spare
constexpr int kLatency = 2400;

enum ParameterIndex : int32_t {
    kLimiterGain, kDullSharp, kOutGain, kAlgorithm, kSoftKnee, kStereoLink, kBodyBoost, kBassBoost,
    kMidBoost, kHiBoost, kBassFreq, kMidFreq, kTrebleFreq, kAutoSelectChannels, kForceChannels, kEqOnOff,
    kEqDisplay,
};

// How a parameter's value reads as text and to a user.
enum class ValueKind : uint8_t {
    LimiterGain,   // a position on the level scale, shown as the drive gain in dB
    OutGain,       // output level × 196, shown as the applied gain in dB
    Percent,       // 0..max as a percentage of max, with decimals
    WholePercent,  // 0..max as a whole percentage of max
    Boost,         // 141 neutral: a cut in dB below, a boost in percent above
    Hertz,         // whole Hz
    Choice,        // a code naming one of `choices`; other codes have no name
    Switch,        // code 0 names choices[0], any other code choices[1]
};

struct ParameterInfo {
    const char* name;       // 22 characters as the host sees them, blanks included
    float max;              // internal value that a normalised 1.0 stands for
    float defaultValue;     // internal units
    float lowest;           // lowest internal value accepted; 0 means no clamp
    const char* label;      // the unit text hosts show; null leaves their buffer as it was
    ValueKind kind;
    const char* const* choices;  // Choice and Switch: the names of the codes
    int32_t choiceCount;
};

constexpr int kParameterNameLength = 22;
constexpr int kProgramNameLength = 23;

// Named values of the table.
constexpr float kNeutralBoost = 141.0f;  // Bass, Mid and Hi Boost leave their band alone here
constexpr float kBoostSpan = 282.0f;     // the boosts' max: twice the neutral value
constexpr float kLevelZeroDb = 207.0f;   // Limiter Gain position of a drive gain of exactly 1.0
constexpr float kOutGainUnity = 196.0f;  // Out Gain of 0 dB

// Names of the choices, by code.
inline constexpr const char* kAlgorithmNames[] = {"Full", "Smooth", "Falling", "Full SK", "Smooth SK", "Falling SK"};
inline constexpr const char* kKneeNames[] = {"Slow", "Medium", "Fast"};
inline constexpr const char* kLinkNames[] = {"Off", "Linked"};
inline constexpr const char* kOffOnNames[] = {"Off", "On"};
inline constexpr const char* kForceChannelNames[] = {"Stereo", "Left", "Right"};
inline constexpr const char* kEqDisplayNames[] = {"Closed", "Open"};

inline constexpr const char kBlanks12[] = "            ";
inline constexpr const char kBlanks13[] = "             ";
inline constexpr const char kBlanks14[] = "              ";

// clang-format off
inline constexpr ParameterInfo kParameters[kNumParams] = {
//   name as the host sees it   max       default        lowest  label        kind                     choices
    {"Limiter Gain          ", 393.0f,   kLevelZeroDb,  8.0f,    "db",        ValueKind::LimiterGain,  nullptr, 0},
    {"Dull-Sharp            ", 162.0f,   150.0f,        0.0f,    kBlanks12,   ValueKind::Percent,      nullptr, 0},
    {"Out Gain              ", 196.0f,   kOutGainUnity, 0.0f,    "db",        ValueKind::OutGain,      nullptr, 0},
    {"Algorithm             ", 5.0f,     3.0f,          0.0f,    "Transient", ValueKind::Choice,       kAlgorithmNames, 6},
    {"SoftKnee       S/M/H  ", 2.0f,     2.0f,          0.0f,    kBlanks12,   ValueKind::Choice,       kKneeNames, 3},
    {"Stereo Link           ", 1.0f,     1.0f,          0.0f,    nullptr,     ValueKind::Switch,       kLinkNames, 2},
    {"Body Boost            ", 387.0f,   0.0f,          0.0f,    "%",         ValueKind::WholePercent, nullptr, 0},
    {"Bass Boost            ", kBoostSpan, kNeutralBoost, 0.0f,  kBlanks13,   ValueKind::Boost,        nullptr, 0},
    {"Mid  Boost            ", kBoostSpan, kNeutralBoost, 0.0f,  kBlanks13,   ValueKind::Boost,        nullptr, 0},
    {"Hi   Boost            ", kBoostSpan, kNeutralBoost, 0.0f,  kBlanks13,   ValueKind::Boost,        nullptr, 0},
    {"Bass Freq             ", 500.0f,   100.0f,        80.0f,   "Hz",        ValueKind::Hertz,        nullptr, 0},
    {"Mid Freq              ", 3000.0f,  800.0f,        500.0f,  "Hz",        ValueKind::Hertz,        nullptr, 0},
    {"Treble Freq           ", 20000.0f, 3000.0f,       3000.0f, "Hz",        ValueKind::Hertz,        nullptr, 0},
    {"Auto Select Channels  ", 1.0f,     1.0f,          0.0f,    kBlanks14,   ValueKind::Choice,       kOffOnNames, 2},
    {"Force Channels  S/L/R ", 2.0f,     0.0f,          0.0f,    kBlanks14,   ValueKind::Choice,       kForceChannelNames, 3},
    {"EQ On/Off             ", 1.0f,     1.0f,          0.0f,    kBlanks14,   ValueKind::Switch,       kOffOnNames, 2},
    {"EQ Display            ", 1.0f,     0.0f,          0.0f,    kBlanks14,   ValueKind::Switch,       kEqDisplayNames, 2},
};
// clang-format on

inline constexpr const char* const kProgramNames[kNumPrograms] = {
    "Default                ", "empty 1                ", "empty 2                ", "empty 3                ",
    "empty 4                ", "empty 5                ", "empty 6                ", "empty 7                ",
    "empty 8                ", "empty 9                ",
};

constexpr int textLength(const char* s) {
    int n = 0;
    while (s[n]) ++n;
    return n;
}
constexpr bool fieldsHaveTheirWidth() {
    for (const ParameterInfo& p : kParameters)
        if (textLength(p.name) != kParameterNameLength) return false;
    for (const char* name : kProgramNames)
        if (textLength(name) != kProgramNameLength) return false;
    return true;
}
static_assert(fieldsHaveTheirWidth(), "names are fixed-width fields");

inline bool isParameterIndex(int32_t index) { return index >= 0 && index < kNumParams; }
inline bool isProgramIndex(int32_t index) { return index >= 0 && index < kNumPrograms; }

// The lower clamp of the setter, tested on the normalised value with a float
// product: Limiter Gain and the three frequencies have a floor, the others none.
inline float clampToLowest(const ParameterInfo& p, float value) {
    if (p.lowest > 0.0f && value * p.max < p.lowest) return p.lowest / p.max;
    return value;
}

// The one rule for "the equaliser section is open": any non-zero code.
inline bool eqSectionOpen(float eqDisplay) { return truncateToInt(eqDisplay) != 0; }

// Choice codes of the Algorithm parameter, and what each one runs.
struct AlgorithmRow {
    int32_t softKnee;
    bool falling;
    bool smoothed;  // the output reads the smoothed gain instead of the limiter's
};
constexpr AlgorithmRow kAlgorithms[6] = {
    {0, false, false}, {0, false, true}, {0, true, true}, {1, false, false}, {1, false, false}, {1, true, false},
};
