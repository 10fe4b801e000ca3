#include "lv2/MeterHold.h"

#include <algorithm>
#include <cmath>

#include "engine/Meters.h"

using namespace lv2port;

namespace {

// Peaks keep the highest value, gains the lowest.
float keep(uint32_t meter, float a, float b) {
    return meterKind(meter) == kPeakMeter ? std::max(a, b) : std::min(a, b);
}

void rest(MeterHold::Values& slot) {
    for (uint32_t m = 0; m < kNumMeters; ++m) slot[m] = meterKind(m) == kPeakMeter ? Meters::kNoPeak : 1.0f;
}

}  // namespace

void MeterHold::start(float rate) {
    slice = std::max(1u, uint32_t(std::ceil(double(rate) * kHoldSeconds / kSlices)));
    current = inSlice = 0;
    for (Values& slot : slots) rest(slot);
}

// The run's values count at its end: the slices that ended before it leave
// first, so even a run longer than the hold is held for the hold after it.
void MeterHold::add(uint32_t frames, const Values& values) {
    const uint64_t end = uint64_t(inSlice) + frames;
    const uint64_t passed = std::min<uint64_t>(end / slice, kSlots);
    for (uint64_t i = 0; i < passed; ++i) {
        current = (current + 1) % kSlots;
        rest(slots[current]);
    }
    inSlice = uint32_t(end % slice);
    for (uint32_t m = 0; m < kNumMeters; ++m) slots[current][m] = keep(m, slots[current][m], values[m]);
}

float MeterHold::held(uint32_t meter) const {
    float v = slots[0][meter];
    for (uint32_t s = 1; s < kSlots; ++s) v = keep(meter, v, slots[s][meter]);
    return v;
}
