// One prepared engine, driven through its own API: internal values set the
// way the editor sets them, and stereo signals run block by block with the
// channel plan that Force Channels gives.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/Engine.h"
#include "tests/support/Blocks.h"

struct EngineRig {
    MaximizerEngine engine;

    explicit EngineRig(float sampleRate = 44100.0f, int32_t maxBlock = 512, bool prepare = true) {
        if (prepare) engine.prepare(sampleRate, maxBlock);
    }

    // Writes an internal value, then recomputes the derived values.
    void set(int index, float value) {
        engine.setValue(index, value);
        engine.updateCoefficients();
    }
    float value(int index) const { return engine.value(index); }

    // One block with the plan of Force Channels, written or added.
    void block(float* inL, float* inR, float* outL, float* outR, int32_t n, bool accumulate = false) {
        const float* ins[2] = {inL, inR};
        float* outs[2] = {outL, outR};
        engine.process(ins, outs, n, forcedPlan(engine.value(kForceChannels)), accumulate);
    }

    // Runs a stereo signal in blocks of the given sizes (cycled), returning both outputs.
    using Output = StereoOutput;
    Output run(const std::vector<float>& left, const std::vector<float>& right, std::vector<int> blocks = {512}) {
        return runInBlocks(left, right, blocks, [&](float* inL, float* inR, float* outL, float* outR, int32_t n) {
            block(inL, inR, outL, outR, n);
        });
    }
};
