#include "lv2/Lv2Maximizer.h"

#include <algorithm>
#include <cmath>

#include "engine/ParameterUnits.h"
#include "lv2/Channels.h"

using namespace lv2port;

Lv2Maximizer::Lv2Maximizer(double sampleRate, int32_t hostMaxBlock)
    : rate(float(sampleRate)),
      maxBlock(hostMaxBlock > 0 ? std::min(hostMaxBlock, kLargestMaxBlock) : kDefaultMaxBlock) {
    // The engine starts at the defaults, which are the ports' defaults: a host
    // that leaves a port at its default changes nothing.
    for (int i = 0; i < kNumParams; ++i) applied[i] = userValue(i, engine.value(i));
    hold.start(rate);
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

void Lv2Maximizer::activate() {
    engine.prepare(rate, maxBlock);
    hold.start(rate);
}

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

void Lv2Maximizer::publishMeters(uint32_t frames) {
    MeterHold::Values values;
    for (int c = 0; c < 2; ++c) {
        const MeterTake taken = engine.meters().take(c);
        values[meterIndex(kPeakMeter, c)] = taken.peak;
        values[meterIndex(kReductionMeter, c)] = taken.reduction;
        values[meterIndex(kKneeMeter, c)] = taken.knee;
    }
    hold.add(frames, values);
    for (uint32_t m = 0; m < kNumMeters; ++m)
        if (meterOut[m]) *meterOut[m] = meterDb(m, hold.held(m));
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
    const ChannelPlan plan = lv2ChannelPlan(engine);
    for (uint32_t done = 0; done < frames;) {
        const int32_t n = int32_t(std::min<uint32_t>(frames - done, INT32_MAX));
        const float* in[2] = {input[0] + done, input[1] + done};
        float* out[2] = {output[0] + done, output[1] + done};
        engine.process(in, out, n, plan, false);
        done += uint32_t(n);
    }
    publishMeters(frames);
}
