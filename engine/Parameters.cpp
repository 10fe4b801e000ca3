#include "engine/Parameters.h"

namespace {
constexpr int length(const char* s) {
    int n = 0;
    while (s[n]) ++n;
    return n;
}
}  // namespace

constexpr ParameterInfo kParameters[kNumParams] = {
    {"Limiter Gain          ", 393.0f, 207.0f, 8.0f},
    {"Dull-Sharp            ", 162.0f, 150.0f, 0.0f},
    {"Out Gain              ", 196.0f, 196.0f, 0.0f},
    {"Algorithm             ", 5.0f, 3.0f, 0.0f},
    {"SoftKnee       S/M/H  ", 2.0f, 2.0f, 0.0f},
    {"Stereo Link           ", 1.0f, 1.0f, 0.0f},
    {"Body Boost            ", 387.0f, 0.0f, 0.0f},
    {"Bass Boost            ", 282.0f, 141.0f, 0.0f},
    {"Mid  Boost            ", 282.0f, 141.0f, 0.0f},
    {"Hi   Boost            ", 282.0f, 141.0f, 0.0f},
    {"Bass Freq             ", 500.0f, 100.0f, 80.0f},
    {"Mid Freq              ", 3000.0f, 800.0f, 500.0f},
    {"Treble Freq           ", 20000.0f, 3000.0f, 3000.0f},
    {"Auto Select Channels  ", 1.0f, 1.0f, 0.0f},
    {"Force Channels  S/L/R ", 2.0f, 0.0f, 0.0f},
    {"EQ On/Off             ", 1.0f, 1.0f, 0.0f},
    {"EQ Display            ", 1.0f, 0.0f, 0.0f},
};

constexpr const char* const kProgramNames[kNumPrograms] = {
    "Default                ", "empty 1                ", "empty 2                ", "empty 3                ",
    "empty 4                ", "empty 5                ", "empty 6                ", "empty 7                ",
    "empty 8                ", "empty 9                ",
};

constexpr bool fieldsHaveTheirWidth() {
    for (const ParameterInfo& p : kParameters)
        if (length(p.name) != kParameterNameLength) return false;
    for (const char* name : kProgramNames)
        if (length(name) != kProgramNameLength) return false;
    return true;
}
static_assert(fieldsHaveTheirWidth(), "names are fixed-width fields");
