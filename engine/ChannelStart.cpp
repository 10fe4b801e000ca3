// Start values of one channel at resume: filter histories 0, the knee at
// full gain, the limiter and smoother waiting for their first segment, and
// the rings filled with their neutral contents.
#include <algorithm>

#include "engine/Stages.h"

namespace {

// Start position inside a ring of the given length (a ring shorter than the
// lead still gets an index inside it).
int32_t startPos(int32_t lead, int32_t ringLength) { return ringLength > 0 ? lead % ringLength : 0; }

void fillRing(float* ring, int32_t ringLength, float value) {
    if (ring && ringLength > 0) std::fill_n(ring, ringLength, value);
}

}  // namespace

void channelStart(ChannelState& ch, int32_t ringLength) {
    ch.ringLength = ringLength;

    HighPassSection& hp = ch.bassHighPass;
    hp.x2 = hp.x1 = hp.x = hp.y2 = hp.y1 = hp.y = 0.0f;
    NotchSection& notch = ch.midNotch;
    notch.y1 = notch.y2 = notch.x2 = notch.x1 = notch.x = 0.0f;

    kneeAtRest(ch);
    ch.kneeRate = 0.0f;

    ch.writePos = startPos(kLimiterLead, ringLength);
    ch.prevSample = 0.0f;
    ch.segmentPeak = 0.0f;
    ch.segmentLength = -1;
    ch.humpCount = 0;
    ch.turnLevel = 0.0f;
    ch.lastSlope = 1.0f;
    ch.halfWaveSign = -1;
    ch.releaseTarget = 1.0f;

    ch.smoothPos = startPos(kSmootherLead, ringLength);
    ch.smoothPrev = -1.0f;
    ch.plateauRun = 0.0f;
    ch.plateauLevel = 0.0f;
    ch.smoothState = 0;
    ch.gapCount = 1;
    ch.firstPlateauLength = 0;
    ch.smoothLag = 0;
    ch.limiterNoisy = false;

    fillRing(ch.smoothGain, ringLength, 1.0f);
    fillRing(ch.limitGain, ringLength, 1.0f);
    fillRing(ch.delayLine, ringLength, 0x1p-32f);
    fillRing(ch.kneeGain, ringLength, 1.0f);
}
