// Stage timings: the soft knee (both channels), the limiter and the smoother
// (each channel) run alone over a hot mix, without the host, the driver or
// the equaliser, so the cost of each per-sample path can be read apart.
// Prints ns per stereo frame for each, best of five passes.
//
//   hok-stage-bench [ramp factor]   (default 0.3: ramps of 67 slots)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/Stages.h"
#include "engine/Tables.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 1000;
constexpr int kRing = 4800 + kBlock;

// A kick, noise hats and a bass line, peaks near 2.5 (as after the drive gain).
void hotMix(std::vector<float>& left, std::vector<float>& right) {
    uint32_t noise = 12345u;
    for (size_t t = 0; t < left.size(); ++t) {
        const double x = double(t) / 44100.0, beat = std::fmod(x, 0.5);
        const double kick = std::sin(2 * M_PI * (50 + 150 * std::exp(-beat * 30)) * beat) * std::exp(-beat * 8) * 1.8;
        noise = noise * 1103515245u + 12345u;
        const double hat = ((noise >> 16 & 0x7fff) / 16384.0 - 1.0) * std::exp(-std::fmod(x, 0.125) * 40) * 0.5;
        left[t] = float((kick + hat + std::sin(2 * M_PI * 55 * x) * 0.6) * 1.4);
        right[t] = float((kick - hat + std::sin(2 * M_PI * 55 * x + 0.3) * 0.6) * 1.4);
    }
}

struct Channel {
    std::vector<float> rings[4];
    ChannelState ch{};
    Channel() {
        for (auto& r : rings) r.assign(kRing, 0.0f);
        ch.smoothGain = rings[0].data();
        ch.limitGain = rings[1].data();
        ch.delayLine = rings[2].data();
        ch.kneeGain = rings[3].data();
        channelStart(ch, kRing);
    }
};

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
    const float rampFactor = argc > 1 ? float(std::atof(argv[1])) : 0.3f;
    buildTables();
    std::vector<float> left(size_t(kBlock) * kBlocks), right(left.size());
    hotMix(left, right);
    double best[3] = {1e9, 1e9, 1e9};
    for (int pass = 0; pass < 5; ++pass) {
        Channel l, r;
        double spent[3] = {0, 0, 0};
        for (int b = 0; b < kBlocks; ++b) {
            const float* xl = left.data() + size_t(b) * kBlock;
            const float* xr = right.data() + size_t(b) * kBlock;
            const double t0 = seconds();
            kneeBlockPair(l.ch, r.ch, xl, xr, 2, 1, kBlock);
            const double t1 = seconds();
            limitBlock(l.ch, xl, rampFactor, kBlock, false);
            limitBlock(r.ch, xr, rampFactor, kBlock, false);
            const double t2 = seconds();
            smoothBlock(l.ch, kBlock);
            smoothBlock(r.ch, kBlock);
            const double t3 = seconds();
            spent[0] += t1 - t0;
            spent[1] += t2 - t1;
            spent[2] += t3 - t2;
        }
        for (int k = 0; k < 3; ++k) best[k] = std::min(best[k], spent[k]);
    }
    const double frames = double(kBlock) * kBlocks;
    std::printf("stage                ns/frame (best of 5, %d frames, ramp factor %.3f)\n", int(frames), rampFactor);
    std::printf("soft knee, paired    %8.2f\n", best[0] / frames * 1e9);
    std::printf("limiter, 2 channels  %8.2f\n", best[1] / frames * 1e9);
    std::printf("smoother, 2 channels %8.2f\n", best[2] / frames * 1e9);
    return 0;
}
