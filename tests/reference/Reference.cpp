// The reference maximizer, one sample at a time in plain scalar code:
// intermediates in double, states and samples stored as float.
#include "tests/reference/Reference.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Tables.h"

namespace reference {

namespace {

constexpr int32_t kLead = 2400, kSmoothLead = 1200, kLongest = 210;

float flush(float v) { return (v < 0x1p-32f && v > -0x1p-32f) ? 0.0f : v; }
float finiteOrZero(float v) { return std::isfinite(v) ? v : 0.0f; }
float settle(float v) { return std::isfinite(v) ? flush(v) : 0.0f; }

int32_t truncate(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return int32_t(v);
}

struct HighPass {
    double b0, b1, b2, a1, a2;
};

HighPass butterworth(float freq, float rate) {
    double angle = double(3.1415927f) * double(freq) / double(rate);
    angle = std::min(angle, 0.499 * 3.141592653589793);
    const double k = std::tan(angle), root2 = std::sqrt(2.0);
    const double n = 1.0 / ((k + root2) * k + 1.0);
    return {float(n), float(-2.0 * n), float(n), float(2.0 * (k * k - 1.0) * n), float((k * k - root2 * k + 1.0) * n)};
}

// Runs one second-order high-pass step on history h = {x2, x1, x, y2, y1, y}.
float highPass(const HighPass& c, float (&h)[6], float in) {
    h[2] = in;
    h[5] = settle(float(c.b0 * h[2] + c.b1 * h[1] + c.b2 * h[0] - c.a1 * h[4] - c.a2 * h[3]));
    h[0] = h[1];
    h[1] = h[2];
    h[3] = h[4];
    h[4] = h[5];
    return h[5];
}

double boost(double v, double k, double fold) {
    const double a = std::fabs(v);
    double h = v * (0.9f + k * (1.0 - a));
    if (v > 0.0 && a * h > v) h = v;
    if (v < 0.0 && a * h < v) h = v;
    const double o = std::fabs(a - std::fabs(fold * h));
    return h * (1.0 - o * (1.0 - a) * a * a);
}

// Triangular ramp weight of step j in a window of N + 1 steps; windows past
// 210 steps are scaled so that their sum stays that of the 210-step window.
float weight(int64_t j, int64_t N) {
    if (N == 0) return 1.0f;
    const double m = double(j) / double(N);
    const double w = m <= 0.5 ? 4.0 * m : 4.0 * (1.0 - m);
    return N <= kLongest ? float(w) : float(w * (double(kLongest) / double(N)));
}

}  // namespace

struct Maximizer::Derived {
    float limiterGain, outputGain, rampFactor, bodyAmount, trebleMix;
    HighPass bass, treble;
    double notchB0, notchB1, notchA1, notchA2;
};

struct Maximizer::Channel {
    float bass[6] = {}, mid[5] = {};  // mid: x2, x1, x, y2, y1
    float kneeState = 1.0f, kneeRate = 0.0f;
    std::vector<float> smooth, limit, delay, knee;
    int32_t L;
    int32_t writePos, segmentLength = -1, humpCount = 0, halfWaveSign = -1;
    float prevSample = 0.0f, segmentPeak = 0.0f, turnLevel = 0.0f, lastSlope = 1.0f, releaseTarget = 1.0f;
    int32_t smoothPos, gapCount = 1, firstPlateauLength = 0;
    float smoothPrev = -1.0f, plateauRun = 0.0f, plateauLevel = 0.0f;
    int smoothState = 0;

    Channel(int32_t length, int32_t floats)
        : smooth(floats, 1.0f), limit(floats, 1.0f), delay(floats, 0x1p-32f), knee(floats, 1.0f), L(length),
          writePos(kLead % length), smoothPos(kSmoothLead % length) {}

    int32_t back(int32_t s) const { return s == 0 ? L - 1 : s - 1; }
    int32_t behind(int32_t pos, int64_t d) const {
        const int64_t s = (int64_t(pos) - d) % L;
        return int32_t(s < 0 ? s + L : s);
    }
    static void lower(float& slot, float r) { slot = r < slot ? r : slot; }

    // Soft knee, one gain per sample.
    void kneeRun(const float* x, int32_t speed, bool enabled, int32_t n) {
        if (!enabled) {
            kneeState = 1.0f;
            std::fill_n(knee.data(), n, 1.0f);
            return;
        }
        static constexpr float kWidth[3] = {7.5f, 10.5f, 13.5f};
        const double width = kWidth[std::min(speed & 0xFF, 2)];
        for (int32_t i = 0; i < n; ++i) {
            double y = std::fabs(x[i]);
            if (!(y <= 7.0)) y = 7.0;
            if (y < 1.0) y = 1.0;
            y = std::min(y - 1.0, width);
            const double t = 1.0 - y / width, target = t * t * t;
            const double s = kneeState;
            if (s > target) {
                kneeRate = 0.02f;
                kneeState = float(s - double(0.05f) * s * s * s * (s - target));
            } else {
                const double r = kneeRate;
                kneeRate = float(r + double(0.0008f));
                const double m = double(1.055f) - s;
                const double k = s + double(0.0003f) * r * m * m * m;
                kneeState = float(k * (1.0 + double(0.000004f) * k * k * k * k * k));
                if (kneeRate > 1.0f) kneeRate = 1.0f;
            }
            kneeState = std::clamp(kneeState, 0.1f, 1.0f);
            knee[i] = kneeState;
        }
    }

    // A closed segment's gain over its N + 1 slots back from writePos, with
    // the attack ramp before it and the release ramp from g after it.
    float writeSegment(float r, float g, int32_t N, int32_t R, bool falling, int64_t reach) {
        const int32_t p = writePos;
        const int64_t copiedFrom = (int64_t(p) - smoothPos + L) % L + 1;
        auto put = [&](int32_t slot, int64_t distance, float v) {
            lower(limit[slot], v);
            if (distance >= copiedFrom) lower(smooth[slot], v);
        };
        const int64_t last = std::min<int64_t>(N, reach);
        int32_t slot = p;
        const bool sinks = falling && r < 1.0f;
        for (int64_t k = 0; k <= last; ++k) {
            put(slot, k, r);
            if (sinks && r < 1.0f) {
                const float s = float(double(r) - double(0.001f) * double(weight(N - k, N)));
                r = s < 0.0f ? 0.0f : s;
            }
            slot = back(slot);
        }
        std::vector<float> attack(R + 1), release(R + 1);
        float a = r, e = g;
        const float aStep = float((double(releaseTarget) - double(a)) / double(R));
        const float eStep = float((double(releaseTarget) - double(e)) / double(R));
        for (int32_t j = R, i = 0; j >= 0; --j, ++i) {
            attack[i] = a;
            release[i] = e;
            a = float(double(a) + double(aStep) * double(weight(j, R)));
            e = float(double(e) + double(eStep) * double(weight(j, R)));
        }
        slot = behind(p, int64_t(N) + 1);
        for (int32_t i = 0; i <= R && int64_t(N) + 1 + i <= reach; ++i) {
            put(slot, int64_t(N) + 1 + i, attack[i]);
            slot = back(slot);
        }
        slot = p;
        for (int32_t i = 0; i < std::min(R + 1, L); ++i) {
            lower(limit[slot], release[i]);
            slot = slot + 1 == L ? 0 : slot + 1;
        }
        return r;
    }

    static float peakGain(float peak) { return peak > 0.0f ? 1.0f / peak : std::numeric_limits<float>::infinity(); }

    void limitRun(const float* x, float rampFactor, int32_t n, bool falling, int channel,
                  std::vector<SegmentClose>& closes) {
        const double rl = double(rampFactor) * double(190.0f) + double(10.0f);
        const int32_t R = !(rl >= 1.0) ? 1 : (rl >= double(kLongest) ? kLongest : int32_t(rl));
        const int64_t ringReach = std::max<int64_t>(0, int64_t(L) - R - 1);
        for (int32_t i = 0; i < n; ++i) {
            const float u = x[i] * knee[i], v = std::fabs(u), d = u - prevSample;
            delay[writePos] = u;
            const int64_t reach = std::min<int64_t>(int64_t(kLead) + i, ringReach);
            auto closeHump = [&] {
                const float g = peakGain(segmentPeak);
                closes.push_back({channel, writePos, segmentLength, true, g});
                if (g <= 1.0f) writeSegment(g, g, segmentLength, R, falling, reach);
                segmentPeak = v;
                humpCount += 1;
                segmentLength = 0;
            };
            const bool ends = (u > 0.0f && halfWaveSign == 0) || (u < 0.0f && halfWaveSign == 1) ||
                              (u == 0.0f && (halfWaveSign == 0 || halfWaveSign == 1));
            bool start = false;
            if (prevSample == 0.0f && u == 0.0f) {
                segmentLength = 0;
                humpCount = 0;
            } else if (prevSample == 0.0f && halfWaveSign == -1) {
                start = true;
            } else if (prevSample != 0.0f && ends) {
                if (humpCount > 0) {
                    closeHump();
                } else {
                    const float g = peakGain(segmentPeak);
                    closes.push_back({channel, writePos, segmentLength, false, g});
                    if (g <= 1.0f) writeSegment(g, g, segmentLength, R, falling, reach);
                }
                start = true;
            } else if ((d > 0.0f && lastSlope < 0.0f) || (d < 0.0f && lastSlope > 0.0f)) {
                if (v < turnLevel) closeHump();
                turnLevel = v;
                lastSlope = d;
            }
            if (start) {
                turnLevel = 0.0f;
                lastSlope = d;
                segmentLength = 0;
                humpCount = 0;
                segmentPeak = 0.0f;
                halfWaveSign = u > 0.0f ? 1 : 0;
            }
            if (v >= segmentPeak) segmentPeak = v;
            prevSample = u;
            segmentLength += segmentLength != std::numeric_limits<int32_t>::max();
            writePos = writePos + 1 == L ? 0 : writePos + 1;
        }
    }

    // The line between two plateaus, backwards from its start slot.
    void drawLine(int32_t s) {
        const int32_t k = int32_t(plateauRun);
        const float diff = plateauLevel - smoothPrev;
        gapCount -= k;
        const bool fell = diff > 0.0f;
        const int64_t count = fell ? int64_t(firstPlateauLength) + gapCount + 1 : int64_t(gapCount) + k;
        const int64_t startBack = fell ? int64_t(k) + 1 : 1;
        const float step = float(double(diff) / double(std::max<int64_t>(count, 1)));
        const int32_t start = behind(s, startBack);
        const int64_t slots = std::min<int64_t>(count + 1, int64_t(L) - startBack);
        float r = smoothPrev;
        int32_t slot = start;
        for (int64_t j = 0; j < slots; ++j) {
            if (r < smooth[slot]) smooth[slot] = r;
            r = float(double(r) + double(step));
            slot = back(slot);
        }
        plateauLevel = smooth[start];
        smoothState = 2;
        firstPlateauLength = fell ? k : 0;
        gapCount = 0;
    }

    void smoothRun(int32_t n) {
        for (int32_t i = 0; i < n; ++i) {
            const int32_t s = smoothPos;
            const float g = limit[s];
            smooth[s] = g;
            if (g >= 1.0f) {
                plateauRun = 0.0f;
                gapCount = 0;
                smoothState = 0;
            } else if (g == smoothPrev) {
                plateauRun = float(double(plateauRun) + 1.0);
                if (smoothState >= 2) gapCount += gapCount != std::numeric_limits<int32_t>::max();
                if (plateauRun > 3.0f) {
                    if (smoothState == 0) plateauLevel = g;
                    if (smoothState == 0 || smoothState == 2) smoothState += 1;
                }
            } else {
                if (smoothState == 2) gapCount += gapCount != std::numeric_limits<int32_t>::max();
                else if (smoothState == 1) {
                    firstPlateauLength = int32_t(plateauRun);
                    gapCount = 0;
                    smoothState = 2;
                } else if (smoothState == 3) {
                    drawLine(s);
                }
                plateauRun = 0.0f;
            }
            smoothPrev = g;
            smoothPos = smoothPos + 1 == L ? 0 : smoothPos + 1;
        }
    }
};

namespace {

void derive(Maximizer::Derived& d, const float (&p)[kParams], float rate) {
    int32_t position = std::clamp(truncate(p[0]), 8, kLevelPositions - 4);
    d.limiterGain = pixelAmplitude[position + 3];
    d.rampFactor = float((1.0 - double(p[1]) * double(1.0f / 168.0f)) * double(0.5f));
    double x = double(p[2]) * double(1.0f / 196.0f);
    if (!(x >= double(0.000999f))) x = double(0.000999f);
    if (x > 1.0) x = 1.0;
    const double db = 20.0 * std::log10(x);
    const int32_t whole = truncate(db), tenth = truncate((db - whole) * 10.0);
    const double gain = std::pow(10.0, (tenth * double(0.1f) + whole) / 20.0);
    d.outputGain = gain > 1.0 ? 1.0f : float(gain);
    d.bodyAmount = float(double(p[6]) * double(0.0025f));
    d.trebleMix = float((double(p[9]) - 141.0) * double(1.0f / 141.0f) * 282.0 * double(1.0f / 120.0f));
    d.bass = butterworth(p[10], rate);
    d.treble = butterworth(p[12], rate);
    const double c = std::cos(double(6.2831855f) * double(p[11]) / double(rate));
    const float b0 = float(double(0.945f) + double(0.003025f) / (2.0 * (std::fabs(c) + 1.0)));
    d.notchB0 = b0;
    d.notchB1 = float(-2.0 * double(b0) * c);
    d.notchA1 = float(-double(1.89f) * c);
    d.notchA2 = 0.893025f;
}

}  // namespace

Maximizer::Maximizer(float sampleRate, int32_t blockSize, const float (&params)[kParams])
    : rate_(sampleRate), block_(std::max(blockSize, 1)), treble_{}, follow_{}, readPos_(0), outLeft_(0),
      outRight_(0) {
    attachInstance();  // the level scale the drive gain is read from
    std::copy(params, params + kParams, params_);
    const float r = sampleRate * (1.0f / 44100.0f);
    ringLength_ = int32_t(std::fmax(std::trunc(double(r) * 4800.0 + block_), 4800.0 + block_));
    const int32_t floats = int32_t(std::fmax(std::trunc(double(r) * 4802.0 + block_), 4802.0 + block_));
    clearPos_ = ringLength_;
    channels_ = static_cast<Channel*>(::operator new(2 * sizeof(Channel)));
    for (int c = 0; c < 2; ++c) new (channels_ + c) Channel(ringLength_, floats);
    derived_ = new Derived;
    derive(*derived_, params_, rate_);
    for (auto& w : work_) w.resize(size_t(block_));
}

Maximizer::~Maximizer() {
    for (int c = 0; c < 2; ++c) channels_[c].~Channel();
    ::operator delete(channels_);
    delete derived_;
    detachInstance();
}

void Maximizer::setParameter(int index, float value) {
    params_[index] = value;
    derive(*derived_, params_, rate_);
}

void Maximizer::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int32_t n) {
    for (int32_t at = 0; at < n; at += block_) {
        const float* in[2] = {inLeft + at, inRight + at};
        float* out[2] = {outLeft + at, outRight + at};
        piece(in, out, std::min(block_, n - at));
    }
}

void Maximizer::piece(const float* in[2], float* out[2], int32_t n) {
    const float* p = params_;
    const Derived& d = *derived_;
    const int32_t forced = truncate(p[14]);
    const int mode = truncate(p[13]) == 1 ? 0 : (forced >= 0 && forced <= 2 ? forced : 0);
    const bool active[2] = {mode != 2, mode != 1};
    const bool linked = uint8_t(truncate(p[5])) == 1 && mode == 0;
    const int alg = std::clamp(truncate(p[3]), 0, 5);
    const bool kneeOn = alg >= 3, falling = alg == 2 || alg == 5, smoothed = alg == 1 || alg == 2;
    Channel* ch = channels_;
    const int32_t L = ringLength_;

    for (int c = 0; c < 2; ++c) {
        if (!active[c]) {  // the idle channel keeps its rings aligned
            ch[c].writePos = int32_t((ch[c].writePos + n % L) % L);
            ch[c].smoothPos = int32_t((ch[c].smoothPos + n % L) % L);
            continue;
        }
        float* w = work_[c].data();
        for (int32_t i = 0; i < n; ++i) w[i] = settle(in[c][i]);
        if (truncate(p[15]) == 1) {
            if (p[6] != 0.0f) {
                const double e = d.bodyAmount, dry = 1.0 - e, wet = 1.1f * e;
                for (int32_t i = 0; i < n; ++i) w[i] = settle(float(dry * w[i] + wet * boost(w[i], e, 1.08f)));
            }
            if (p[7] != 141.0f) {
                const float cb = p[7] * (1.0f / 282.0f), cut = 2.0f * cb, k = (cb - 0.5f) * 2.0f;
                for (int32_t i = 0; i < n; ++i) {
                    const float y = highPass(d.bass, ch[c].bass, w[i]);
                    const double low = double(w[i]) - y;
                    w[i] = cb > 0.5f ? settle(float(y + k * boost(low, k, 1.0) + (1.0 - k) * low))
                                     : finiteOrZero(float(y + cut * low));
                }
            }
            if (p[8] != 141.0f) {
                const float cm = p[8] * (1.0f / 282.0f);
                const double g = cm > 0.5f ? double((cm - 0.5f) * 2.0f) + 1.0 : double(2.0f * cm);
                float(&h)[5] = ch[c].mid;  // x2, x1, x, y2, y1
                for (int32_t i = 0; i < n; ++i) {
                    h[2] = w[i];
                    const float o = finiteOrZero(float(d.notchB0 * (double(h[2]) + h[0]) + d.notchB1 * h[1] -
                                                       d.notchA1 * h[4] - d.notchA2 * h[3] + 1e-25));
                    h[0] = h[1];
                    h[1] = h[2];
                    h[3] = h[4];
                    h[4] = o;
                    const float r = float(double(h[2]) - std::clamp(o, -1.0f, 1.0f));
                    const double pass = double(h[2]) - r;
                    w[i] = settle(float(double(flush(r)) * g + pass));
                }
            }
            if (p[9] != 141.0f) {
                const float hi = p[9];
                const float cut = hi * (1.0f / 141.0f);
                const double m = d.trebleMix;
                float& f = follow_[c];
                for (int32_t i = 0; i < n; ++i) {
                    const float x = w[i];
                    const float y = highPass(d.treble, treble_[c], x);
                    const double e = double(x) - y, t = std::clamp(y, -1.0f, 1.0f);
                    if (!(hi > 141.0f)) {
                        w[i] = finiteOrZero(float(e + cut * t));
                        continue;
                    }
                    const double tracked = std::clamp(1e-10 - f, -1.0, 1.0);
                    const double E = std::fabs(std::fabs(t - f) * t + 1e-10);
                    const double diff = t - tracked;
                    if (diff != 0.0) {
                        const double step = 0.03f * std::fabs(diff + 1e-10) * 39.4f * (1.0 - E) + 1e-10;
                        f = float(std::clamp(diff > 0.0 ? f - step : f + step, -1.0, 1.0));
                    }
                    w[i] = settle(float(e + tracked * m + t * (1.0 - m)));
                }
            }
        }
        for (int32_t i = 0; i < n; ++i) w[i] = finiteOrZero(w[i] * d.limiterGain);
        ch[c].kneeRun(w, truncate(p[4]), kneeOn, n);
    }
    if (linked)
        for (int32_t i = 0; i < n; ++i) ch[0].knee[i] = ch[1].knee[i] = std::min(ch[0].knee[i], ch[1].knee[i]);
    for (int c = 0; c < 2; ++c) {
        if (!active[c]) continue;
        ch[c].limitRun(work_[c].data(), d.rampFactor, n, falling, c, closes);
        ch[c].smoothRun(n);
    }

    for (int32_t i = 0; i < n; ++i) {
        float g[2];
        for (int c = 0; c < 2; ++c) g[c] = (smoothed ? ch[c].smooth : ch[c].limit)[readPos_];
        if (linked) g[0] = g[1] = std::min(g[0], g[1]);
        for (int c = 0; c < 2; ++c) {
            if (!active[c]) continue;
            work_[c][i] = ch[c].delay[readPos_] * g[c];
            if (clearPos_ < L) ch[c].limit[clearPos_] = 1.0f;
        }
        readPos_ = readPos_ + 1 == L ? 0 : readPos_ + 1;
        clearPos_ = clearPos_ + 1 >= L ? 0 : clearPos_ + 1;
    }

    for (int32_t i = 0; i < n; ++i) {
        if (active[0]) outLeft_ = flush(d.outputGain * work_[0][i]);
        if (active[1]) outRight_ = flush(d.outputGain * work_[1][i]);
        if (mode == 1) outRight_ = outLeft_;
        if (mode == 2) outLeft_ = outRight_;
        // A forced mono mode leaves the other output untouched.
        if (mode != 2) out[0][i] = outLeft_;
        if (mode != 1) out[1][i] = outRight_;
    }
}

}  // namespace reference
