// The VST 2 processing entries: resume and suspend, and each block's channel
// choice (Force Channels, or detection from the host's buffers and pin
// answers, reported to the host once per resume) before the engine runs it.
#include "vst2/MaximizerEffect.h"

void MaximizerEffect::resume() {
    if (engine.prepare(getSampleRate(), getBlockSize()) && truncateToInt(engine.value(kAutoSelectChannels)) == 1)
        reportChannelMode = 1;
}

void MaximizerEffect::suspend() { engine.release(); }

void MaximizerEffect::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    runBlock(inputs, outputs, sampleFrames, true);
}

void MaximizerEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    runBlock(inputs, outputs, sampleFrames, false);
}

void MaximizerEffect::runBlock(float** inputs, float** outputs, VstInt32 sampleFrames, bool accumulate) {
    if (!engine.prepared()) return;
    const bool autoSelect = truncateToInt(engine.value(kAutoSelectChannels)) == 1;
    const ChannelPlan plan = autoSelect ? detectChannels(inputs, outputs) : forcedPlan(engine.value(kForceChannels));
    if (autoSelect) {
        engine.setValue(kForceChannels, static_cast<float>(plan.mode));
        if (reportChannelMode == 1) {
            setParameterAutomated(kForceChannels, engine.parameter(kForceChannels));
            reportChannelMode = 0;
        }
    }
    engine.process(inputs, outputs, sampleFrames, plan, accumulate);
}

// Automatic selection: one shared input buffer means mono; otherwise the host
// is asked about the pins (inputs 1 then 0, outputs 0 then 1). Differing
// answers are asked again, pin 0 then 1, and the second answers count.
ChannelPlan MaximizerEffect::detectChannels(float** inputs, float** outputs) {
    int32_t mode = 0;
    if (inputs[0] == inputs[1]) {
        mode = 1;
    } else {
        const bool in1 = isInputConnected(1);
        const bool in0 = isInputConnected(0);
        if (in0 != in1) {
            const bool again0 = isInputConnected(0);
            const bool again1 = isInputConnected(1);
            // Second answers that agree leave stereo, so a channel is never
            // both idle and processed.
            if (again0 != again1) mode = again0 ? 1 : 2;
        }
    }
    ChannelPlan plan = planForMode(mode);
    plan.writeLeft = plan.writeRight = true;
    if (outputs[0] == outputs[1]) {
        plan.writeRight = false;
    } else {
        const bool out0 = isOutputConnected(0);
        const bool out1 = isOutputConnected(1);
        if (out0 != out1) {
            plan.writeLeft = isOutputConnected(0);
            plan.writeRight = isOutputConnected(1);
        }
    }
    return plan;
}
