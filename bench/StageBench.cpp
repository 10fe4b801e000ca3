// Stage timings: the soft knee (both channels), the limiter and the smoother
// (each channel) run alone over a hot mix, and the fused knee and limiter
// over the mix and over white noise (dense material), without the host, the
// driver or the equaliser, so the cost of each per-sample path can be read
// apart, for each instruction set the processor has. Prints ns of processor
// time per stereo frame for each, best of five passes; the passes go round
// every row in turn, so that a slow phase of the machine touches every row
// alike.
//
//   hok-stage-bench [ramp factor]   (default 0.0536, Dull-Sharp's default: ramps of 20 slots)
#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/Coefficients.h"
#include "engine/Dynamics.h"
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

// White noise at 2.5 times full scale: dense material, where segments close
// every few samples and most of them limit.
void denseNoise(std::vector<float>& left, std::vector<float>& right) {
    uint32_t noise = 1u;
    for (size_t t = 0; t < left.size(); ++t) {
        noise = noise * 1103515245u + 12345u;
        const double w = ((noise >> 16 & 0x7fff) / 16384.0 - 1.0) * 2.5;
        left[t] = float(w);
        right[t] = float(w * 0.9);
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

// Processor time of this thread: a busy machine stretches wall time, not this.
// Every equaliser stage on (the benchmark's settings), in place on copies.
void equaliseBoth(Channel& l, Channel& r, const float* xl, const float* xr) {
    static HighPassSection treble[2] = {};
    static float follow[2] = {};
    static float bl[kBlock], br[kBlock];
    static const bool prepared = [] {
        for (HighPassSection& t : treble) store(t, butterworthHighPass(3000.0f, 44100.0f));
        return true;
    }();
    (void)prepared;
    for (Channel* c : {&l, &r}) {
        store(c->ch.bassHighPass, butterworthHighPass(100.0f, 44100.0f));
        store(c->ch.midNotch, midNotch(800.0f, 44100.0f));
    }
    std::copy(xl, xl + kBlock, bl);
    std::copy(xr, xr + kBlock, br);
    const EqualiserSettings s{true, true, true, true, bodyAmountFor(193.5f), 197.4f / 282.0f, 84.6f / 282.0f,
                              225.6f, trebleMixFor(225.6f)};
    equaliserPair(l.ch, r.ch, treble, follow, bl, br, s, kBlock);
}

double seconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const float rampFactor = argc > 1 ? float(std::atof(argv[1])) : 0.0536f;
    buildTables();
    std::vector<float> left(size_t(kBlock) * kBlocks), right(left.size()), noiseLeft(left.size()),
        noiseRight(left.size());
    hotMix(left, right);
    denseNoise(noiseLeft, noiseRight);
    // Rows marked perLevel run once for each instruction set the processor has.
    struct Timed {
        const char* name;
        bool perLevel;
        void (*run)(Channel& l, Channel& r, const float* xl, const float* xr, float rampFactor);
        bool dense = false;  // on the white noise instead of the mix
    };
    const auto fused = [](Channel& l, Channel& r, const float* xl, const float* xr, float f) {
        dynamicsPair(l.ch, r.ch, xl, xr, {2, 1, true, f, false, false}, 0, kBlock);
    };
    const Timed timed[] = {
        {"soft knee, paired", true,
         [](Channel& l, Channel& r, const float* xl, const float* xr, float) {
             kneeBlockPair(l.ch, r.ch, xl, xr, 2, 1, kBlock);
         }},
        {"limiter, 2 channels", false,
         [](Channel& l, Channel& r, const float* xl, const float* xr, float f) {
             limitBlock(l.ch, xl, f, kBlock, false);
             limitBlock(r.ch, xr, f, kBlock, false);
         }},
        {"smoother, 2 channels", false,
         [](Channel& l, Channel& r, const float*, const float*, float) {
             smoothBlock(l.ch, kBlock);
             smoothBlock(r.ch, kBlock);
         }},
        {"equaliser, every stage", true,
         [](Channel& l, Channel& r, const float* xl, const float* xr, float) { equaliseBoth(l, r, xl, xr); }},
        {"fused knee+limiter", true, fused},
        {"fused, white noise", true, fused, true},
    };
    const SimdLevel chosen = simdLevel();
    const double frames = double(kBlock) * kBlocks;
    struct Row {
        const Timed* timed;
        SimdLevel level;
        double best;
    };
    std::vector<Row> rows;
    for (const Timed& t : timed)
        for (const SimdLevel level : kSimdLevels)
            if (simdSupported(level) && (t.perLevel || level == SimdLevel::sse2)) rows.push_back({&t, level, 1e9});
    for (int pass = 0; pass < 5; ++pass) {
        for (Row& row : rows) {
            setSimdLevel(row.level);
            Channel l, r;
            const double t0 = seconds();
            for (int b = 0; b < kBlocks; ++b)
                row.timed->run(l, r, (row.timed->dense ? noiseLeft : left).data() + size_t(b) * kBlock,
                               (row.timed->dense ? noiseRight : right).data() + size_t(b) * kBlock, rampFactor);
            row.best = std::min(row.best, seconds() - t0);
        }
    }
    std::printf("stage                          ns/frame (best of 5, %d frames, ramp factor %.3f)\n", int(frames),
                rampFactor);
    for (const Row& row : rows) {
        char name[64];
        std::snprintf(name, sizeof name, row.timed->perLevel ? "%s, %s" : "%s", row.timed->name, simdName(row.level));
        std::printf("%-30s %8.2f\n", name, row.best / frames * 1e9);
    }
    setSimdLevel(chosen);
    return 0;
}
