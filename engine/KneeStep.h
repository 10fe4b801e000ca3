// Soft knee, one sample of each lane at a time: a gain between 0.1 and 1.0
// that pulls samples above full scale down, with a fast cubic attack and a
// release whose speed grows the longer it lasts. Written once over a lane set
// (engine/Lanes.h): one channel for the mono path, both channels in the
// double lanes of one register for the stereo path. State and rate are floats
// carried in double.
//
// What sets the speed is the chain from one state to the next, so the
// release is written for a short chain:
//   k = s + c·r·(A - s)³ as the cubic q0 + q1·s + q2·s² + q3·s³ (Estrin),
//   s' = F(s) = k + e·k⁶ as k + (e·k²)·(k²)²,
// attack and release both computed and one selected, the rounding to float
// done on the bits, and the clamps to 0.1 … 1.0 taken off the chain by a
// branch that is rarely taken (or, with the state held at 1.0, always). These
// forms agree with the plain ones to a few units of the double's last bit, so
// the stored float state is the same except on the rarest of ties.
//
// Shorter still while no lane attacks: the release is smooth and each step
// moves the state by a few millionths at most, so the state one step back is
// foreseen from older ones (the states five and nine steps back, extrapolated
// in a straight line: off by under 1e-6 on every signal tried) and F is taken
// as its tangent there, F(s) ≈ α·s + β, whose error is F''·(s - p)²/2 with
// F'' below 2e-3. On those signals it differed from the full step's value by
// at most 3.3e-16 before the rounding to float, as much as the full step's
// own forms differ from the plain ones, and every float state came out the
// same. The chain from one state to the next is then one multiply-add. After
// an attack, or where the state was set from outside (a reset, the knee
// switched off), the states behind are not yet on one smooth curve, so the
// full step runs until they are. They carry over from block to block
// (ChannelState::kneeBehind), so a block's steps do not depend on where the
// blocks begin.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>

#include "engine/ChannelState.h"
#include "engine/Lanes.h"

// Knee width by speed: "Slow", "Medium", "Fast".
constexpr float kKneeWidths[3] = {7.5f, 10.5f, 13.5f};

// Width for the speed's low byte; values past "Fast" are taken as "Fast".
[[gnu::always_inline]] inline double kneeWidth(int32_t speed) { return kKneeWidths[std::min(speed & 0xFF, 2)]; }

template <typename L>
class KneeStep {
    using D = typename L::D;

public:
    [[gnu::always_inline]] KneeStep(const lanes::Each<L, ChannelState>& ch, int32_t speed)
        : ch_(ch), invWidth(L::all(1.0 / kneeWidth(speed))), state(L::gather(ch, &ChannelState::kneeState)),
          rate(L::gather(ch, &ChannelState::kneeRate)) {
        // The states behind from the block before, and its count of full
        // steps (the lowest of the lanes': they step together).
        for (int32_t j = 0; j < ChannelState::kKneeBehind; ++j) behind[j] = L::gather(at(j));
        for (ChannelState* c : ch_) smoothFor = std::min(smoothFor, c->kneeSmooth);
    }
    [[gnu::always_inline]] ~KneeStep() {
        L::scatter(state, ch_, &ChannelState::kneeState);
        L::scatter(rate, ch_, &ChannelState::kneeRate);
        for (int32_t j = 0; j < ChannelState::kKneeBehind; ++j)
            L::scatter(behind[(count - ChannelState::kKneeBehind + j) & 15], at(j));
        for (ChannelState* c : ch_) c->kneeSmooth = smoothFor;
    }
    KneeStep(const KneeStep&) = delete;
    KneeStep& operator=(const KneeStep&) = delete;

    // Each lane's sample magnitude in, its gain (a float value) out.
    [[gnu::always_inline]] D step(D magnitude) {
        const D one = L::all(1.0);
        // Target (1 - y/B)³ with y = min(clamp(|x|, 1, 7) - 1, B); NaN reads as 7. Every width B is
        // above 6, so the min with B never acts. y/B as y·(1/B): a multiply instead of a divide, and
        // y = 0 still gives exactly 1.
        const D y = L::max(L::min(magnitude, L::all(7.0)), one) - one;
        const D t = L::negMulAdd(y, invWidth, one);
        const D target = t * t * t;

        const D s = state;
        const typename L::Mask attack = L::greater(s, target);
        if (smoothFor == kSmoothAfter && !L::any(attack)) {
            // A release cannot fall, so only the clamp at 1.0 can act.
            const D next = L::min(one, L::roundToFloat(tangentRelease(s)));
            rate = L::min(grown(), one);
            return settle(next);
        }
        const D s2 = s * s;
        const Cubic q(rate);
        // Attack: s - 0.05 s³ (s - target).
        const D attacked = L::negMulAdd(L::all(double(0.05f)) * s * s2, s - target, s);
        // Release: k = q0 + q1 s + (q2 + q3 s) s², then k + (e k²)(k²)².
        const D k = L::mulAdd(L::mulAdd(q.q3, s, q.q2), s2, L::mulAdd(q.q1, s, q.q0));
        const D k2 = k * k;
        const D released = L::mulAdd(L::all(kE) * k2, k2 * k2, k);

        D next = L::roundToFloat(L::select(attack, attacked, released));
        const D lowest = L::all(double(0.1f));
        if (L::any(L::either(L::less(next, lowest), L::greater(next, one)))) next = L::min(one, L::max(lowest, next));
        smoothFor = L::any(attack) ? 0 : smoothFor + 1;

        // Rate: 0.02 after an attack, else grown by 0.0008 (as a float) up to 1.
        rate = L::select(attack, L::all(double(0.02f)), L::min(grown(), one));
        return settle(next);
    }

private:
    static constexpr double kA = double(1.055f), kC = double(0.0003f), kE = double(0.000004f);
    // Full steps without an attack after which the states behind lie on one
    // release curve: the oldest one the prediction reads is nine steps back.
    static constexpr int32_t kSmoothAfter = 9;

    [[gnu::always_inline]] D grown() const { return L::widen(L::narrow(rate + L::all(double(0.0008f)))); }

    // The new state kept, and noted for the predictions ahead.
    [[gnu::always_inline]] D settle(D next) {
        state = next;
        behind[count++ & 15] = next;
        return next;
    }

    // F(s) for this step's rate as its tangent at p, a prediction of s from
    // the states five and nine steps back: α·s + β with α = F'(p) and
    // β = F(p) - α·p, all off the chain from one state to the next. An error
    // in α moves α·s and β alike, so only α·(s - p) carries it. Here k is
    // taken in its plain form, p + c·r·(A - p)³, which needs no coefficients.
    [[gnu::always_inline]] D tangentRelease(D s) const {
        const D near = behind[(count - 5) & 15];
        const D p = near + near - behind[(count - 9) & 15];
        const D d = L::all(kA) - p;
        const D crd2 = rate * L::all(kC) * (d * d);
        const D k = L::mulAdd(crd2, d, p);
        const D k2 = k * k, k4 = k2 * k2;
        const D value = L::mulAdd(L::all(kE) * k2, k4, k);
        // F' = k'·(1 + 6e·k⁵), with k' = 1 - 3c·r·(A - p)².
        const D dk = L::negMulAdd(L::all(3.0), crd2, L::all(1.0));
        const D alpha = L::mulAdd(dk, L::all(6.0 * kE) * k4 * k, dk);
        return L::mulAdd(alpha, s, L::negMulAdd(alpha, p, value));
    }

    // Release coefficients for a rate: c·r·(A - s)³ expanded in s, each a
    // multiple of r (constants folded), off the chain from s to s'.
    struct Cubic {
        D q0, q1, q2, q3;
        [[gnu::always_inline]] explicit Cubic(D r)
            : q0(r * L::all(kC * kA * kA * kA)), q1(L::negMulAdd(r, L::all(kC * 3.0 * kA * kA), L::all(1.0))),
              q2(r * L::all(kC * 3.0 * kA)), q3(r * L::all(-kC)) {}
    };

    static_assert(ChannelState::kKneeBehind == kSmoothAfter, "the states behind are those the prediction reads");

    // Each lane's kneeBehind[j].
    [[gnu::always_inline]] std::array<float*, L::width> at(int32_t j) const {
        std::array<float*, L::width> p;
        for (size_t c = 0; c < L::width; ++c) p[c] = &ch_[c]->kneeBehind[j];
        return p;
    }

    const lanes::Each<L, ChannelState> ch_;
    const D invWidth;
    D state, rate;
    D behind[16];  // the last states, by step count
    uint32_t count = ChannelState::kKneeBehind;  // steps taken, counted from the states kept
    int32_t smoothFor = kSmoothAfter;            // full steps since an attack, up to kSmoothAfter
};

// Knee gains of each lane's samples into its gains.
template <typename L>
[[gnu::always_inline]] inline void kneeRun(const lanes::Each<L, ChannelState>& ch, const lanes::Each<L, const float>& x,
                                           const lanes::Each<L, float>& gains, int32_t speed, int32_t n) {
    KneeStep<L> knee(ch, speed);
    for (int32_t i = 0; i < n; ++i) L::store(L::narrow(knee.step(L::widen(L::magnitude(L::load(x, i))))), gains, i);
}
