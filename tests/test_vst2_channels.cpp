// Channel choice at the VST 2 boundary: a shared input buffer, the host's
// pin answers, and the detected mode reported to the host once per resume.
#include <utility>
#include <vector>

#include <doctest.h>
#include "tests/support/Signals.h"
#include "tests/support/TestHost.h"

namespace {

constexpr float kSentinel = 12345.0f;

// Pin requests as (index, value) pairs: value 0 asks about an input, 1 an output.
std::vector<std::pair<VstInt32, VstIntPtr>> pinQuestions(const TestHost& host) {
    std::vector<std::pair<VstInt32, VstIntPtr>> q;
    for (const HostRequest& r : host.of(audioMasterPinConnected)) q.push_back({r.index, r.value});
    return q;
}

}  // namespace

TEST_CASE("one shared input buffer: left only, copied to the right, mode reported once per resume" *
          doctest::test_suite("vst2.channels")) {
    Rig rig;
    const auto in = signals::program(4000, 0.8, 5);
    std::vector<float> shared(in), outL(4000, kSentinel), outR(4000, kSentinel);
    rig.block(shared.data(), shared.data(), outL.data(), outR.data(), 2000);
    rig.block(shared.data(), shared.data(), outL.data(), outR.data(), 0);
    rig.block(shared.data() + 2000, shared.data() + 2000, outL.data() + 2000, outR.data() + 2000, 2000);

    CHECK_EQ(rig.fx->engine.value(kForceChannels), 1.0f);
    CHECK_EQ(rig.fx->engine.meters().solo(), 1);
    CHECK_EQ(rig.fx->engine.meters().active(1), 0);
    const auto automated = rig.host.of(audioMasterAutomate);
    CHECK_EQ(automated.size(), size_t(1));
    if (!automated.empty()) {
        CHECK_EQ(automated[0].index, VstInt32(kForceChannels));
        CHECK_EQ(automated[0].opt, 0.5f);
    }
    CHECK(rig.fx->getParameter(kForceChannels) == 0.5f);
    CHECK(outL == outR);
    CHECK_EQ(outL[2400 + 100], in[100]);
    // Inputs are the same pointer: no input pin question; outputs are asked once each per block.
    CHECK_EQ(pinQuestions(rig.host).size(), size_t(6));

    rig.fx->suspend();
    rig.fx->resume();
    rig.host.requests.clear();
    for (int i = 0; i < 2; ++i) rig.block(shared.data(), shared.data(), outL.data(), outR.data(), 64);
    CHECK_EQ(rig.host.of(audioMasterAutomate).size(), size_t(1));
}

TEST_CASE("pin questions: inputs 1 then 0, outputs 0 then 1, differing answers asked again" *
          doctest::test_suite("vst2.channels")) {
    const auto in = signals::sineWave(600, 50.0, 0.5);
    using Q = std::vector<std::pair<VstInt32, VstIntPtr>>;
    {
        Rig rig;
        rig.run(in, in, {600});
        CHECK(pinQuestions(rig.host) == (Q{{1, 0}, {0, 0}, {0, 1}, {1, 1}}));
    }
    {
        // Input pin 1 not connected (non-zero answer), twice: left only.
        Rig rig;
        rig.host.pinAnswers = {1, 0, 0, 1};
        auto out = rig.run(in, in, {600});
        CHECK(pinQuestions(rig.host) == (Q{{1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 1}, {1, 1}}));
        CHECK_EQ(rig.fx->engine.meters().solo(), 1);
        CHECK_EQ(rig.fx->engine.value(kForceChannels), 1.0f);
    }
    {
        // Output pin 0 not connected: asked again, then only the right output is written.
        Rig rig;
        rig.host.pinAnswers = {0, 0, 1, 0, 1, 0};
        std::vector<float> inL(in), inR(in), outL(600, kSentinel), outR(600, kSentinel);
        rig.block(inL.data(), inR.data(), outL.data(), outR.data(), 600);
        CHECK(pinQuestions(rig.host) == (Q{{1, 0}, {0, 0}, {0, 1}, {1, 1}, {0, 1}, {1, 1}}));
        CHECK_EQ(outL[599], kSentinel);
        CHECK(outR[599] != kSentinel);
        CHECK_EQ(rig.fx->engine.meters().solo(), 0);
    }
    {
        Rig rig;
        rig.set(kAutoSelectChannels, 0.0f);
        rig.run(in, in, {600});
        CHECK(pinQuestions(rig.host).empty());
        CHECK(rig.host.of(audioMasterAutomate).empty());
    }
}

TEST_CASE("mono with the processed side's output switched off still copies the current sample" *
          doctest::test_suite("vst2.channels")) {
    const auto in = signals::program(5000, 1.4, 21);
    // Reference: forced left mode, the left output.
    Rig reference;
    reference.set(kAutoSelectChannels, 0.0f);
    reference.set(kForceChannels, 1.0f);
    const auto expected = reference.run(in, in, {500});

    // Detected left mode (input pin 1 off) with output pin 0 off.
    Rig rig;
    std::vector<float> inL(in), inR(in), outL(5000, kSentinel), outR(5000, kSentinel);
    for (int b = 0; b < 10; ++b) {
        rig.host.pinAnswers = {1, 0, 0, 1, 1, 0, 1, 0};
        rig.block(inL.data() + b * 500, inR.data() + b * 500, outL.data() + b * 500, outR.data() + b * 500, 500);
    }
    CHECK(outR == expected.left);
    CHECK_EQ(outL[4999], kSentinel);
}

TEST_CASE("the channel report is re-armed at resume only with Auto Select on" * doctest::test_suite("vst2.channels")) {
    Rig rig;
    rig.fx->reportChannelMode = 0;
    rig.fx->suspend();
    rig.fx->resume();
    CHECK_EQ(int(rig.fx->reportChannelMode), 1);
    rig.fx->suspend();
    rig.fx->reportChannelMode = 0;
    rig.fx->setParameter(kAutoSelectChannels, 0.0f);
    rig.fx->resume();
    CHECK_EQ(int(rig.fx->reportChannelMode), 0);
}
