// An optional record of the limiter's segment decisions, for tests that
// compare them between implementations: where each segment closed (the ring
// slot of the sample that closed it), its length, whether it was a hump,
// and its gain 1/peak. Processing never needs it; a channel without one
// (the usual case) pays one predictable test per closed segment.
#pragma once
#include <cstdint>

struct SegmentLog {
    virtual void closed(int32_t writePos, int32_t length, bool hump, float gain) = 0;

protected:
    ~SegmentLog() = default;
};
