#include "engine/Coefficients.h"

#include <cmath>

#include "engine/Engine.h"
#include "engine/Tables.h"
#include "engine/Truncate.h"

namespace {
constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
const double kSqrt2 = std::sqrt(2.0);
const double kMaxHighPassAngle = 0.499 * 3.141592653589793;

}  // namespace

void store(HighPassSection& section, const HighPassCoefficients& c) {
    section.b0 = c.b0;
    section.b1 = c.b1;
    section.b2 = c.b2;
    section.a1 = c.a1;
    section.a2 = c.a2;
}

void store(NotchSection& section, const NotchCoefficients& c) {
    section.b0 = c.b0;
    section.b1 = c.b1;
    section.a1 = c.a1;
    section.a2 = c.a2;
}

HighPassCoefficients butterworthHighPass(float freq, float sampleRate) {
    // Past Nyquist the tangent turns negative and the poles leave the unit
    // circle, so the corner is held just below it (a band that no longer exists).
    double angle = double(kPi) * double(freq) / double(sampleRate);
    if (angle > kMaxHighPassAngle) angle = kMaxHighPassAngle;
    const double k = std::tan(angle);
    const double n = 1.0 / ((k + kSqrt2) * k + 1.0);
    HighPassCoefficients c;
    c.b0 = float(n);
    c.b1 = float(-2.0 * n);
    c.b2 = float(n);
    c.a1 = float(2.0 * (k * k - 1.0) * n);
    c.a2 = float((k * k - kSqrt2 * k + 1.0) * n);
    return c;
}

NotchCoefficients midNotch(float freq, float sampleRate) {
    const double w = double(kTwoPi) * double(freq) / double(sampleRate);
    const double c = std::cos(w);
    NotchCoefficients n;
    n.b0 = float(double(0.945f) + double(0.003025f) / (2.0 * (std::fabs(c) + 1.0)));
    n.b1 = float(-2.0 * double(n.b0) * c);
    n.a1 = float(-double(1.89f) * c);
    n.a2 = 0.893025f;
    return n;
}

float limiterGainFor(float limiterGain) {
    // Positions below 8 read as 8; the lookup never passes the top of the scale.
    int32_t position = truncateToInt(limiterGain);
    if (position < 8) position = 8;
    if (position > kLevelPositions - 4) position = kLevelPositions - 4;
    return pixelAmplitude[position + 3];
}

float rampFactorFor(float dullSharp) {
    return float((1.0 - double(dullSharp) * double(1.0f / 168.0f)) * double(0.5f));
}

double outputLevelFor(float outGain) {
    double x = double(outGain) * double(1.0f / kOutGainUnity);
    if (!(x >= double(0.000999f))) x = double(0.000999f);  // NaN too reads as the floor
    if (x > 1.0) x = 1.0;  // above 0 dB the result is 1.0 anyway; keeps the cut finite
    const double d = 20.0 * std::log10(x);
    const int32_t i = truncateToInt(d);
    const int32_t t = truncateToInt((d - i) * 10.0);
    return t * double(0.1f) + i;
}

float outputGainFor(float outGain) {
    const double gain = std::pow(10.0, outputLevelFor(outGain) / 20.0);
    return gain > 1.0 ? 1.0f : float(gain);
}

float bodyAmountFor(float bodyBoost) { return float(double(bodyBoost) * double(0.0025f)); }

float trebleMixFor(float hiBoost) {
    const double h = (double(hiBoost) - kNeutralBoost) * double(1.0f / kNeutralBoost) * double(kBoostSpan);
    return float(h * double(1.0f / 120.0f));
}

void MaximizerEngine::updateCoefficients() {
    const float fs = sampleRateAtResume;
    const HighPassCoefficients treble = butterworthHighPass(paramValue[kTrebleFreq], fs);
    store(trebleHighPass[0], treble);
    store(trebleHighPass[1], treble);
    const HighPassCoefficients bass = butterworthHighPass(paramValue[kBassFreq], fs);
    const NotchCoefficients mid = midNotch(paramValue[kMidFreq], fs);
    for (int c = 0; c < 2; ++c) {
        store(channels[c].bassHighPass, bass);
        store(channels[c].midNotch, mid);
    }
    limiterGain_ = limiterGainFor(paramValue[kLimiterGain]);
    rampFactor_ = rampFactorFor(paramValue[kDullSharp]);
    outputGain_ = outputGainFor(paramValue[kOutGain]);
    bodyAmount_ = bodyAmountFor(paramValue[kBodyBoost]);
    trebleMix_ = trebleMixFor(paramValue[kHiBoost]);
}
