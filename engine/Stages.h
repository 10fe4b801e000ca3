// The per-channel processing stages. Each works on its own state and a float
// buffer, with no host types, so it can be run and tested alone.
#pragma once
#include <cstdint>

#include "engine/ChannelState.h"

// Ring distances at resume: the limiter writes this many slots ahead of the
// output tap, the smoother works this many slots ahead of it.
constexpr int32_t kLimiterLead = 2400;
constexpr int32_t kSmootherLead = 1200;

// Start values of every scalar field and filter history of a channel, and the
// ring contents (smoothGain, limitGain, kneeGain 1.0; delayLine 2^-32), for
// rings that hold at least ringLength slots.
void channelStart(ChannelState& ch, int32_t ringLength);

// Soft knee: one gain per sample into kneeGain.
void kneeBlock(ChannelState& ch, const float* samples, float* kneeGain, int32_t speed, int32_t enabled, int32_t n);
// The same for both channels at once, into each channel's kneeGain.
void kneeBlockPair(ChannelState& left, ChannelState& right, const float* samplesLeft, const float* samplesRight,
                   int32_t speed, int32_t enabled, int32_t n);

// Half-wave look-ahead limiter: writes delayLine and limitGain.
void limitBlock(ChannelState& ch, const float* samples, float rampFactor, int32_t n, bool falling);

// Gain smoother: derives smoothGain from limitGain, 1200 slots behind the limiter.
void smoothBlock(ChannelState& ch, int32_t n);
// The smoother when the output reads its ring; otherwise only smoothPos
// moves on, while the output tap copies each gain it reads into smoothGain
// (a history of what the smoother has not seen). When the ring is read
// again, the smoother first catches up over that history from where it
// stopped, or, after more than a ring's length, from a fresh start a ring's
// length back. readPos is the output tap's position.
void smoothOrIdle(ChannelState& ch, int32_t n, bool read, int32_t readPos);

// Which equaliser stages are on and their block factors: Body Boost as an
// amount, Bass and Mid as c = boost / 282, Hi Boost with its treble mix.
struct EqualiserSettings {
    bool bodyOn, bassOn, midOn, trebleOn;
    float bodyAmount, bass, mid, hiBoost, trebleMix;
};

// Body, bass, mid and treble, each only if on, in place, in one pass: the same
// results as the stages run one after the other. The treble stage has its
// own high-pass section and follower per channel.
// Both channels at once (for the instruction set chosen at load):
void equaliserPair(ChannelState& left, ChannelState& right, HighPassSection (&treble)[2], float (&follow)[2],
                   float* l, float* r, const EqualiserSettings& s, int32_t n);
// One channel, with the same arithmetic at width one (no fused multiply-add):
void equaliserMono(ChannelState& ch, HighPassSection& treble, float& follow, float* samples,
                   const EqualiserSettings& s, int32_t n);
