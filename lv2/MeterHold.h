// What the meter ports hold: per meter the highest peak, or the lowest gain,
// of the runs that ended in at least the last 1/25 s of audio (at most a
// slice more). Hosts pass output port values on to a user interface at its
// refresh rate, after some run; a value shown for its own run only would be
// missed whenever it fell between two refreshes. Held this long, every value
// reaches an interface refreshed 25 times or more per second of audio.
// Fixed arrays: no allocation, lock or system call.
#pragma once
#include <cstdint>

#include "lv2/Ports.h"

class MeterHold {
public:
    static constexpr double kHoldSeconds = 1.0 / 25.0;
    static constexpr uint32_t kSlices = 4;  // the hold in slices; one more is being filled

    using Values = float[lv2port::kNumMeters];  // linear, in meter order

    // Start of processing at this rate: every meter rests.
    void start(float rate);
    // A run of `frames` frames ended with these values (peaks may be
    // Meters::kNoPeak: none).
    void add(uint32_t frames, const Values& values);
    // The held value of a meter.
    float held(uint32_t meter) const;
    uint32_t sliceLength() const { return slice; }

private:
    static constexpr uint32_t kSlots = kSlices + 1;
    Values slots[kSlots] = {};
    uint32_t current = 0;  // the slot being filled
    uint32_t inSlice = 0;  // frames of the current slot so far
    uint32_t slice = 1;
};
