// A channel with its own rings for driving the stages alone, set to its
// resume start values. Each ring sits between guard slots so that a write
// outside the ring shows up as a changed guard.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/Stages.h"
#include "engine/Tables.h"

struct StageChannel {
    static constexpr int32_t kGuard = 256;
    static constexpr float kGuardValue = 7.0f;

    int32_t ringLength;
    std::vector<float> smooth, limit, delay, knee;
    ChannelState ch{};

    explicit StageChannel(int32_t length)
        : ringLength(length),
          smooth(length + 2 * kGuard, kGuardValue),
          limit(length + 2 * kGuard, kGuardValue),
          delay(length + 2 * kGuard, kGuardValue),
          knee(length + 2 * kGuard, kGuardValue) {
        static const bool built = (buildTables(), true);
        (void)built;
        ch.smoothGain = smooth.data() + kGuard;
        ch.limitGain = limit.data() + kGuard;
        ch.delayLine = delay.data() + kGuard;
        ch.kneeGain = knee.data() + kGuard;
        channelStart(ch, length);
    }

    // Slot `offset` positions from `pos`, wrapped into the ring.
    int32_t slot(int64_t pos, int64_t offset) const {
        const int64_t s = (pos + offset) % ringLength;
        return int32_t(s < 0 ? s + ringLength : s);
    }

    bool guardsIntact() const {
        for (const std::vector<float>* ring : {&smooth, &limit, &delay, &knee}) {
            for (int32_t i = 0; i < kGuard; ++i)
                if ((*ring)[i] != kGuardValue || (*ring)[ring->size() - 1 - i] != kGuardValue) return false;
        }
        return true;
    }
};
