// The reference maximizer: a frozen, plainly scalar copy of the processing
// (driver, equaliser, drive, soft knee, limiter, smoother, output tap) and
// the derived values it reads, driven by plain values. Optimised paths of
// the engine are compared against it; it is not to be tuned for speed.
#pragma once
#include <cstdint>
#include <vector>

namespace reference {

constexpr int kParams = 17;

// Where the limiter closed a segment: the channel, the ring slot of the
// sample that closed it, the segment's length, whether it was a hump, and
// 1/peak (written only when at most 1).
struct SegmentClose {
    int32_t channel, writePos, length;
    bool hump;
    float gain;
    bool operator==(const SegmentClose&) const = default;
};

class Maximizer {
public:
    // Internal parameter values, as the engine's paramValue holds them.
    Maximizer(float sampleRate, int32_t blockSize, const float (&params)[kParams]);
    ~Maximizer();
    Maximizer(const Maximizer&) = delete;
    Maximizer& operator=(const Maximizer&) = delete;

    void setParameter(int index, float value);

    // One host block, replacing the outputs. Blocks longer than the block
    // size run in pieces of that size. Channels as Auto Select (distinct,
    // connected buffers: stereo) or Force Channels decides; a forced mono
    // mode does not write the other output.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int32_t n);

    std::vector<SegmentClose> closes;

    struct Channel;
    struct Derived;

private:
    void piece(const float* in[2], float* out[2], int32_t n);

    float rate_;
    int32_t block_;
    float params_[kParams];
    int32_t ringLength_;
    Channel* channels_;
    Derived* derived_;
    float treble_[2][6];  // x2, x1, x, y2, y1, y of each channel's treble high-pass
    float follow_[2];
    std::vector<float> work_[2];
    int32_t readPos_, clearPos_;
    float outLeft_, outRight_;
};

}  // namespace reference
