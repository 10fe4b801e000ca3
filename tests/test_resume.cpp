// Resume and suspend: ring sizes, start values, buffer ownership and the
// failure paths that leave the plug-in off.
#include <cmath>
#include <limits>
#include <memory>

#include "engine/MaximizerEffect.h"
#include "tests/check.h"

namespace {

std::unique_ptr<MaximizerEffect> resumedAt(float rate, VstInt32 block) {
    auto fx = std::make_unique<MaximizerEffect>(nullptr);
    fx->setSampleRate(rate);
    fx->setBlockSize(block);
    fx->resume();
    return fx;
}

bool hasBuffers(const MaximizerEffect& fx) {
    bool all = fx.workBuffer[0] && fx.workBuffer[1];
    for (int c = 0; c < 2; ++c) {
        const ChannelState& ch = fx.channels[c];
        all = all && ch.smoothGain && ch.limitGain && ch.delayLine && ch.kneeGain;
    }
    return all;
}

bool hasNoBuffers(const MaximizerEffect& fx) {
    bool none = !fx.workBuffer[0] && !fx.workBuffer[1];
    for (int c = 0; c < 2; ++c) {
        const ChannelState& ch = fx.channels[c];
        none = none && !ch.smoothGain && !ch.limitGain && !ch.delayLine && !ch.kneeGain;
    }
    return none;
}

}  // namespace

TEST_CASE("engine.settings.resume", "a new instance is suspended with no buffers; suspend alone resets the knee meters") {
    auto fx = std::make_unique<MaximizerEffect>(nullptr);
    CHECK_EQ(int(fx->resumed), 0);
    CHECK_EQ(int(fx->buffersAllocated), 0);
    CHECK(hasNoBuffers(*fx));
    CHECK_EQ(fx->ringLength, 4800);
    fx->currentGain[0] = 0.3f;
    fx->currentGain[1] = 0.4f;
    fx->suspend();
    CHECK_EQ(float(fx->currentGain[0]), 1.0f);
    CHECK_EQ(float(fx->currentGain[1]), 1.0f);
    CHECK_EQ(int(fx->resumed), 0);
    CHECK(hasNoBuffers(*fx));
}

TEST_CASE("engine.settings.resume", "resume sizes the rings from rate and block size and sets the start values") {
    auto fx = resumedAt(44100.0f, 512);
    CHECK_EQ(int(fx->resumed), 1);
    CHECK_EQ(int(fx->buffersAllocated), 1);
    CHECK(hasBuffers(*fx));
    CHECK_EQ(int(fx->blockSizeAtResume), 512);
    CHECK_EQ(float(fx->sampleRateAtResume), 44100.0f);
    CHECK_EQ(fx->ringLength, 4800 + 512);
    CHECK_EQ(fx->readPos, 0);
    CHECK_EQ(fx->clearPos, fx->ringLength);
    for (int c = 0; c < 2; ++c) {
        const ChannelState& ch = fx->channels[c];
        CHECK_EQ(ch.ringLength, fx->ringLength);
        CHECK_EQ(float(fx->reductionMeter[c]), 1.0f);
        CHECK_EQ(float(fx->peakMeter[c]), 0.0f);
        CHECK_EQ(float(fx->peakFallSpeed[c]), 0.0f);
        CHECK_EQ(fx->trebleFollow[c], 0.0f);
        CHECK_EQ(fx->trebleHighPass[c].y1, 0.0f);
        // The rings are ready over their whole length (the channel start fills them).
        CHECK_EQ(ch.limitGain[ch.ringLength - 1], 1.0f);
        CHECK_EQ(ch.smoothGain[0], 1.0f);
        CHECK_EQ(ch.delayLine[ch.ringLength - 1], 0x1p-32f);
        CHECK_EQ(ch.writePos, 2400);
        CHECK_EQ(ch.smoothPos, 1200);
    }
    // Work buffers hold block size + 10 samples: the last one is writable.
    fx->workBuffer[0][521] = 1.0f;
    fx->workBuffer[1][521] = 1.0f;
    // The rings hold trunc(r × 4802 + block) slots.
    fx->channels[1].kneeGain[4802 + 512 - 1] = 0.5f;

    auto fast = resumedAt(96000.0f, 64);
    const float r = 96000.0f * (1.0f / 44100.0f);
    CHECK_EQ(fast->ringLength, int32_t(r * 4800.0f + 64));
    fast->channels[0].delayLine[int32_t(r * 4802.0f + 64) - 1] = 0.0f;
}

TEST_CASE("engine.settings.resume", "ring length belongs to each instance and never drops below the 44.1 kHz layout") {
    auto slow = resumedAt(8000.0f, 1);
    CHECK_EQ(int(slow->resumed), 1);
    CHECK_EQ(slow->ringLength, 4801);  // the limiter writes 2400 slots ahead of the tap
    auto low = resumedAt(22050.0f, 256);
    CHECK_EQ(low->ringLength, 4800 + 256);
    auto high = resumedAt(192000.0f, 4096);
    CHECK(high->ringLength > 20000);
    // Another instance's resume at a higher rate leaves this one's length alone.
    CHECK_EQ(slow->ringLength, 4801);
    CHECK_EQ(slow->channels[0].ringLength, 4801);
    CHECK_EQ(slow->channels[1].ringLength, 4801);
}

TEST_CASE("engine.settings.resume", "resume twice, suspend, resume again: buffers replaced and released") {
    auto fx = resumedAt(44100.0f, 256);
    float* firstRing = fx->channels[0].limitGain;
    fx->setBlockSize(1024);
    fx->resume();  // no suspend between
    CHECK_EQ(int(fx->resumed), 1);
    CHECK_EQ(int(fx->blockSizeAtResume), 1024);
    CHECK_EQ(fx->ringLength, 4800 + 1024);
    CHECK(hasBuffers(*fx));
    CHECK(fx->channels[0].limitGain != nullptr);
    (void)firstRing;  // freed: the sanitizer build reports it if it leaked
    fx->suspend();
    CHECK_EQ(int(fx->resumed), 0);
    CHECK_EQ(int(fx->buffersAllocated), 0);
    CHECK(hasNoBuffers(*fx));
    fx->suspend();
    CHECK(hasNoBuffers(*fx));
    fx->resume();
    CHECK_EQ(int(fx->resumed), 1);
    // Destroyed while resumed: the destructor releases the buffers.
}

TEST_CASE("engine.settings.resume", "channel report is re-armed only with Auto Select on") {
    auto fx = std::make_unique<MaximizerEffect>(nullptr);
    fx->reportChannelMode = 0;
    fx->resume();
    CHECK_EQ(int(fx->reportChannelMode), 1);
    fx->suspend();
    fx->reportChannelMode = 0;
    fx->setParameter(kAutoSelectChannels, 0.0f);
    fx->resume();
    CHECK_EQ(int(fx->reportChannelMode), 0);
}

TEST_CASE("engine.settings.resume", "a resume that cannot allocate or has no valid rate leaves the plug-in off") {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Bad {
        float rate;
        VstInt32 block;
    } bad[] = {{1e12f, 512}, {616429824.0f, 512}, {44100.0f, 2147483600}, {44100.0f, -1}, {0.0f, 512}, {-44100.0f, 512}, {nan, 512},
               {inf, 512}};
    for (const Bad& b : bad) {
        auto fx = resumedAt(44100.0f, 512);
        CHECK_EQ(int(fx->resumed), 1);
        fx->setSampleRate(b.rate);
        fx->setBlockSize(b.block);
        fx->resume();
        CHECK_EQ(int(fx->resumed), 0);
        CHECK_EQ(int(fx->buffersAllocated), 0);
        CHECK(hasNoBuffers(*fx));
        // The same instance resumes normally once the host's values are sane.
        fx->setSampleRate(48000.0f);
        fx->setBlockSize(128);
        fx->resume();
        CHECK_EQ(int(fx->resumed), 1);
        CHECK(hasBuffers(*fx));
    }
}
