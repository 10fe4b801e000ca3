// The block entry: channel selection, equaliser, drive and peak meters, soft
// knee, limiter and smoother, output tap with stereo link and reduction
// meters, output gain, and writing or adding into the host's buffers.
#include <algorithm>
#include <cmath>

#include "engine/BlockOps.h"
#include "engine/Dynamics.h"
#include "engine/Flush.h"
#include "engine/MaximizerEffect.h"
#include "engine/Settle.h"
#include "engine/Stages.h"
#include "engine/Truncate.h"

namespace {

// Algorithm codes 0..5: Full, Smooth, Falling, Full SK, Smooth SK, Falling SK.
struct AlgorithmRow {
    int32_t softKnee;
    bool falling;
    bool smoothed;  // the output tap reads smoothGain instead of limitGain
};
constexpr AlgorithmRow kAlgorithms[6] = {
    {0, false, false}, {0, false, true}, {0, true, true}, {1, false, false}, {1, false, false}, {1, true, false},
};

// Which channels a block processes and which outputs it writes. Mode is the
// Force Channels code: 0 stereo, 1 left only, 2 right only.
struct ChannelPlan {
    int32_t mode;
    int32_t active[2];
    bool writeLeft, writeRight;
};
constexpr ChannelPlan kForcedPlans[3] = {{0, {1, 1}, true, true}, {1, {1, 0}, true, false}, {2, {0, 1}, false, true}};

constexpr float kBoostScale = 1.0f / 282.0f;  // 0.003546099
constexpr float kPeakCap = 10.0f;
constexpr float kReductionFloor = 0.0001f;

// Everything a block reads from the parameters and derived values, read once.
struct BlockSettings {
    bool eqOn, bodyOn, bassOn, midOn, trebleOn;
    float bodyAmount, bass, mid;
    float limiterGain, outputGain, rampFactor;
    int32_t kneeSpeed;
    AlgorithmRow algorithm;
    bool linked;
};

inline int32_t wrapAdvance(int32_t pos, int32_t n, int32_t length) { return (pos + n % length) % length; }

// Non-finite input counts as silence, so one bad sample cannot poison the
// filter and limiter state; then the usual flush.
void copyInput(float* work, const float* in, int32_t n) { blockops::copySettled(work, in, n); }

// Drive gain (a product that overflows counts as silence), then raise the
// peak meter on the signed sample (negative samples never raise it; an
// unordered meter is replaced).
void driveAndMeter(float* work, int32_t n, float gain, Relaxed<float>& meter, Relaxed<float>& fallSpeed) {
    const float top = blockops::driveInPlace(work, n, gain);
    float peak = meter;
    if (top <= peak) return;  // no sample rises above the meter (an unordered meter goes on)
    bool raised = false;
    for (int32_t i = 0; i < n; ++i) {
        const float v = work[i];
        if (!(v <= peak)) {
            peak = std::min(v, kPeakCap);
            raised = true;
        }
    }
    if (raised) {
        meter = peak;
        fallSpeed = 0.0f;
    }
}

// Automatic selection: one shared input buffer means mono; otherwise the host
// is asked about the pins (inputs 1 then 0, outputs 0 then 1). Differing
// answers are asked again, pin 0 then 1, and the second answers count.
ChannelPlan detectChannels(AudioEffect& fx, float** inputs, float** outputs) {
    int32_t mode = 0;
    if (inputs[0] == inputs[1]) {
        mode = 1;
    } else {
        const bool in1 = fx.isInputConnected(1);
        const bool in0 = fx.isInputConnected(0);
        if (in0 != in1) {
            const bool again0 = fx.isInputConnected(0);
            const bool again1 = fx.isInputConnected(1);
            // Second answers that agree leave stereo, so a channel is never
            // both idle and processed.
            if (again0 != again1) mode = again0 ? 1 : 2;
        }
    }
    ChannelPlan plan = kForcedPlans[mode];
    plan.writeLeft = plan.writeRight = true;
    if (outputs[0] == outputs[1]) {
        plan.writeRight = false;
    } else {
        const bool out0 = fx.isOutputConnected(0);
        const bool out1 = fx.isOutputConnected(1);
        if (out0 != out1) {
            plan.writeLeft = fx.isOutputConnected(0);
            plan.writeRight = fx.isOutputConnected(1);
        }
    }
    return plan;
}

// Codes outside the list process stereo, as code 0 does.
ChannelPlan forcedChannels(float code) {
    const int32_t mode = truncateToInt(code);
    return kForcedPlans[mode >= 0 && mode <= 2 ? mode : 0];
}

}  // namespace

void MaximizerEffect::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    accumulating = 1;
    runBlock(inputs, outputs, sampleFrames);
}

void MaximizerEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    accumulating = 0;
    runBlock(inputs, outputs, sampleFrames);
}

void MaximizerEffect::runBlock(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (resumed != 1) return;
    const int32_t n = std::max<VstInt32>(sampleFrames, 0);
    blockFrames = n;
    inLeft = inputs[0];
    inRight = inputs[1];
    outLeft = outputs[0];
    outRight = outputs[1];
    denormalFloor = 0x1p-32f;

    // Channel selection, once per host block.
    const bool autoSelect = truncateToInt(paramValue[kAutoSelectChannels]) == 1;
    const ChannelPlan plan =
        autoSelect ? detectChannels(*this, inputs, outputs) : forcedChannels(paramValue[kForceChannels]);
    const int32_t mode = plan.mode;
    const int32_t* active = plan.active;
    const bool writeLeft = plan.writeLeft, writeRight = plan.writeRight;
    if (autoSelect) paramValue[kForceChannels] = static_cast<float>(mode);
    channelActive[0] = active[0];
    channelActive[1] = active[1];
    if (reportChannelMode == 1 && autoSelect) {
        paramValue[kForceChannels] = static_cast<float>(mode);
        setParameterAutomated(kForceChannels, paramValue[kForceChannels] / paramMax[kForceChannels]);
        reportChannelMode = 0;
    }

    // The idle channel of a mono mode keeps its rings aligned with readPos.
    soloChannel = mode;
    if (mode == 1 || mode == 2) {
        const int c = mode == 1 ? 1 : 0;
        ChannelState& idle = channels[c];
        idle.writePos = wrapAdvance(idle.writePos, n, ringLength);
        idle.smoothPos = wrapAdvance(idle.smoothPos, n, ringLength);
        reductionMeter[c] = 1.0f;
        peakMeter[c] = 0.0f;
        peakFallSpeed[c] = 0.0f;
    }

    BlockSettings s;
    s.eqOn = truncateToInt(paramValue[kEqOnOff]) == 1;
    const float body = paramValue[kBodyBoost], bass = paramValue[kBassBoost], mid = paramValue[kMidBoost];
    s.bodyOn = body != 0.0f;
    s.bassOn = bass != 141.0f;
    s.midOn = mid != 141.0f;
    s.trebleOn = paramValue[kHiBoost] != 141.0f;
    s.bodyAmount = bodyAmount;
    s.bass = bass * kBoostScale;
    s.mid = mid * kBoostScale;
    s.limiterGain = limiterGain;
    s.outputGain = outputGain;
    s.rampFactor = rampFactor;
    s.kneeSpeed = truncateToInt(paramValue[kSoftKnee]);
    s.algorithm = kAlgorithms[truncateToIndex(paramValue[kAlgorithm], 5)];
    s.linked = static_cast<uint8_t>(truncateToInt(paramValue[kStereoLink])) == 1 && mode == 0;
    const bool accumulate = accumulating == 1;
    // The processed side's value is computed whatever its output flag, so a
    // mono mode always copies the current sample to the other side.
    const bool computeLeft = mode == 1 || (mode == 0 && writeLeft);
    const bool computeRight = mode == 2 || (mode == 0 && writeRight);

    // Blocks longer than the size given at resume run in pieces that fit the
    // work buffers and keep the rings' spacing.
    const int32_t pieceMax = std::max<int32_t>(1, blockSizeAtResume);
    float outL = outSampleLeft, outR = outSampleRight;
    for (int32_t offset = 0, m = 0; offset < n; offset += m) {
        m = std::min(pieceMax, n - offset);
        blockFrames = m;
        ChannelState* ch = channels;

        for (int c = 0; c < 2; ++c)
            if (active[c]) copyInput(workBuffer[c], inputs[c] + offset, m);

        if (s.eqOn && active[0] && active[1]) {
            const EqualiserSettings eq{s.bodyOn, s.bassOn, s.midOn, s.trebleOn,
                                       s.bodyAmount, s.bass, s.mid, paramValue[kHiBoost], trebleMix};
            equaliserPair(ch[0], ch[1], trebleHighPass, trebleFollow, workBuffer[0], workBuffer[1], eq, m);
        } else if (s.eqOn) {
            for (int c = 0; c < 2; ++c)
                if (active[c] && s.bodyOn) bodyStage(workBuffer[c], s.bodyAmount, m);
            for (int c = 0; c < 2; ++c)
                if (active[c] && s.bassOn) bassStage(ch[c], workBuffer[c], s.bass, m);
            for (int c = 0; c < 2; ++c)
                if (active[c] && s.midOn) midStage(ch[c], workBuffer[c], s.mid, m);
            for (int c = 0; c < 2; ++c)
                if (active[c] && s.trebleOn) trebleStage(c);
        }

        for (int c = 0; c < 2; ++c)
            if (active[c]) driveAndMeter(workBuffer[c], m, s.limiterGain, peakMeter[c], peakFallSpeed[c]);

        if (active[0] && active[1]) {
            const DynamicsSettings d{s.kneeSpeed, s.algorithm.softKnee, s.linked, s.rampFactor, s.algorithm.falling,
                                     s.algorithm.smoothed};
            dynamicsPair(ch[0], ch[1], workBuffer[0], workBuffer[1], d, readPos, m);
            if (s.linked) currentGain[0] = currentGain[1] = std::min(ch[0].kneeState, ch[1].kneeState);
            else for (int c = 0; c < 2; ++c) currentGain[c] = ch[c].kneeState;
        } else {
            for (int c = 0; c < 2; ++c) {
                if (!active[c]) continue;
                kneeBlock(ch[c], workBuffer[c], ch[c].kneeGain, s.kneeSpeed, s.algorithm.softKnee, m);
                currentGain[c] = ch[c].kneeState;
                limitBlock(ch[c], workBuffer[c], s.rampFactor, m, s.algorithm.falling);
                smoothOrIdle(ch[c], m, s.algorithm.smoothed, readPos);
            }
        }

        // Output tap, 2400 slots behind the limiter, in runs that do not wrap.
        const int32_t length = ringLength;
        const float* ringL = s.algorithm.smoothed ? ch[0].smoothGain : ch[0].limitGain;
        const float* ringR = s.algorithm.smoothed ? ch[1].smoothGain : ch[1].limitGain;
        float reduction[2] = {reductionMeter[0], reductionMeter[1]};
        const float before[2] = {reduction[0], reduction[1]};
        float low[2] = {reduction[0], reduction[1]};
        int32_t read = readPos, clear = clearPos;
        for (int32_t i = 0; i < m;) {
            // The start value of clear points one past the wrap: a slot nothing reads.
            const bool clearOutside = clear >= length;
            int32_t k = std::min(m - i, length - read);
            if (clearOutside) k = 1;
            else k = std::min(k, length - clear);
            float scratch[2];
            blockops::TapRun run;
            for (int c = 0; c < 2; ++c) {
                run.delay[c] = ch[c].delayLine + read;
                run.cleared[c] = clearOutside ? scratch + c : ch[c].limitGain + clear;
                run.out[c] = workBuffer[c] + i;
                run.active[c] = active[c] != 0;
                // While the smoothed ring is not read, the smoother idles on the tap's copy.
                run.keep[c] = active[c] && !s.algorithm.smoothed ? ch[c].smoothGain + read : nullptr;
            }
            run.ring[0] = ringL + read;
            run.ring[1] = ringR + read;
            run.linked = s.linked;
            blockops::tapRun(run, k, low);
            i += k;
            read += k;
            if (read >= length) read = 0;
            clear = clearOutside ? 0 : clear + k;
            if (clear >= length) clear = 0;
        }
        readPos = read;
        clearPos = clear;
        // The meter follows the lowest gain, never below its floor.
        for (int c = 0; c < 2; ++c) {
            if (!active[c] || m == 0) continue;
            reduction[c] = std::max(low[c], kReductionFloor);
            if (reduction[c] != before[c]) reductionMeter[c] = reduction[c];
        }

        // Output gain, mono copy, then write or add.
        float* out0 = outputs[0] + offset;
        float* out1 = outputs[1] + offset;
        const float* w0 = workBuffer[0];
        const float* w1 = workBuffer[1];
        if (mode == 0 && writeLeft && writeRight && m > 0) {
            blockops::outputStereo(out0, out1, w0, w1, m, s.outputGain, accumulate);
            outL = flush(s.outputGain * w0[m - 1]);
            outR = flush(s.outputGain * w1[m - 1]);
            continue;
        }
        for (int32_t i = 0; i < m; ++i) {
            if (computeLeft) outL = flush(s.outputGain * w0[i]);
            if (computeRight) outR = flush(s.outputGain * w1[i]);
            if (mode == 1) outR = outL;
            if (mode == 2) outL = outR;
            if (accumulate) {
                if (writeLeft) out0[i] += outL;
                if (writeRight) out1[i] += outR;
            } else {
                if (writeLeft) out0[i] = outL;
                if (writeRight) out1[i] = outR;
            }
        }
    }
    outSampleLeft = outL;
    outSampleRight = outR;
}
