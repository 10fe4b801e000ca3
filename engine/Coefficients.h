// The derived values, as pure functions of the internal parameter values and
// the sample rate. Intermediates are carried in double; results are floats.
#pragma once
#include "engine/ChannelState.h"

struct HighPassCoefficients {
    float b0, b1, b2, a1, a2;
};

struct NotchCoefficients {
    float b0, b1, a1, a2;  // b2 equals b0
};

// Second-order Butterworth high-pass at freq.
HighPassCoefficients butterworthHighPass(float freq, float sampleRate);

// Notch with zeros on the unit circle at freq and poles at radius 0.945.
NotchCoefficients midNotch(float freq, float sampleRate);

// Coefficients into a filter section.
void store(HighPassSection& section, const HighPassCoefficients& c);
void store(NotchSection& section, const NotchCoefficients& c);

// Drive gain: the level-scale amplitude three positions above Limiter Gain.
float limiterGainFor(float limiterGain);

// Limiter ramp control from Dull-Sharp: 0.5 at 0, about 0.0179 at 162.
float rampFactorFor(float dullSharp);

// The output level in dB from Out Gain: the exact level cut toward zero to
// 0.1 dB, from -60 to 0.
double outputLevelFor(float outGain);
// Output gain from Out Gain: the level above as a gain, from 0.001 to 1.0.
float outputGainFor(float outGain);

float bodyAmountFor(float bodyBoost);

// (Hi Boost − 141) / 60: the treble stage's mix of its tracked band.
float trebleMixFor(float hiBoost);
