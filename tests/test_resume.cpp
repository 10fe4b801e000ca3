// Prepare and release: ring sizes, start values, buffer ownership and the
// failure paths that leave processing off.
#include <cmath>
#include <limits>
#include <memory>

#include "engine/Engine.h"
#include <doctest.h>

namespace {

std::unique_ptr<MaximizerEngine> preparedAt(float rate, int32_t block) {
    auto e = std::make_unique<MaximizerEngine>();
    e->prepare(rate, block);
    return e;
}

// How many of the four per-channel buffers exist, over both channels (0 to 8).
int buffers(const MaximizerEngine& e) {
    int n = 0;
    for (int c = 0; c < 2; ++c) {
        const ChannelState& ch = e.channel(c);
        n += !!ch.smoothGain + !!ch.limitGain + !!ch.delayLine + !!ch.kneeGain;
    }
    return n;
}

}  // namespace

TEST_CASE("a new engine is not prepared and has no buffers; release resets the knee meters" *
          doctest::test_suite("engine.settings.resume")) {
    MaximizerEngine e;
    CHECK(!e.prepared());
    CHECK_EQ(buffers(e), 0);
    e.meters().setKneeGain(0, 0.3f);
    e.meters().setKneeGain(1, 0.4f);
    e.release();
    CHECK_EQ(e.meters().kneeGain(0), 1.0f);
    CHECK_EQ(e.meters().kneeGain(1), 1.0f);
    CHECK(!e.prepared());
    CHECK_EQ(buffers(e), 0);
}

TEST_CASE("prepare sizes the rings from rate and block size and sets the start values" *
          doctest::test_suite("engine.settings.resume")) {
    auto e = std::make_unique<MaximizerEngine>();
    e->meters().raisePeak(0, 3.0f);
    const uint32_t epoch = e->meters().epoch();
    CHECK(e->prepare(44100.0f, 512));
    CHECK(e->prepared());
    CHECK_EQ(buffers(*e), 8);
    CHECK_EQ(e->maxBlock(), 512);
    CHECK_EQ(e->sampleRate(), 44100.0f);
    CHECK_EQ(e->readPosition(), 0);
    // The meters restart: nothing held, and readers see a new epoch.
    CHECK(e->meters().epoch() != epoch);
    for (int c = 0; c < 2; ++c) {
        const ChannelState& ch = e->channel(c);
        CHECK_EQ(ch.ringLength, 4800 + 512);
        const MeterTake t = e->meters().take(c);
        CHECK_EQ(t.peak, Meters::kNoPeak);
        CHECK_EQ(t.reduction, 1.0f);
        CHECK_EQ(e->trebleFollower(c), 0.0f);
        CHECK_EQ(e->trebleSection(c).y1, 0.0f);
        // The rings are ready over their whole length (the channel start fills them).
        CHECK_EQ(ch.limitGain[ch.ringLength - 1], 1.0f);
        CHECK_EQ(ch.smoothGain[0], 1.0f);
        CHECK_EQ(ch.delayLine[ch.ringLength - 1], 0x1p-32f);
        CHECK_EQ(ch.writePos, 2400);
        CHECK_EQ(ch.smoothPos, 1200);
    }
    // The rings hold trunc(r × 4802 + block) slots.
    e->channel(1).kneeGain[4802 + 512 - 1] = 0.5f;

    auto fast = preparedAt(96000.0f, 64);
    const float r = 96000.0f * (1.0f / 44100.0f);
    CHECK_EQ(fast->channel(0).ringLength, int32_t(r * 4800.0f + 64));
    fast->channel(0).delayLine[int32_t(r * 4802.0f + 64) - 1] = 0.0f;
}

TEST_CASE("ring length belongs to each engine and never drops below the 44.1 kHz layout" *
          doctest::test_suite("engine.settings.resume")) {
    auto slow = preparedAt(8000.0f, 1);
    CHECK(slow->prepared());
    CHECK_EQ(slow->channel(0).ringLength, 4801);  // the limiter writes 2400 slots ahead of the tap
    auto low = preparedAt(22050.0f, 256);
    CHECK_EQ(low->channel(0).ringLength, 4800 + 256);
    auto high = preparedAt(192000.0f, 4096);
    CHECK(high->channel(0).ringLength > 20000);
    // Another engine's prepare at a higher rate leaves this one's length alone.
    CHECK_EQ(slow->channel(0).ringLength, 4801);
    CHECK_EQ(slow->channel(1).ringLength, 4801);
}

TEST_CASE("prepare twice, release, prepare again: buffers replaced and released" *
          doctest::test_suite("engine.settings.resume")) {
    auto e = preparedAt(44100.0f, 256);
    CHECK(e->prepare(44100.0f, 1024));  // no release between
    CHECK(e->prepared());
    CHECK_EQ(e->maxBlock(), 1024);
    CHECK_EQ(e->channel(0).ringLength, 4800 + 1024);
    CHECK_EQ(buffers(*e), 8);  // the first set is freed: the sanitizer build reports it if it leaked
    e->release();
    CHECK(!e->prepared());
    CHECK_EQ(buffers(*e), 0);
    e->release();
    CHECK_EQ(buffers(*e), 0);
    CHECK(e->prepare(44100.0f, 1024));
    // Destroyed while prepared: the destructor releases the buffers.
}

TEST_CASE("a prepare that cannot allocate or has no valid rate leaves processing off" *
          doctest::test_suite("engine.settings.resume")) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Bad {
        float rate;
        int32_t block;
    } bad[] = {{1e12f, 512}, {616429824.0f, 512}, {44100.0f, 2147483600}, {44100.0f, -1}, {0.0f, 512}, {-44100.0f, 512}, {nan, 512},
               {inf, 512}};
    for (const Bad& b : bad) {
        auto e = preparedAt(44100.0f, 512);
        CHECK(e->prepared());
        CHECK(!e->prepare(b.rate, b.block));
        CHECK(!e->prepared());
        CHECK_EQ(buffers(*e), 0);
        // The same engine prepares normally once the values are sane.
        CHECK(e->prepare(48000.0f, 128));
        CHECK_EQ(buffers(*e), 8);
    }
}
