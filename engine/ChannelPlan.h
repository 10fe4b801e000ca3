// Which channels a block processes and which outputs it writes. The plug-in
// format decides it (from Force Channels, or from the host's buffers and pin
// answers) and hands it to the engine as plain values.
#pragma once
#include <cstdint>

#include "engine/Truncate.h"

struct ChannelPlan {
    int32_t mode;       // the Force Channels code: 0 stereo, 1 left only, 2 right only
    int32_t active[2];  // channels processed
    bool writeLeft, writeRight;
};

// The plan of each mode: stereo writes both outputs, a mono mode writes only
// the side it processes (a format that wants the other side too sets it).
inline ChannelPlan planForMode(int32_t mode) {
    constexpr ChannelPlan kPlans[3] = {{0, {1, 1}, true, true}, {1, {1, 0}, true, false}, {2, {0, 1}, false, true}};
    return kPlans[mode >= 0 && mode <= 2 ? mode : 0];
}

// Force Channels as set by the user; codes outside the list process stereo.
inline ChannelPlan forcedPlan(float forceChannels) { return planForMode(truncateToInt(forceChannels)); }
