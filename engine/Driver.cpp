// The block processing: equaliser, drive and peak meters, soft knee, limiter
// and smoother, output tap with stereo link and reduction meters, output
// gain, and writing or adding into the output buffers.
#include <algorithm>
#include <cmath>

#include "engine/Dynamics.h"
#include "engine/Flush.h"
#include "engine/Engine.h"
#include "engine/Settle.h"
#include "engine/SimdKernels.h"
#include "engine/Stages.h"
#include "engine/Truncate.h"

namespace {

constexpr float kBoostScale = 1.0f / kBoostSpan;  // 0.003546099
constexpr float kPeakCap = 10.0f;
constexpr float kReductionFloor = 0.0001f;

// Everything a block reads from the parameters and derived values, read once.
struct BlockSettings {
    bool eqOn, bodyOn, bassOn, midOn, trebleOn;
    float bodyAmount, bass, mid, hiBoost, trebleMix;
    float limiterGain, outputGain, rampFactor;
    int32_t kneeSpeed;
    AlgorithmRow algorithm;
    bool linked;
};

inline int32_t wrapAdvance(int32_t pos, int32_t n, int32_t length) { return (pos + n % length) % length; }

// Non-finite input counts as silence, so one bad sample cannot poison the
// filter and limiter state; then the usual flush.
void copyInput(float* work, const float* in, int32_t n) { simd::blocks().copySettled(work, in, n); }

// Drive gain (a product that overflows counts as silence); the block's
// highest signed sample, capped, goes to the peak meter.
void driveAndMeter(float* work, int32_t n, float gain, Meters& meters, int c) {
    const float top = simd::blocks().driveInPlace(work, n, gain);
    meters.raisePeak(c, std::min(top, kPeakCap));
}

}  // namespace

void MaximizerEngine::process(const float* const* inputs, float* const* outputs, int32_t frames,
                              const ChannelPlan& plan, bool accumulate) {
    if (resumed != 1) return;
    const int32_t n = std::max<int32_t>(frames, 0);
    const int32_t mode = plan.mode;
    const int32_t* active = plan.active;
    const bool writeLeft = plan.writeLeft, writeRight = plan.writeRight;
    meters_.setChannels(active[0], active[1], mode);

    // The idle channel of a mono mode keeps its rings aligned with readPos.
    if (mode == 1 || mode == 2) {
        const int c = mode == 1 ? 1 : 0;
        ChannelState& idle = channels[c];
        idle.writePos = wrapAdvance(idle.writePos, n, ringLength);
        idle.smoothPos = wrapAdvance(idle.smoothPos, n, ringLength);
        meters_.clearHeld(c);
    }

    BlockSettings s;
    s.eqOn = truncateToInt(paramValue[kEqOnOff]) == 1;
    const float body = paramValue[kBodyBoost], bass = paramValue[kBassBoost], mid = paramValue[kMidBoost];
    s.bodyOn = body != 0.0f;
    s.hiBoost = paramValue[kHiBoost];
    s.bassOn = bass != kNeutralBoost;
    s.midOn = mid != kNeutralBoost;
    s.trebleOn = s.hiBoost != kNeutralBoost;
    s.bodyAmount = bodyAmount_;
    s.trebleMix = trebleMix_;
    s.bass = bass * kBoostScale;
    s.mid = mid * kBoostScale;
    s.limiterGain = limiterGain_;
    s.outputGain = outputGain_;
    s.rampFactor = rampFactor_;
    s.kneeSpeed = truncateToInt(paramValue[kSoftKnee]);
    s.algorithm = kAlgorithms[truncateToIndex(paramValue[kAlgorithm], 5)];
    s.linked = static_cast<uint8_t>(truncateToInt(paramValue[kStereoLink])) == 1 && mode == 0;
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
        ChannelState* ch = channels;

        for (int c = 0; c < 2; ++c)
            if (active[c]) copyInput(workBuffer[c], inputs[c] + offset, m);

        if (s.eqOn) {
            const EqualiserSettings eq{s.bodyOn, s.bassOn, s.midOn, s.trebleOn,
                                       s.bodyAmount, s.bass, s.mid, s.hiBoost, s.trebleMix};
            if (active[0] && active[1])
                equaliserPair(ch[0], ch[1], trebleHighPass, trebleFollow, workBuffer[0], workBuffer[1], eq, m);
            else
                for (int c = 0; c < 2; ++c)
                    if (active[c]) equaliserMono(ch[c], trebleHighPass[c], trebleFollow[c], workBuffer[c], eq, m);
        }

        for (int c = 0; c < 2; ++c)
            if (active[c]) driveAndMeter(workBuffer[c], m, s.limiterGain, meters_, c);

        const DynamicsSettings d{s.kneeSpeed, s.algorithm.softKnee, s.linked, s.rampFactor, s.algorithm.falling,
                                 s.algorithm.smoothed};
        if (active[0] && active[1]) {
            dynamicsPair(ch[0], ch[1], workBuffer[0], workBuffer[1], d, readPos, m);
            const float linkedGain = std::min(ch[0].kneeState, ch[1].kneeState);
            for (int c = 0; c < 2; ++c) meters_.setKneeGain(c, s.linked ? linkedGain : ch[c].kneeState);
        } else {
            for (int c = 0; c < 2; ++c) {
                if (!active[c]) continue;
                dynamicsMono(ch[c], workBuffer[c], d, readPos, m);
                meters_.setKneeGain(c, ch[c].kneeState);
            }
        }
        // The lowest knee gain applied (after the link), where the knee runs.
        if (s.algorithm.softKnee)
            for (int c = 0; c < 2; ++c)
                if (active[c]) meters_.lowerKnee(c, ch[c].kneeLow);

        // Output tap, 2400 slots behind the limiter, in runs that do not wrap.
        const int32_t length = ringLength;
        const float* ringL = s.algorithm.smoothed ? ch[0].smoothGain : ch[0].limitGain;
        const float* ringR = s.algorithm.smoothed ? ch[1].smoothGain : ch[1].limitGain;
        float low[2] = {1.0f, 1.0f};
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
            simd::blocks().tapRun(run, k, low);
            i += k;
            read += k;
            if (read >= length) read = 0;
            clear = clearOutside ? 0 : clear + k;
            if (clear >= length) clear = 0;
        }
        readPos = read;
        clearPos = clear;
        // The meter follows the lowest gain, never below its floor.
        for (int c = 0; c < 2; ++c)
            if (active[c]) meters_.lowerReduction(c, std::max(low[c], kReductionFloor));

        // Output gain, mono copy, then write or add.
        float* out0 = outputs[0] + offset;
        float* out1 = outputs[1] + offset;
        const float* w0 = workBuffer[0];
        const float* w1 = workBuffer[1];
        if (mode == 0 && writeLeft && writeRight && m > 0) {
            simd::blocks().outputStereo(out0, out1, w0, w1, m, s.outputGain, accumulate);
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
