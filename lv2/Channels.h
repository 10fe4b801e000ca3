// The channels an LV2 instance processes, from its parameter values: every
// port is connected and the host carries two channels, so Auto Select finds
// stereo; otherwise Force Channels decides. Both outputs are written, a mono
// choice putting the processed side on both, so no output is left holding
// what the host had there. The plug-in processes by it; its user interface
// reads from it which meters run.
#pragma once
#include "engine/ChannelPlan.h"
#include "engine/Engine.h"

inline ChannelPlan lv2ChannelPlan(const MaximizerEngine& engine) {
    const bool autoSelect = truncateToInt(engine.value(kAutoSelectChannels)) == 1;
    ChannelPlan plan = autoSelect ? planForMode(0) : forcedPlan(engine.value(kForceChannels));
    plan.writeLeft = plan.writeRight = true;
    return plan;
}
