// Half-wave look-ahead limiter. The signal is cut into segments (half-waves
// between zero crossings, or humps between dips); when a segment closes, one
// gain 1/peak is written over it in the gain ring, with S-shaped attack and
// release ramps around it. All ring writes keep the minimum already there.
#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/LimiterStep.h"
#include "engine/Tables.h"

namespace {

constexpr float kFallPerWeight = 0.001f;  // falling mode: sink per unit of window weight


// Triangular weight of step j in a window of N + 1 steps: 4 * min(m, 1 - m)
// with m = j / N, and 1.0 for N = 0. The table covers N up to 210. Longer
// segments get the same triangle scaled by 210 / N, so that a segment sinks
// in total no more than a 210-sample one: otherwise a bass half-wave (or any
// half-wave at a high sample rate) would sink by 0.001 x N and fall silent.
float triangleWeight(int64_t j, int64_t N) {
    if (N < kWindowSize) return triangleWindow[j][N];
    const double m = double(j) / double(N);
    const double scale = double(kWindowSize - 1) / double(N);
    return float((m <= 0.5 ? 4.0 * m : 4.0 * (1.0 - m)) * scale);
}

// Falling mode: the running gain sinks with the window weight, never below 0.
float sink(float r, float weight) {
    const float s = float(double(r) - double(kFallPerWeight) * double(weight));
    return s < 0.0f ? 0.0f : s;
}

// Strictly smaller values replace (branch-free: an equal or larger value
// stores the slot's own value back).
inline void writeMin(float* gain, int32_t slot, float r) {
    const float old = gain[slot];
    gain[slot] = r < old ? r : old;
}

// The ring helpers from here on are inlined into the segment writer: on dense
// material a segment closes every few samples, and setting up a call around
// each helper cost as much as the few slots it writes or tests.

// writeMin over n consecutive slots, four at a time, slot i taking the value
// value(i) (four(i): those of slots i to i + 3): each slot keeps the smaller
// of its value and the new one (minps keeps the slot's own value unless the
// new one is strictly smaller, as writeMin does). Writing a slot twice changes
// nothing, so the last four overlap the ones before, one to three slots take
// three writes (slots 0, n / 2 and n - 1) and four to eight slots two
// vectors: no loop for the few slots most segments have, whose varying
// count the processor mispredicts.
template <typename Four, typename One>
[[gnu::always_inline]] inline void lowerRunOf(float* gain, int32_t n, Four four, One value) {
    if (n <= 0) return;
    if (n < 4) {
        for (const int32_t i : {0, n >> 1, n - 1}) writeMin(gain, i, value(i));
        return;
    }
    const auto lowerFour = [&](int32_t i) __attribute__((always_inline)) {
        _mm_storeu_ps(gain + i, _mm_min_ps(four(i), _mm_loadu_ps(gain + i)));
    };
    lowerFour(0);
    for (int32_t i = 4; i + 4 < n; i += 4) lowerFour(i);
    lowerFour(n - 4);
}

// writeMin of values[i] over n consecutive slots.
[[gnu::always_inline]] inline void lowerRun(float* gain, const float* values, int32_t n) {
    lowerRunOf(gain, n, [&](int32_t i) { return _mm_loadu_ps(values + i); }, [&](int32_t i) { return values[i]; });
}

// writeMin of one value over n consecutive slots.
[[gnu::always_inline]] inline void lowerRun(float* gain, float r, int32_t n) {
    const __m128 v = _mm_set1_ps(r);
    lowerRunOf(gain, n, [&](int32_t) { return v; }, [&](int32_t) { return r; });
}

// Whether each of n consecutive slots holds v or less (a NaN slot counts as
// less: writeMin leaves it as it is too). Four at a time, the first and last
// four outside the loop; one to three slots as above.
[[gnu::always_inline]] inline bool runAtMost(const float* gain, int32_t n, float v) {
    if (n <= 0) return true;
    if (n < 4) return !(gain[0] > v) & !(gain[n >> 1] > v) & !(gain[n - 1] > v);
    const __m128 limit = _mm_set1_ps(v);
    const auto aboveFour = [&](int32_t i) __attribute__((always_inline)) {
        return _mm_cmpgt_ps(_mm_loadu_ps(gain + i), limit);
    };
    __m128 above = _mm_or_ps(aboveFour(0), aboveFour(n - 4));
    for (int32_t i = 4; i + 4 < n; i += 4) above = _mm_or_ps(above, aboveFour(i));
    return _mm_movemask_ps(above) == 0;
}

// writeMin of r over the slots `from` to `to` positions behind pos (at most
// a ring's length apart), in the one or two runs they make in the ring.
[[gnu::always_inline]] inline void lowerBehind(float* gain, int32_t pos, int64_t from, int64_t to, int32_t ringLength,
                                               float r) {
    if (from > to) return;
    int64_t lo = int64_t(pos) - to, hi = int64_t(pos) - from;
    if (hi < 0) {
        lo += ringLength;
        hi += ringLength;
    }
    if (lo < 0) {
        lowerRun(gain + ringLength + lo, r, int32_t(-lo));
        lo = 0;
    }
    lowerRun(gain + lo, r, int32_t(hi - lo + 1));
}

// runAtMost over n slots of the ring from `first` on (n at most a ring's length).
[[gnu::always_inline]] inline bool atMost(const float* gain, int32_t ringLength, int32_t first, int32_t n, float v) {
    const int32_t head = std::min(n, ringLength - first);
    return runAtMost(gain + first, head, v) && runAtMost(gain, n - head, v);
}

inline int32_t back(int32_t slot, int32_t ringLength) { return slot == 0 ? ringLength - 1 : slot - 1; }

// lowerRun of n values (n at most a ring's length) into the ring from slot
// `first` on, in the one or two runs they make.
[[gnu::always_inline]] inline void lowerSpan(float* gain, int32_t ringLength, int32_t first, const float* values,
                                             int32_t n) {
    const int32_t head = std::min(n, ringLength - first);
    lowerRun(gain + first, values, head);
    lowerRun(gain, values + head, n - head);
}

// Slot `distance` positions behind `pos` (at most a ring's length), wrapped into the ring.
int32_t behind(int32_t pos, int64_t distance, int32_t ringLength) {
    const int64_t s = int64_t(pos) - distance;
    return int32_t(s >= 0 ? s : s + ringLength);
}

// The step of an S-shaped ramp of R + 1 slots from r to the release target.
float rampStep(const ChannelState& ch, float r, int32_t R) {
    return float((double(ch.releaseTarget) - double(r)) / double(R));
}

// Unsigned: 2 x 1023 + 23 in the exponent's place passes 2^63; the difference from
// the bits of 2^e below is what counts, and unsigned arithmetic keeps it exact.
constexpr uint64_t kTwo52Bits = uint64_t(1023 + 52) << 52;     // the bits of 2^52
constexpr uint64_t kPerGridBits = uint64_t(2 * 1023 + 23) << 52;  // less the bits of 2^e: those of 2^(23 - e)

// The whole number nearest x, ties to even, for 0 <= x < 2^52: adding 2^52
// leaves it in the low bits.
inline int64_t nearestWhole(double x) { return int64_t(std::bit_cast<uint64_t>(x + 0x1p52) - kTwo52Bits); }

// The power of two at or below a positive normal double.
double binadeStart(double a) { return std::bit_cast<double>(std::bit_cast<uint64_t>(a) & ~((uint64_t(1) << 52) - 1)); }

// A positive normal float a and its binade [base, top), counted in the
// binade's float steps: perGrid = 2^23 / base, a power of two made from the
// bits (the exponent negated), so scaling by it is exact; the floats of one
// binade have consecutive bit patterns, so the value `steps` float steps from
// a has a's bits plus or minus steps; room is how many float steps the binade
// holds on the side the run goes (a whole number).
template <bool rising>
struct Binade {
    explicit Binade(float a)
        : base(binadeStart(a)), top(2.0 * base),
          perGrid(std::bit_cast<double>(kPerGridBits - std::bit_cast<uint64_t>(base))),
          startBits(std::bit_cast<int32_t>(a)), room(int64_t(rising ? (top - a) * perGrid : (a - base) * perGrid)) {}
    // The float `steps` float steps from a (only meaningful while steps
    // stays within room; the bits wrap, unsigned, beyond).
    float at(uint64_t steps) const {
        const uint32_t bits = uint32_t(startBits), n = uint32_t(steps);
        return std::bit_cast<float>(rising ? bits + n : bits - n);
    }
    // How many float steps from a the float x is (x from at).
    int64_t stepsTo(float x) const {
        const uint32_t bits = uint32_t(startBits), xBits = std::bit_cast<uint32_t>(x);
        return rising ? xBits - bits : bits - xBits;
    }
    // How many float steps a step of q float steps (q >= 0, below 2^23)
    // moves a value of the binade: a + p rounds in double as base + p or
    // top - p does (a lies on the float grid, so to 2^-29 of a float step),
    // then to a whole count.
    static int64_t moved(double q) {
        return rising ? nearestWhole(0x1p23 + q) - (int64_t(1) << 23) : (int64_t(1) << 24) - nearestWhole(0x1p24 - q);
    }
    bool within(int64_t steps) const { return rising ? steps < room : steps <= room; }

    double base, top, perGrid;
    int32_t startBits;
    int64_t room;
};

// A run of float roundings: out[i], i = from..count-1, is the value before
// step i (out[from] = first), and step i adds add(i) (a double, of one sign
// for the whole run) to the value and rounds it to float; plain(a, i) is
// that step done plainly. Returns the value after the last step. Done step
// by step this is a chain of roundings, each waiting on the last (about 13
// cycles a step). Within one binade of the float, though, rounding a + p to
// float moves a by the same number of the binade's float steps whatever a
// is (a lies on the float grid), so the steps' counts are independent of
// each other and only their running sum is serial. Where the value would
// leave its binade, that one step is taken plainly and the counting goes on
// in the next binade. (On an exact tie the plain rounding picks the even
// float and the count the even count: one float step apart, on the rarest
// of ties.)
template <bool rising, typename Add, typename Plain>
float steppedRun(float first, int32_t from, int32_t count, Add add, Plain plain, float* out) {
    float a = first;
    int32_t i = from;
    while (i < count) {
        if (!(a > 0x1p-60f)) {  // tiny or zero: plainly
            out[i] = a;
            a = plain(a, i);
            ++i;
            continue;
        }
        const Binade<rising> b(a);
        int64_t steps = 0;
        for (;; ++i) {
            out[i] = b.at(steps);
            if (i + 1 == count) return plain(out[i], i);
            const double q = (rising ? add(i) : -add(i)) * b.perGrid;  // the step in float steps
            if (q >= 0x1p23) break;  // leaves the binade whatever a is
            const int64_t next = steps + b.moved(q);
            if (!b.within(next)) break;
            steps = next;
        }
        a = plain(out[i], i);  // the step that leaves the binade
        ++i;
    }
    return a;
}

// A ramp's run (steppedRun from 0 with add(i) = s * w[i]), its counts worked
// out first, two steps to a vector, from one row of weights in step order,
// and then their running sum; only where the run leaves its binade (most
// rising ramps do at their last step, reaching 1.0) or a step is too large
// does steppedRun take over from there. The same values as steppedRun.
template <bool rising, typename Plain>
void countedRamp(float first, double s, const float* w, int32_t count, Plain plain, float* out) {
    const auto add = [&](int32_t i) { return s * double(w[i]); };
    const int32_t n = count - 1;  // steps
    if (!(first > 0x1p-60f) || n < 1) {
        steppedRun<rising>(first, 0, count, add, plain, out);
        return;
    }
    const Binade<rising> b(first);
    // q = ±(s · w) · perGrid = (±s · perGrid) · w: scaling by a power of two commutes with the rounding.
    const __m128d scale = _mm_set1_pd((rising ? s : -s) * b.perGrid);
    // moved (Binade::moved): bits((2^23 + q) + 2^52) - bits(2^52) - 2^23 rising,
    // 2^24 + bits(2^52) - bits((2^24 - q) + 2^52) falling.
    const __m128d two52 = _mm_set1_pd(0x1p52);
    const __m128i bias = _mm_set1_epi64x(int64_t(kTwo52Bits) + (int64_t(1) << 23));
    const __m128i top = _mm_set1_epi64x(int64_t(kTwo52Bits) + (int64_t(1) << 24));
    int64_t moved[kWindowSize + 1];
    __m128d large = _mm_setzero_pd();  // a step of 2^23 float steps or more (or not a number)
    for (int32_t i = 0; i < n; i += 2) {  // a row holds kWindowSize weights, zero past R: w[n] may be read
        const __m128 twoWeights = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + i)));
        const __m128d q = _mm_mul_pd(_mm_cvtps_pd(twoWeights), scale);
        large = _mm_or_pd(large, _mm_cmpnlt_pd(q, _mm_set1_pd(0x1p23)));
        __m128i m;
        if constexpr (rising)
            m = _mm_sub_epi64(_mm_castpd_si128(_mm_add_pd(_mm_add_pd(q, _mm_set1_pd(0x1p23)), two52)), bias);
        else
            m = _mm_sub_epi64(top, _mm_castpd_si128(_mm_add_pd(_mm_sub_pd(_mm_set1_pd(0x1p24), q), two52)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(moved + i), m);
    }
    uint64_t steps = 0;  // unsigned: a step too large leaves counts that are no counts, thrown away below
    for (int32_t i = 0; i < n; ++i) {
        out[i] = b.at(steps);
        steps += uint64_t(moved[i]);
    }
    out[n] = b.at(steps);
    if (_mm_movemask_pd(large) != 0) {
        steppedRun<rising>(first, 0, count, add, plain, out);  // a step too large: as steppedRun does it
        return;
    }
    if (b.within(int64_t(steps))) return;
    // The run leaves the binade: at the last step j whose value before it is still within.
    int32_t j = n - 1;
    while (j > 0 && !b.within(b.stepsTo(out[j]))) --j;
    if (j + 1 == n) out[n] = plain(out[j], j);  // mostly the last step: no more to count
    else steppedRun<rising>(plain(out[j], j), j + 1, count, add, plain, out);
}

// The running values of a ramp: out[i], i = 0..R, the value before step i,
// from r, step i adding step x w[i] (its weight, from the ramp's row) and
// rounding to float.
void rampValues(float r, float step, int32_t R, float* out) {
    const float* w = rampWindow[R];
    const auto plain = [&](float a, int32_t i) { return float(double(a) + double(step) * double(w[i])); };
    if (step >= 0.0f) countedRamp<true>(r, step, w, R + 1, plain, out);
    else countedRamp<false>(r, step, w, R + 1, plain, out);
}

// Where a closed segment's gain goes: the limiter's ring and, for slots the
// smoother has already copied (from `copiedFrom` slots behind writePos on),
// the smoothed ring too, so that a late write still lowers what the smoothed
// output plays.
struct SegmentWriter {
    float* limit;
    float* smooth;
    int64_t copiedFrom;

    void put(int32_t slot, int64_t distance, float r) const {
        writeMin(limit, slot, r);
        if (distance >= copiedFrom) writeMin(smooth, slot, r);
    }
};

// Writes a closed segment of N samples ending at writePos: the running gain
// `r` over the N + 1 slots back from writePos (sinking in falling mode), the
// attack ramp in front of them and the release ramp from g behind them.
// Backward writes stop `reach` slots behind writePos: slots further back have
// already been played, and a gain left there would reach the sample that
// takes the slot one ring later. Returns the running gain left by the
// segment write.
float writeSegment(const ChannelState& ch, float r, float g, int32_t N, int32_t R, bool falling, int64_t reach) {
    const int32_t L = ch.ringLength;
    const int32_t p = ch.writePos;
    const int64_t smootherBehind = p >= ch.smoothPos ? p - ch.smoothPos : int64_t(p) - ch.smoothPos + L;
    const SegmentWriter out{ch.limitGain, ch.smoothGain, smootherBehind + 1};

    const int64_t last = std::min<int64_t>(N, reach);
    int32_t slot = p;
    if (falling && r < 1.0f) {
        // The sinking gain (below 1.0 from the start, so at every slot),
        // a run of roundings worked out a chunk at a time.
        float values[256];
        for (int64_t from = 0; from <= last; from += 256) {
            const int32_t count = int32_t(std::min<int64_t>(256, last + 1 - from));
            r = steppedRun<false>(
                r, 0, count,
                [&](int32_t i) { return -double(kFallPerWeight) * double(triangleWeight(N - from - i, N)); },
                [&](float a, int32_t i) { return sink(a, triangleWeight(N - from - i, N)); }, values);
            for (int32_t i = 0; i < count; ++i) {
                out.put(slot, from + i, values[i]);
                slot = back(slot, L);
            }
        }
    } else {
        // One gain over the whole segment: written run by run.
        lowerBehind(out.limit, p, 0, last, L, r);
        lowerBehind(out.smooth, p, out.copiedFrom, last, L, r);
    }

    // A ramp that rises from v never goes below v (each step adds a non-negative amount and
    // rounds), so where every slot it would reach already holds v or less it changes nothing. On
    // dense material most ramps fall among lower gains already written, and working out a ramp's
    // values is the costliest part of writing a segment, so such a ramp is left out.
    const int32_t reached = int32_t(std::clamp<int64_t>(reach - N, 0, int64_t(R) + 1));
    // Where the attack reaches any slot, N + reached is at most `reach`, within a ring's length.
    const int32_t front = behind(p, std::min<int64_t>(int64_t(N) + reached, L), L);
    // The smoothed ring takes the attack from `copiedFrom` slots behind on: the run's far end.
    const int32_t copied = int32_t(std::clamp<int64_t>(int64_t(N) + reached + 1 - out.copiedFrom, 0, reached));
    const int32_t ahead = std::min(R + 1, L);
    // A ramp rises where its start is at or below the release target.
    const float releaseTarget = ch.releaseTarget;
    // Ahead of the segment the ring mostly holds higher gains, so the release's far end is tried
    // first. When the release lowers and both ramps start from g, the attack's values are worked
    // out anyway, and it is written without a test. (Where the smoother has copied, its ring holds
    // no more than the limiter's; its test is kept as it costs next to nothing.)
    const int32_t farEnd = p + ahead - 1 < L ? p + ahead - 1 : p + ahead - 1 - L;
    const bool releaseLowers =
        !(releaseTarget >= g && !(ch.limitGain[farEnd] > g) && atMost(ch.limitGain, L, p, ahead, g));
    const bool attackLowers =
        (releaseLowers && g == r) ||
        !(releaseTarget >= r && atMost(out.limit, L, front, reached, r) && atMost(out.smooth, L, front, copied, r));

    float attack[kWindowSize];
    if (attackLowers) {
        // Attack, backwards in front of the segment: attack[i] goes N + 1 + i slots behind, so
        // the slots in ring order take the values reversed.
        rampValues(r, rampStep(ch, r, R), R, attack);
        float reversed[kWindowSize];
        std::reverse_copy(attack, attack + reached, reversed);
        lowerSpan(out.limit, L, front, reversed, reached);
        lowerSpan(out.smooth, L, front, reversed, copied);
    }
    if (releaseLowers) {
        // Release, forwards from the current slot: the attack's values when both start from g.
        float ownRelease[kWindowSize];
        const float* release = attack;
        if (g != r || !attackLowers) {
            rampValues(g, rampStep(ch, g, R), R, ownRelease);
            release = ownRelease;
        }
        lowerSpan(ch.limitGain, L, p, release, ahead);
    }
    return r;
}

// Gain that puts a segment's peak on full scale; infinite for a silent segment.
float peakGain(float peak) { return peak > 0.0f ? 1.0f / peak : std::numeric_limits<float>::infinity(); }

// Writes one closed segment: 1/peak over it (sinking in falling mode) with
// its ramps, unless the peak stays below full scale.
void writeClose(ChannelState& ch, const limiter::Close& c, int32_t R, bool falling) {
    const float g = peakGain(c.peak);
    if (ch.segmentLog) ch.segmentLog->closed(c.pos, c.length, c.hump, g);
    if (g > 1.0f) return;
    ch.writePos = c.pos;
    writeSegment(ch, g, g, c.length, R, falling, c.reach);
}

}  // namespace

namespace limiter {

int32_t rampLength(float rampFactor) {
    const double x = double(rampFactor) * double(190.0f) + double(10.0f);
    if (!(x >= 1.0)) return 1;
    if (x >= double(kWindowSize - 1)) return kWindowSize - 1;
    return int32_t(x);
}

void writeCloses(ChannelState& ch, const Close* closes, int32_t count, int32_t R, bool falling) {
    const int32_t pos = ch.writePos;
    for (int32_t k = 0; k < count; ++k) writeClose(ch, closes[k], R, falling);
    ch.writePos = pos;
}

}  // namespace limiter

void limitBlock(ChannelState& ch, const float* samples, float rampFactor, int32_t n, bool falling) {
    limiter::Noted queue[limiter::kMaxQueued];
    LimiterRun run(ch, rampFactor, falling, queue, n);
    const float* const knee = ch.kneeGain;
    float u[limiter::kMaxQueued];
    for (int32_t base = 0; base < n; base += limiter::kMaxQueued) {
        const int32_t m = std::min(limiter::kMaxQueued, n - base);
        for (int32_t i = 0; i < m; ++i) u[i] = samples[base + i] * knee[base + i];
        for (int32_t i = 0; i < m; ++i) run.step(u[i], base + i);
        run.endStretch(u, base, m);
    }
}
