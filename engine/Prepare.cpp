// Preparing for processing (the plug-in's resume) and releasing (suspend).
#include <cmath>
#include <new>

#include "engine/Engine.h"
#include "engine/Stages.h"

namespace {
// Rings and work buffers beyond this many floats are refused rather than
// attempted: only an absurd sample rate or block size asks for them.
constexpr double kMaxBufferFloats = 64.0 * 1024 * 1024;

float* allocateFloats(double count) {
    if (!(count >= 1.0) || count > kMaxBufferFloats) return nullptr;
    return new (std::nothrow) float[static_cast<size_t>(count)];
}
}  // namespace

bool MaximizerEngine::prepare(float rate, int32_t block) {
    // A prepare without a release between: the earlier buffers go first.
    resumed = 0;
    if (buffersAllocated) releaseBuffers();

    blockSizeAtResume = block;
    sampleRateAtResume = rate;
    if (block < 0 || !(rate > 0.0f) || !std::isfinite(rate)) return false;

    // The rings scale with the rate, but never shrink below their length at
    // 44100 Hz: the limiter writes 2400 slots ahead of the output tap and
    // reaches back behind its write position, which a shorter ring cannot hold.
    const float r = rate * (1.0f / 44100.0f);
    const double ringSlots = std::fmax(std::trunc(double(r) * 4800.0 + block), 4800.0 + block);
    const double ringFloats = std::fmax(std::trunc(double(r) * 4802.0 + block), 4802.0 + block);
    if (ringSlots > kMaxBufferFloats) return false;
    ringLength = static_cast<int32_t>(ringSlots);

    workBuffer[0] = allocateFloats(block + 10.0);
    workBuffer[1] = allocateFloats(block + 10.0);
    for (ChannelState& ch : channels) {
        ch.smoothGain = allocateFloats(ringFloats);
        ch.limitGain = allocateFloats(ringFloats);
        ch.delayLine = allocateFloats(ringFloats);
        ch.kneeGain = allocateFloats(ringFloats);
    }
    buffersAllocated = true;  // partly, perhaps: releaseBuffers frees whatever exists
    bool complete = workBuffer[0] && workBuffer[1];
    for (const ChannelState& ch : channels)
        complete = complete && ch.smoothGain && ch.limitGain && ch.delayLine && ch.kneeGain;
    if (!complete) {
        releaseBuffers();
        return false;
    }

    // Start values of the block processing and the treble stage.
    for (int c = 0; c < 2; ++c) {
        HighPassSection& hp = trebleHighPass[c];
        hp.x2 = hp.x1 = hp.x = hp.y2 = hp.y1 = hp.y = 0.0f;
        trebleFollow[c] = 0.0f;
    }
    meters_.restart();
    readPos = 0;
    clearPos = ringLength;
    outSampleLeft = outSampleRight = 0.0f;
    updateCoefficients();

    for (ChannelState& ch : channels) {
        ch.ringLength = ringLength;
        channelStart(ch, ringLength);
    }
    resumed = 1;
    return true;
}

void MaximizerEngine::release() {
    resumed = 0;
    if (buffersAllocated) releaseBuffers();
    for (int c = 0; c < 2; ++c) meters_.setKneeGain(c, 1.0f);
}

void MaximizerEngine::releaseBuffers() {
    for (float*& buffer : workBuffer) {
        delete[] buffer;
        buffer = nullptr;
    }
    for (ChannelState& ch : channels) {
        for (float** ring : {&ch.smoothGain, &ch.limitGain, &ch.delayLine, &ch.kneeGain}) {
            delete[] *ring;
            *ring = nullptr;
        }
    }
    buffersAllocated = false;
}
