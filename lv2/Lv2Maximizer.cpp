#include "lv2/Lv2Maximizer.h"

#include <algorithm>
#include <cmath>

#include "engine/ParameterUnits.h"

using namespace lv2port;

Lv2Maximizer::Lv2Maximizer(double sampleRate, int32_t hostMaxBlock)
    : rate(float(sampleRate)),
      maxBlock(hostMaxBlock > 0 ? std::min(hostMaxBlock, kLargestMaxBlock) : kDefaultMaxBlock) {
    // The engine starts at the defaults, which are the ports' defaults: a host
    // that leaves a port at its default changes nothing.
    for (int i = 0; i < kNumParams; ++i) applied[i] = userValue(i, engine.value(i));
}

void Lv2Maximizer::connect(uint32_t port, void* data) {
    float* p = static_cast<float*>(data);
    if (port < kFirstParameter) {
        if (port <= kInRight) input[port - kInLeft] = p;
        else output[port - kOutLeft] = p;
    } else if (port < kLatencyPort) {
        parameterPort[port - kFirstParameter] = p;
    } else if (port == kLatencyPort) {
        latencyOut = p;
    } else if (port < kNumPorts) {
        meterOut[port - kFirstMeter] = p;
    }
}

void Lv2Maximizer::activate() { engine.prepare(rate, maxBlock); }

// A port value goes to the engine when it differs from the one last applied;
// NaN is no value and is never applied.
void Lv2Maximizer::applyParameters() {
    for (int i = 0; i < kNumParams; ++i) {
        if (!parameterPort[i]) continue;
        const float v = *parameterPort[i];
        if (v != v || v == applied[i]) continue;
        applied[i] = v;
        engine.setParameter(i, normalisedFromUser(i, v));
    }
}

namespace {
float meterDb(float linear, const MeterPort& port) {
    const float db = linear > 0.0f ? float(20.0 * std::log10(double(linear))) : port.lowest;
    return std::clamp(db, port.lowest, port.highest);
}
}  // namespace

void Lv2Maximizer::publishMeters() {
    Meters& meters = engine.meters();
    for (int c = 0; c < 2; ++c) {
        const MeterTake held = meters.take(c);
        const float values[] = {held.peak, held.reduction, meters.kneeGain(c)};
        for (uint32_t kind = kPeakMeter; kind <= kKneeMeter; ++kind) {
            const uint32_t m = meterIndex(MeterKind(kind), c);
            if (meterOut[m]) *meterOut[m] = meterDb(values[kind], kMeters[m]);
        }
    }
}

void Lv2Maximizer::run(uint32_t frames) {
    applyParameters();
    if (latencyOut) *latencyOut = float(kLatency);
    if (frames == 0) return;
    const bool connected = input[0] && input[1] && output[0] && output[1];
    if (!engine.prepared() || !connected) {
        // Nothing to process with (no activate, or its buffers could not be had).
        for (float* out : output)
            if (out) std::fill_n(out, frames, 0.0f);
        return;
    }
    // Every LV2 port is connected and the host carries two channels, so Auto
    // Select finds stereo; a forced mono choice writes the processed side to
    // both outputs, so no output is left holding what the host had there.
    const bool autoSelect = truncateToInt(engine.value(kAutoSelectChannels)) == 1;
    ChannelPlan plan = autoSelect ? planForMode(0) : forcedPlan(engine.value(kForceChannels));
    plan.writeLeft = plan.writeRight = true;
    for (uint32_t done = 0; done < frames;) {
        const int32_t n = int32_t(std::min<uint32_t>(frames - done, INT32_MAX));
        const float* in[2] = {input[0] + done, input[1] + done};
        float* out[2] = {output[0] + done, output[1] + done};
        engine.process(in, out, n, plan, false);
        done += uint32_t(n);
    }
    publishMeters();
}
