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
//   s' = k + e·k⁶ as k + (e·k²)·(k²)²,
// attack and release both computed and one selected, the rounding to float
// done on the bits, and the clamps to 0.1 … 1.0 taken off the chain by a
// branch that is rarely taken (or, with the state held at 1.0, always). These
// forms agree with the plain ones to a few units of the double's last bit, so
// the stored float state is the same except on the rarest of ties.
#pragma once
#include <algorithm>
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
        prepareRelease();
    }
    [[gnu::always_inline]] ~KneeStep() {
        L::scatter(state, ch_, &ChannelState::kneeState);
        L::scatter(rate, ch_, &ChannelState::kneeRate);
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
        const D s2 = s * s;
        // Attack: s - 0.05 s³ (s - target).
        const D attacked = L::negMulAdd(L::all(double(0.05f)) * s * s2, s - target, s);
        // Release: k = q0 + q1 s + (q2 + q3 s) s², then k + (e k²)(k²)².
        const D k = L::mulAdd(L::mulAdd(q3, s, q2), s2, L::mulAdd(q1, s, q0));
        const D k2 = k * k;
        const D released = L::mulAdd(L::all(double(0.000004f)) * k2, k2 * k2, k);

        D next = L::roundToFloat(L::select(attack, attacked, released));
        const D lowest = L::all(double(0.1f));
        if (L::any(L::either(L::less(next, lowest), L::greater(next, one)))) next = L::min(one, L::max(lowest, next));
        state = next;

        // Rate: 0.02 after an attack, else grown by 0.0008 (as a float) up to 1.
        const D grown = L::widen(L::narrow(rate + L::all(double(0.0008f))));
        rate = L::select(attack, L::all(double(0.02f)), L::min(grown, one));
        prepareRelease();
        return next;
    }

private:
    // Release coefficients for the current rate: c·r·(A - s)³ expanded in s,
    // each a multiple of r (constants folded), off the chain from s to s'.
    [[gnu::always_inline]] void prepareRelease() {
        constexpr double A = double(1.055f);
        constexpr double c = double(0.0003f);
        q0 = rate * L::all(c * A * A * A);
        q1 = L::negMulAdd(rate, L::all(c * 3.0 * A * A), L::all(1.0));
        q2 = rate * L::all(c * 3.0 * A);
        q3 = rate * L::all(-c);
    }

    const lanes::Each<L, ChannelState> ch_;
    const D invWidth;
    D state, rate;
    D q0, q1, q2, q3;
};

// Knee gains of each lane's samples into its gains.
template <typename L>
[[gnu::always_inline]] inline void kneeRun(const lanes::Each<L, ChannelState>& ch, const lanes::Each<L, const float>& x,
                                           const lanes::Each<L, float>& gains, int32_t speed, int32_t n) {
    KneeStep<L> knee(ch, speed);
    for (int32_t i = 0; i < n; ++i) L::store(L::narrow(knee.step(L::widen(L::magnitude(L::load(x, i))))), gains, i);
}
