// Gain smoother: copies the limiter's gain ring into the smoothed ring and,
// when the gain moves from one plateau (five or more bit-identical values) to
// the next, draws a straight line between the two levels. The line only
// lowers values, so it never allows more gain than the limiter asked for.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "engine/Stages.h"

namespace {

enum SmoothState : uint8_t { kNoPlateau = 0, kFirstPlateau = 1, kAfterFirst = 2, kSecondPlateau = 3 };

constexpr float kPlateauRuns = 3.0f;  // a run above this (five equal values) is a plateau

inline int32_t wrapBack(int32_t pos, int64_t distance, int32_t ringLength) {
    const int64_t s = (int64_t(pos) - distance) % ringLength;
    return int32_t(s < 0 ? s + ringLength : s);
}

inline void countGap(ChannelState& ch) { ch.gapCount += ch.gapCount != std::numeric_limits<int32_t>::max(); }

// Straight line between the first plateau's level and the second's (smoothPrev),
// written backwards over count + 1 slots from its start slot. A fall ends where
// the second plateau begins; a rise ends where the second plateau ends. The
// line stays within one lap behind s: slots further back belong to samples that
// have left the ring.
void drawLine(ChannelState& ch, int32_t s) {
    const int32_t L = ch.ringLength;
    const int32_t k = int32_t(ch.plateauRun);
    const float diff = ch.plateauLevel - ch.smoothPrev;
    ch.gapCount -= k;
    const bool fell = diff > 0.0f;
    const int64_t count = fell ? int64_t(ch.firstPlateauLength) + ch.gapCount + 1 : int64_t(ch.gapCount) + k;
    const int64_t startBack = fell ? int64_t(k) + 1 : 1;
    const float step = float(double(diff) / double(std::max<int64_t>(count, 1)));

    const int32_t start = wrapBack(s, startBack, L);
    const int64_t slots = std::min<int64_t>(count + 1, int64_t(L) - startBack);
    float r = ch.smoothPrev;
    int32_t slot = start;
    for (int64_t j = 0; j < slots; ++j) {
        if (r < ch.smoothGain[slot]) ch.smoothGain[slot] = r;
        r = float(double(r) + double(step));
        slot = slot == 0 ? L - 1 : slot - 1;
    }

    ch.plateauLevel = ch.smoothGain[start];
    ch.smoothState = kAfterFirst;
    ch.firstPlateauLength = fell ? k : 0;
    ch.gapCount = 0;
}

// A change of value below 1.0: ends the first plateau, counts a gap sample, or
// ends the second plateau and draws the line between the two.
void changeLevel(ChannelState& ch, int32_t s) {
    switch (ch.smoothState) {
        case kAfterFirst:
            countGap(ch);
            break;
        case kFirstPlateau:
            ch.firstPlateauLength = int32_t(ch.plateauRun);
            ch.gapCount = 0;
            ch.smoothState = kAfterFirst;
            break;
        case kSecondPlateau:
            drawLine(ch, s);
            break;
        default:
            break;
    }
    ch.plateauRun = 0.0f;
}

}  // namespace

namespace {

// The smoother over n positions from smoothPos, reading the limiter's gains
// from `limit` (the limiter's ring, or the tap's copy of it).
void smoothFrom(ChannelState& ch, const float* const limit, int32_t n) {
    const int32_t L = ch.ringLength;
    float* const smooth = ch.smoothGain;
    // The state every position touches lives in locals; a change of level
    // works on the record, which is brought up to date around it.
    int32_t pos = ch.smoothPos, gap = ch.gapCount;
    float prev = ch.smoothPrev, run = ch.plateauRun;
    uint8_t state = ch.smoothState;
    for (int32_t i = 0; i < n; ++i) {
        const float g = limit[pos];
        smooth[pos] = g;
        if (g >= 1.0f) {
            run = 0.0f;
            gap = 0;
            state = kNoPlateau;
        } else if (g == prev) {  // the run grows; five equal values make a plateau
            run = float(double(run) + 1.0);
            if (state >= kAfterFirst) gap += gap != std::numeric_limits<int32_t>::max();
            if (run > kPlateauRuns) {
                if (state == kNoPlateau) ch.plateauLevel = g;
                if (state == kNoPlateau || state == kAfterFirst) state += 1;
            }
        } else {
            ch.smoothPrev = prev;
            ch.plateauRun = run;
            ch.gapCount = gap;
            ch.smoothState = state;
            changeLevel(ch, pos);
            run = ch.plateauRun;
            gap = ch.gapCount;
            state = ch.smoothState;
        }
        prev = g;
        pos = pos + 1 == L ? 0 : pos + 1;
    }
    ch.smoothPos = pos;
    ch.gapCount = gap;
    ch.smoothPrev = prev;
    ch.plateauRun = run;
    ch.smoothState = state;
}

}  // namespace

void smoothBlock(ChannelState& ch, int32_t n) { smoothFrom(ch, ch.limitGain, n); }

namespace {

void catchUp(ChannelState& ch, int32_t readPos) {
    const int32_t L = ch.ringLength;
    const int32_t end = ch.smoothPos;
    const int64_t ahead = (int64_t(end) - readPos + L) % L;  // slots still in the limiter's ring
    // Copies behind the tap last until the limiter's late writes reach
    // smoothPos, one lap on: a smoother that idled longer starts afresh a
    // ring's length back (a fresh smoother agrees with one that ran all
    // along from the first position where that one had no plateau in view).
    const int64_t reachable = L;
    int64_t lag = ch.smoothLag;
    if (lag > reachable) {
        lag = reachable;
        ch.smoothPrev = -1.0f;
        ch.plateauRun = 0.0f;
        ch.plateauLevel = 0.0f;
        ch.smoothState = kNoPlateau;
        ch.gapCount = 1;
        ch.firstPlateauLength = 0;
    }
    const int32_t start = int32_t(((int64_t(end) - lag) % L + L) % L);
    const int64_t history = std::max<int64_t>(0, lag - ahead);
    // The positions the tap has passed come from its copy, the rest from the limiter's ring.
    ch.smoothPos = start;
    smoothFrom(ch, ch.smoothGain, int32_t(history));
    smoothFrom(ch, ch.limitGain, int32_t(lag - history));
    ch.smoothLag = 0;
}

}  // namespace

void smoothOrIdle(ChannelState& ch, int32_t n, bool read, int32_t readPos) {
    if (read) {
        if (ch.smoothLag > 0) catchUp(ch, readPos);
        smoothBlock(ch, n);
        return;
    }
    const int32_t L = ch.ringLength;
    ch.smoothPos = int32_t((ch.smoothPos + int64_t(n)) % L);
    ch.smoothLag = int32_t(std::min<int64_t>(int64_t(ch.smoothLag) + n, std::numeric_limits<int32_t>::max()));
}
