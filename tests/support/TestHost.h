// An in-process host for engine tests: records every request the plug-in
// sends, answers the version question and the pin questions, and runs an
// instance block by block.
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "tests/support/Blocks.h"
#include "vst2/MaximizerEffect.h"

struct HostRequest {
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
};

struct TestHost {
    std::vector<HostRequest> requests;
    // Answers to audioMasterPinConnected, taken in order; 0 (connected) once empty.
    std::deque<VstIntPtr> pinAnswers;

    static TestHost*& current() {
        static TestHost* host = nullptr;
        return host;
    }

    // The record's user field (the host's own slot) names the host once the
    // instance exists; during construction the current host answers.
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void*, float opt) {
        TestHost* host = effect && effect->user ? static_cast<TestHost*>(effect->user) : current();
        if (host) host->requests.push_back({opcode, index, value, opt});
        if (opcode == audioMasterVersion) return 2400;
        if (opcode == audioMasterPinConnected && host && !host->pinAnswers.empty()) {
            const VstIntPtr answer = host->pinAnswers.front();
            host->pinAnswers.pop_front();
            return answer;
        }
        return 0;
    }

    std::vector<HostRequest> of(VstInt32 opcode) const {
        std::vector<HostRequest> found;
        for (const HostRequest& r : requests)
            if (r.opcode == opcode) found.push_back(r);
        return found;
    }
};

// One resumed instance wired to its own TestHost.
struct Rig {
    TestHost host;
    std::unique_ptr<MaximizerEffect> fx;

    explicit Rig(float sampleRate = 44100.0f, VstInt32 blockSize = 512, bool resume = true) {
        TestHost::current() = &host;
        fx = std::make_unique<MaximizerEffect>(&TestHost::callback);
        fx->getAeffect()->user = &host;
        fx->setSampleRate(sampleRate);
        fx->setBlockSize(blockSize);
        if (resume) fx->resume();
        host.requests.clear();
    }
    ~Rig() {
        fx.reset();
        if (TestHost::current() == &host) TestHost::current() = nullptr;
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Writes an internal value the way the editor does, then recomputes.
    void set(int index, float value) {
        fx->engine.setValue(index, value);
        fx->engine.updateCoefficients();
    }

    // One processReplacing call on these buffers.
    void block(float* inL, float* inR, float* outL, float* outR, int32_t n) {
        float* ins[2] = {inL, inR};
        float* outs[2] = {outL, outR};
        fx->processReplacing(ins, outs, n);
    }

    // Runs a stereo signal through processReplacing in blocks of the given
    // sizes (cycled), returning both outputs.
    using Output = StereoOutput;
    Output run(const std::vector<float>& left, const std::vector<float>& right, std::vector<int> blocks = {512}) {
        return runInBlocks(left, right, blocks, [&](float* inL, float* inR, float* outL, float* outR, int32_t n) {
            block(inL, inR, outL, outR, n);
        });
    }
};
