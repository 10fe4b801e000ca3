// The LV2 face of the maximizer: one engine behind the ports of Ports.h.
// Parameter ports carry user units (ParameterUnits.h); each run applies the
// ones that changed through the engine's setter, processes, and publishes the
// latency and the meters (held as MeterHold.h says). run() allocates nothing, takes no lock and makes no
// system call.
#pragma once
#include <cstdint>

#include "engine/Engine.h"
#include "lv2/MeterHold.h"
#include "lv2/Ports.h"

class Lv2Maximizer {
public:
    // Rates the plug-in accepts, in Hz; instantiate refuses others.
    static constexpr double kLowestRate = 8000.0, kHighestRate = 384000.0;
    static bool acceptsRate(double rate) { return rate >= kLowestRate && rate <= kHighestRate; }
    // The block the engine is prepared for when the host names none, and the
    // largest it is prepared for: longer runs go through in pieces.
    static constexpr int32_t kDefaultMaxBlock = 4096;
    static constexpr int32_t kLargestMaxBlock = 8192;

    // `maxBlock` is the host's longest run, or 0 when it gave none.
    Lv2Maximizer(double rate, int32_t maxBlock);

    void connect(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);
    void deactivate() { engine.release(); }

private:
    void applyParameters();
    void publishMeters(uint32_t frames);

    MaximizerEngine engine;
    float rate;
    int32_t maxBlock;
    const float* input[2] = {};
    float* output[2] = {};
    const float* parameterPort[kNumParams] = {};
    float applied[kNumParams];  // the port values last handed to the engine
    float* latencyOut = nullptr;
    float* meterOut[lv2port::kNumMeters] = {};
    MeterHold hold;
};
