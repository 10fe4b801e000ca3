// What the audio thread publishes for meters, per channel: the highest
// drive-gained input sample, the lowest gain applied at the output and the
// lowest soft-knee gain since the reader's last look, the soft knee's gain at
// the end of the last block, and which channels run. The audio thread is the only writer of every field except
// the held values, which the reader empties with an atomic exchange when
// it takes them; the writer merges into them with compare-and-swap, so a
// value published between two looks is never lost. All operations are
// lock-free and make no system call.
#pragma once
#include <atomic>
#include <cstdint>

struct MeterTake {
    float peak;       // highest sample since the last take; kNoPeak when none
    float reduction;  // lowest gain applied at the output since the last take (1.0: none)
    float knee;       // lowest soft-knee gain since the last take (1.0: none)
};

class Meters {
public:
    static constexpr float kNoPeak = -1.0f;  // below any meter value: nothing to raise

    // --- Audio thread ---
    void raisePeak(int c, float v) { mergeBy(held_[c].peak, v, [](float n, float o) { return !(n <= o); }); }
    void lowerReduction(int c, float g) { mergeBy(held_[c].reduction, g, lower); }
    void lowerKnee(int c, float g) { mergeBy(held_[c].knee, g, lower); }
    void setKneeGain(int c, float g) { knee_[c].store(g, std::memory_order_relaxed); }
    void setChannels(int32_t activeLeft, int32_t activeRight, int32_t solo) {
        active_[0].store(activeLeft, std::memory_order_relaxed);
        active_[1].store(activeRight, std::memory_order_relaxed);
        solo_.store(solo, std::memory_order_relaxed);
    }
    // An idle channel has nothing to show.
    void clearHeld(int c) {
        held_[c].peak.store(kNoPeak, std::memory_order_relaxed);
        held_[c].reduction.store(1.0f, std::memory_order_relaxed);
        held_[c].knee.store(1.0f, std::memory_order_relaxed);
    }
    // Start (and restart) of processing: the readers' meters rest.
    void restart() {
        for (int c = 0; c < 2; ++c) clearHeld(c);
        epoch_.fetch_add(1, std::memory_order_release);
    }

    // --- Reader ---
    MeterTake take(int c) {
        return {held_[c].peak.exchange(kNoPeak, std::memory_order_acq_rel),
                held_[c].reduction.exchange(1.0f, std::memory_order_acq_rel),
                held_[c].knee.exchange(1.0f, std::memory_order_acq_rel)};
    }
    float kneeGain(int c) const { return knee_[c].load(std::memory_order_relaxed); }
    int32_t active(int c) const { return active_[c].load(std::memory_order_relaxed); }
    int32_t solo() const { return solo_.load(std::memory_order_relaxed); }
    // Counts restarts; a reader that sees it change lets its meters rest.
    uint32_t epoch() const { return epoch_.load(std::memory_order_acquire); }

private:
    static bool lower(float n, float o) { return n < o; }
    template <typename Better>
    static void mergeBy(std::atomic<float>& field, float v, Better better) {
        float old = field.load(std::memory_order_relaxed);
        while (better(v, old) && !field.compare_exchange_weak(old, v, std::memory_order_acq_rel)) {
        }
    }

    struct Held {
        std::atomic<float> peak{kNoPeak};
        std::atomic<float> reduction{1.0f};
        std::atomic<float> knee{1.0f};
    };
    Held held_[2];
    std::atomic<float> knee_[2] = {1.0f, 1.0f};
    std::atomic<int32_t> active_[2] = {0, 0};
    std::atomic<int32_t> solo_{0};
    std::atomic<uint32_t> epoch_{0};
};
