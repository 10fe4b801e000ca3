// The meters the audio thread publishes: what a reader takes, and that no
// published value is lost while a reader takes concurrently.
#include <atomic>
#include <thread>
#include <vector>

#include "engine/Meters.h"
#include <doctest.h>

TEST_CASE("a take returns the highest peak and lowest gain since the last take, then nothing" *
          doctest::test_suite("engine.meters")) {
    Meters m;
    m.raisePeak(0, 0.4f);
    m.raisePeak(0, 0.9f);
    m.raisePeak(0, 0.2f);
    m.lowerReduction(0, 0.7f);
    m.lowerReduction(0, 0.5f);
    m.lowerReduction(0, 0.6f);
    const MeterTake t = m.take(0);
    CHECK_EQ(t.peak, 0.9f);
    CHECK_EQ(t.reduction, 0.5f);
    const MeterTake empty = m.take(0);
    CHECK_EQ(empty.peak, Meters::kNoPeak);
    CHECK_EQ(empty.reduction, 1.0f);
    CHECK_EQ(m.take(1).peak, Meters::kNoPeak);  // channels are apart
}

TEST_CASE("values published while a reader takes are never lost" * doctest::test_suite("engine.meters")) {
    // The writer publishes ever higher peaks and ever lower gains, counting
    // each; every take must cover the last value published before it began.
    constexpr int kCount = 1000000;
    Meters m;
    std::atomic<int> published{0};
    std::atomic<bool> done{false};
    int missed = 0;
    std::thread reader([&] {
        float highest = Meters::kNoPeak, lowest = 1.0f;
        while (!done.load()) {
            const int before = published.load();
            const MeterTake t = m.take(0);
            if (t.peak > highest) highest = t.peak;
            if (t.reduction < lowest) lowest = t.reduction;
            if (before > 0 && (highest < float(before) || lowest > 1.0f / float(before + 1))) ++missed;
        }
    });
    for (int k = 1; k <= kCount; ++k) {
        m.raisePeak(0, float(k));
        m.lowerReduction(0, 1.0f / float(k + 1));
        published.store(k);
    }
    done.store(true);
    reader.join();
    const MeterTake last = m.take(0);
    CHECK_EQ(missed, 0);
    CHECK((last.peak == float(kCount) || last.peak == Meters::kNoPeak));
}
