// Treble stage: a high-pass at Treble Freq splits the signal into the band
// above it (clamped to full scale) and the rest. Below the neutral 141 the
// band is scaled down; above it, the band is mixed with a follower-tracked
// copy whose lag emphasises fast changes.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>

#include "engine/BlockOps.h"
#include "engine/HighPassRun.h"
#include "engine/MaximizerEffect.h"
#include "engine/Settle.h"
#include "engine/Stages.h"

void trebleStage(HighPassSection& s, float& follow, float* samples, float hiBoost, float trebleMix, int32_t n) {
    HighPassRun highPass(s);
    const bool boost = hiBoost > 141.0f;
    const float cut = hiBoost * (1.0f / 141.0f);
    const double m = trebleMix;
    float f = follow;
    for (int32_t i = 0; i < n; ++i) {
        const float x = samples[i];
        const float d = highPass.step(x);
        const double e = static_cast<double>(x) - d;
        const double t = std::clamp(d, -1.0f, 1.0f);
        if (!boost) {
            samples[i] = finiteOrZero(static_cast<float>(e + cut * t));
            continue;
        }
        const double tracked = std::clamp(1e-10 - f, -1.0, 1.0);
        const double w = std::fabs(t - f);
        const double E = std::fabs(w * t + 1e-10);
        const double diff = t - tracked;
        if (diff != 0.0) {
            const double step = 0.03f * std::fabs(diff + 1e-10) * 39.4f * (1.0 - E) + 1e-10;
            const double moved = diff > 0.0 ? f - step : f + step;
            f = static_cast<float>(std::clamp(moved, -1.0, 1.0));
        }
        samples[i] = settle(static_cast<float>(e + tracked * m + t * (1.0 - m)));
    }
    follow = f;
}

void MaximizerEffect::trebleStagePair() {
    ::trebleStagePair(trebleHighPass, trebleFollow, workBuffer[0], workBuffer[1], paramValue[kHiBoost], trebleMix,
                      blockFrames);
}

void MaximizerEffect::trebleStage(int c) {
    ::trebleStage(trebleHighPass[c], trebleFollow[c], workBuffer[c], paramValue[kHiBoost], trebleMix, blockFrames);
}

// Both channels at once, one per SSE2 lane: the arithmetic of trebleStage,
// each branch computed and each lane keeping its own.
void trebleStagePair(HighPassSection (&s)[2], float (&follow)[2], float* left, float* right, float hiBoost,
                     float trebleMix, int32_t n) {
    auto pair = [](float l, float r) { return _mm_cvtps_pd(_mm_setr_ps(l, r, 0.0f, 0.0f)); };
    auto select = [](__m128d mask, __m128d yes, __m128d no) {
        return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
    };
    auto clampUnit = [](__m128d v) {  // std::clamp(v, -1.0, 1.0)
        return _mm_min_pd(_mm_set1_pd(1.0), _mm_max_pd(_mm_set1_pd(-1.0), v));
    };
    const __m128d signBit = _mm_set1_pd(-0.0);
    const __m128d b0 = pair(s[0].b0, s[1].b0), b1 = pair(s[0].b1, s[1].b1), b2 = pair(s[0].b2, s[1].b2);
    const __m128d a1 = pair(s[0].a1, s[1].a1), a2 = pair(s[0].a2, s[1].a2);
    const bool boost = hiBoost > 141.0f;
    const __m128d cut = _mm_set1_pd(hiBoost * (1.0f / 141.0f));
    const __m128d m = _mm_set1_pd(trebleMix);
    const __m128d dry = _mm_sub_pd(_mm_set1_pd(1.0), m);
    const __m128d tiny = _mm_set1_pd(1e-10), rate = _mm_set1_pd(0.03f), gain = _mm_set1_pd(39.4f);
    const __m128d one = _mm_set1_pd(1.0), zero = _mm_setzero_pd();
    __m128d x1 = pair(s[0].x1, s[1].x1), x2 = pair(s[0].x2, s[1].x2);
    __m128d y1 = pair(s[0].y1, s[1].y1), y2 = pair(s[0].y2, s[1].y2);
    __m128d x = pair(s[0].x, s[1].x);
    __m128 d = _mm_setr_ps(s[0].y, s[1].y, 0.0f, 0.0f);
    __m128d f = pair(follow[0], follow[1]);
    float out[4];
    for (int32_t i = 0; i < n; ++i) {
        x = pair(left[i], right[i]);
        const __m128d sum = _mm_sub_pd(
            _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1)), _mm_mul_pd(b2, x2)),
                       _mm_mul_pd(a1, y1)),
            _mm_mul_pd(a2, y2));
        d = blockops::settle4(_mm_cvtpd_ps(sum));
        const __m128d dd = _mm_cvtps_pd(d);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = dd;
        const __m128d e = _mm_sub_pd(x, dd);
        const __m128d t = clampUnit(dd);  // d is finite, so clamping in double equals clamping the float
        __m128 o;
        if (!boost) {
            const __m128 v = _mm_cvtpd_ps(_mm_add_pd(e, _mm_mul_pd(cut, t)));
            o = _mm_and_ps(v, _mm_cmplt_ps(blockops::magnitude(v), _mm_set1_ps(INFINITY)));
        } else {
            const __m128d tracked = clampUnit(_mm_sub_pd(tiny, f));
            const __m128d w = _mm_andnot_pd(signBit, _mm_sub_pd(t, f));
            const __m128d E = _mm_andnot_pd(signBit, _mm_add_pd(_mm_mul_pd(w, t), tiny));
            const __m128d diff = _mm_sub_pd(t, tracked);
            const __m128d size = _mm_andnot_pd(signBit, _mm_add_pd(diff, tiny));
            const __m128d step =
                _mm_add_pd(_mm_mul_pd(_mm_mul_pd(_mm_mul_pd(rate, size), gain), _mm_sub_pd(one, E)), tiny);
            const __m128d moved = select(_mm_cmpgt_pd(diff, zero), _mm_sub_pd(f, step), _mm_add_pd(f, step));
            const __m128d next = _mm_cvtps_pd(_mm_cvtpd_ps(clampUnit(moved)));
            f = select(_mm_cmpneq_pd(diff, zero), next, f);
            o = blockops::settle4(
                _mm_cvtpd_ps(_mm_add_pd(_mm_add_pd(e, _mm_mul_pd(tracked, m)), _mm_mul_pd(t, dry))));
        }
        _mm_storeu_ps(out, o);
        left[i] = out[0];
        right[i] = out[1];
    }
    auto store = [](__m128d v, float& l, float& r) {
        float lanes[4];
        _mm_storeu_ps(lanes, _mm_cvtpd_ps(v));
        l = lanes[0];
        r = lanes[1];
    };
    store(x2, s[0].x2, s[1].x2);
    store(x1, s[0].x1, s[1].x1);
    store(x, s[0].x, s[1].x);
    store(y2, s[0].y2, s[1].y2);
    store(y1, s[0].y1, s[1].y1);
    store(_mm_cvtps_pd(d), s[0].y, s[1].y);
    store(f, follow[0], follow[1]);
}
