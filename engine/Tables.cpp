#include "engine/Tables.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <atomic>
#include <mutex>

#include "engine/Truncate.h"

namespace {

// All tables in one zero-filled block. The first build writes 2.4 MB that no
// page of the process has held yet; on Linux the block starts on a 2 MiB
// boundary inside a larger reserve and is marked for huge pages, so that first
// build takes a few page faults instead of some 580. Untouched reserve costs
// nothing.
struct TableBlock {
    int16_t level[kLevelSteps];
    int16_t over[kOverSteps];
    float amplitude[kLevelPositions];
    float window[kWindowSize][kWindowSize];
    float rampWindow[kWindowSize][kWindowSize];
};

#if defined(__linux__)
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
constexpr size_t kBlockBytes = (sizeof(TableBlock) + kHugePage - 1) / kHugePage * kHugePage;
alignas(64) unsigned char reserve[kBlockBytes + kHugePage];

// Marked at load, before anything reads the block: a read would map small
// zero pages and rule huge pages out for their range.
TableBlock& tableBlock() {
    const uintptr_t start = (reinterpret_cast<uintptr_t>(reserve) + kHugePage - 1) & ~(kHugePage - 1);
    madvise(reinterpret_cast<void*>(start), kBlockBytes, MADV_HUGEPAGE);  // advice only: may be refused
    return *reinterpret_cast<TableBlock*>(start);
}
#else
TableBlock block;
TableBlock& tableBlock() { return block; }
#endif

TableBlock& storage = tableBlock();

}  // namespace

float (&pixelAmplitude)[kLevelPositions] = storage.amplitude;
int16_t (&levelPixels)[kLevelSteps] = storage.level;
int16_t (&overPixels)[kOverSteps] = storage.over;
float (&triangleWindow)[kWindowSize][kWindowSize] = storage.window;
float (&rampWindow)[kWindowSize][kWindowSize] = storage.rampWindow;
int32_t instanceCount = 0;

namespace {

// A corner of the piecewise-linear level scale: amplitude step and position.
struct Breakpoint {
    int32_t step;
    int32_t position;
};

// Amplitude s × 0.000001 for s = 0..1000000 (silence to 0 dB).
constexpr Breakpoint kBelowFullScale[] = {
    {0, 0},         {16, 11},       {1000, 35},     {99997, 64},    {281830, 93},    {354803, 120},
    {446670, 138},  {562324, 158},  {707924, 177},  {891224, 196},  {1000000, 210},  {1000010, 220},
};

// Amplitude 1 + s / 1000 for s = 0..6000 (0 dB to about +16.9 dB).
constexpr Breakpoint kAboveFullScale[] = {
    {0, 210},    {123, 220},  {259, 230},  {409, 240},  {586, 250},  {776, 259},
    {994, 270},  {1239, 278}, {1499, 288}, {1825, 299}, {2152, 310}, {2534, 324},
    {2969, 339}, {3446, 353}, {4004, 368}, {4604, 381}, {5284, 395}, {6000, 405},
};

// Walks one piece of the scale with a running position d: every step s gets
// the position trunc(d), and every position the amplitude of the first step
// that reaches it. At each breakpoint d snaps to the breakpoint's position and
// the slope turns to that of the following segment. Positions stay within
// 0..405 here, so plain truncation is safe in this loop.
template <int N, typename Amplitude>
void walkPiece(const Breakpoint (&corners)[N], float firstSlope, Amplitude amplitudeAt, int16_t* table, int32_t end) {
    double d = corners[0].position;
    double slope = firstSlope;
    int32_t lastPosition = -1;  // trunc of the remembered position L, which starts at -1.0
    auto step = [&](int32_t s) {
        table[s] = static_cast<int16_t>(static_cast<int32_t>(d));
        d += slope;
    };
    auto mark = [&](int32_t s) {
        const int32_t p = static_cast<int32_t>(d);
        if (p != lastPosition) {
            pixelAmplitude[p] = amplitudeAt(s);
            lastPosition = static_cast<int32_t>(static_cast<float>(d));  // L is held in single precision
        }
    };
    int32_t s = 0;
    for (int next = 1; next < N && s <= end; ++next) {
        const int32_t corner = corners[next].step;
        for (; s < corner && s <= end; ++s) {
            step(s);
            mark(s);
        }
        if (s > end) break;
        step(s);
        d = corners[next].position;
        if (next + 1 < N)
            slope = double(corners[next + 1].position - corners[next].position) /
                    double(corners[next + 1].step - corners[next].step);
        mark(s);
        ++s;
    }
}

}  // namespace

namespace {
std::atomic<bool> tablesBuilt{false};
}  // namespace

void buildTables() {
    walkPiece(kBelowFullScale, 0.6875f, [](int32_t s) { return float(double(s) * double(0.000001f)); },
              levelPixels, kLevelSteps - 1);
    walkPiece(kAboveFullScale, 0.08130081f, [](int32_t s) { return float(double(s + 1000) * double(0.001f)); },
              overPixels, kOverSteps - 1);

    // Ramp weights: column n is a triangle over rows 0..n rising from 0 to 2
    // and back; column 0 is a single step of weight 1.
    for (int r = 0; r < kWindowSize; ++r) triangleWindow[r][0] = 1.0f;
    for (int n = 1; n < kWindowSize; ++n) {
        for (int r = n; r >= 0; --r) {
            const double m = double(r) / double(n);
            triangleWindow[r][n] = float(m <= 0.5 ? 4.0 * m : 4.0 * (1.0 - m));
        }
    }
    for (int n = 0; n < kWindowSize; ++n)
        for (int i = 0; i <= n; ++i) rampWindow[n][i] = triangleWindow[n - i][n];
    tablesBuilt.store(true, std::memory_order_release);
}

namespace {
std::mutex instanceLock;
}  // namespace

void attachInstance() {
    const std::lock_guard<std::mutex> hold(instanceLock);
    if (instanceCount == 0) buildTables();
    ++instanceCount;
}

void ensureTables() {
    if (tablesBuilt.load(std::memory_order_acquire)) return;
    const std::lock_guard<std::mutex> hold(instanceLock);
    if (!tablesBuilt.load(std::memory_order_relaxed)) buildTables();
}

void detachInstance() {
    const std::lock_guard<std::mutex> hold(instanceLock);
    --instanceCount;
}
