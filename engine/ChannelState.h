// Per-channel processing state: the equaliser filter sections, the soft-knee,
// limiter and smoother state, and the rings allocated at resume.
// Coefficients are written by the coefficient update on whatever thread
// changes a parameter while the audio thread reads them, hence Relaxed.
#pragma once
#include <cstdint>

#include "engine/Relaxed.h"
#include "engine/SegmentLog.h"

// Second-order section y = b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2.
struct HighPassSection {
    float x2, x1, x, y2, y1, y;
    Relaxed<float> b0, b1, b2, a1, a2;
};

// Notch y = b0·(x + x2) + b1·x1 − a1·y1 − a2·y2 (b2 equals b0 and is not stored).
struct NotchSection {
    Relaxed<float> b0, b1, a1, a2;
    float y1, y2, x2, x1, x;
};

struct ChannelState {
    HighPassSection bassHighPass;
    NotchSection midNotch;
    float lastSlope;
    float* smoothGain;
    float* limitGain;
    float* delayLine;
    float* kneeGain;
    int32_t writePos;
    float releaseTarget;
    float kneeState, kneeRate;
    // The knee's last states, oldest first (the last one is kneeState), and
    // its full steps since an attack, up to the count after which it takes
    // the release's tangent. Kept so that a block goes on where the last one
    // ended; whatever sets kneeState otherwise goes through kneeAtRest.
    static constexpr int32_t kKneeBehind = 9;
    float kneeBehind[kKneeBehind];
    int32_t kneeSmooth;
    float kneeLow;  // the lowest knee gain of the last block (after the link)
    int32_t halfWaveSign, segmentLength, humpCount;
    float turnLevel, prevSample, segmentPeak;
    int32_t smoothPos, gapCount, firstPlateauLength;
    float smoothPrev, plateauRun, plateauLevel;
    uint8_t smoothState;
    // Positions the smoother has left to the output tap's copy while its
    // ring was not read (0 while it runs); see smoothOrIdle.
    int32_t smoothLag;
    // Whether the limiter's last stretch was noisy enough for its rule
    // without branches; the next block starts with it. Only speed depends on it.
    bool limiterNoisy;
    // Wrap length of this channel's rings. Kept per instance: a process-wide
    // length set by another instance's resume could exceed these rings.
    int32_t ringLength;
    // Tests may listen to the limiter's segment decisions; null otherwise.
    SegmentLog* segmentLog;
};

// The knee at rest (gain 1.0), set from outside its own steps: the states
// behind no longer lead up to it, so they are dropped. Always inlined, as it
// is used in sources built for each instruction set (see SimdArch.h).
[[gnu::always_inline]] inline void kneeAtRest(ChannelState& ch) {
    ch.kneeState = 1.0f;
    ch.kneeSmooth = 0;
}
