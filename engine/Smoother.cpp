// Gain smoother: copies the limiter's gain ring into the smoothed ring and,
// when the gain moves from one plateau (five or more bit-identical values) to
// the next, draws a straight line between the two levels. The line only
// lowers values, so it never allows more gain than the limiter asked for.
#include <emmintrin.h>

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

// How many values from x[0] on, of at most n, pass the lane test `keep`
// (four at a time).
template <typename Keep>
int32_t leadingRun(const float* x, int32_t n, Keep keep) {
    int32_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const int mask = _mm_movemask_ps(keep(_mm_loadu_ps(x + k)));
        if (mask != 0xF) return k + __builtin_ctz(~mask);
    }
    for (; k < n; ++k)
        if (!(_mm_movemask_ps(keep(_mm_set1_ps(x[k]))) & 1)) break;
    return k;
}

// The smoother over n positions from smoothPos, reading the limiter's gains
// from `limit` (the limiter's ring, or the tap's copy of it). Most positions
// continue a run: of gains at 1.0 or above (the state rests), or of one gain
// below it (the plateau count grows). Such runs are found four values at a
// time and taken whole, with the same result as one position at a time.
void smoothFrom(ChannelState& ch, const float* const limit, int32_t n) {
    const int32_t L = ch.ringLength;
    float* const smooth = ch.smoothGain;
    // The state every position touches lives in locals; a change of level
    // works on the record, which is brought up to date around it.
    int32_t pos = ch.smoothPos, gap = ch.gapCount;
    float prev = ch.smoothPrev, run = ch.plateauRun;
    uint8_t state = ch.smoothState;
    const __m128 one = _mm_set1_ps(1.0f);
    while (n > 0) {
        // Up to the ring's end.
        const int32_t span = std::min(n, L - pos);
        const float* const from = limit + pos;
        for (int32_t j = 0; j < span;) {
            const float g = from[j];
            int32_t k = 1;
            if (g >= 1.0f) {
                k += leadingRun(from + j + 1, span - j - 1, [&](__m128 v) { return _mm_cmpge_ps(v, one); });
                run = 0.0f;
                gap = 0;
                state = kNoPlateau;
            } else if (g == prev) {
                // k more equal values: the count is a whole float that stops at 2^24, gaps are
                // counted from the first plateau on (no step below changes that), and the plateau
                // starts at the first step that takes the count above kPlateauRuns.
                const __m128 level = _mm_set1_ps(g);
                k += leadingRun(from + j + 1, span - j - 1, [&](__m128 v) { return _mm_cmpeq_ps(v, level); });
                run = float(std::min(double(run) + double(k), 0x1p24));
                if (state >= kAfterFirst)
                    gap = int32_t(std::min<int64_t>(int64_t(gap) + k, std::numeric_limits<int32_t>::max()));
                if (run > kPlateauRuns) {
                    if (state == kNoPlateau) ch.plateauLevel = g;
                    if (state == kNoPlateau || state == kAfterFirst) state += 1;
                }
            } else {
                smooth[pos + j] = g;
                ch.smoothPrev = prev;
                ch.plateauRun = run;
                ch.gapCount = gap;
                ch.smoothState = state;
                changeLevel(ch, pos + j);
                run = ch.plateauRun;
                gap = ch.gapCount;
                state = ch.smoothState;
                prev = g;
                ++j;
                continue;
            }
            std::copy(from + j, from + j + k, smooth + pos + j);
            prev = from[j + k - 1];
            j += k;
        }
        n -= span;
        pos = pos + span == L ? 0 : pos + span;
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
