// The LV2 build sounds exactly like the VST 2 build: the same signal through
// both built binaries, with the same settings (user values on the LV2 ports,
// their normalised values on the VST 2 record), bit for bit.
#include <algorithm>

#include "engine/ParameterUnits.h"
#include <doctest.h>
#include "tests/lv2/Lv2Host.h"
#include "tests/support/Signals.h"
#include "tests/validator/PluginLibrary.h"

namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;  // every pin connected
}

using Settings = std::vector<std::pair<int, float>>;

struct Scene {
    const char* what;
    Settings settings, later;
    bool leftOnly;  // Force Channels "Left" with Auto Select off
};

}  // namespace

TEST_CASE("the same signal and settings give the VST 2 build's output bit for bit" * doctest::test_suite("lv2.vst2")) {
    const int n = 30000, block = 512;
    const Stereo in{signals::program(n, 1.7, 41), signals::program(n, 1.3, 42)};
    const Scene scenes[] = {
        {"defaults", {}, {}, false},
        {"drive, equaliser and a change while running",
         {{kLimiterGain, 7.5f}, {kDullSharp, 30.0f}, {kOutGain, -0.3f}, {kAlgorithm, 5.0f}, {kSoftKnee, 0.0f},
          {kStereoLink, 0.0f}, {kBodyBoost, 25.0f}, {kBassBoost, 45.0f}, {kMidBoost, -60.0f}, {kHiBoost, 35.0f},
          {kBassFreq, 150.0f}, {kMidFreq, 2000.0f}, {kTrebleFreq, 8000.0f}},
         {{kLimiterGain, 3.0f}, {kAlgorithm, 1.0f}, {kEqOnOff, 0.0f}, {kOutGain, -6.0f}},
         false},
        {"left forced", {{kAutoSelectChannels, 0.0f}, {kForceChannels, 1.0f}, {kLimiterGain, 4.0f}}, {}, true},
    };
    static PluginLibrary library(HOK_VST2_PLUGIN);
    for (const Scene& scene : scenes) {
        // Both builds block by block, with `later` stored before block 5; the
        // LV2 build in place, as LV2 hosts may run it.
        AEffect* e = library.create(host);
        REQUIRE(e != nullptr);
        Lv2Instance plugin(44100.0, block);
        const auto store = [&](const Settings& settings) {
            for (const auto& [i, v] : settings) {
                e->setParameter(e, i, normalisedFromUser(i, v));
                plugin.parameter(i) = v;
            }
        };
        store(scene.settings);
        startPlugin(e, 44100.0f, block);
        Stereo vst2{std::vector<float>(n), std::vector<float>(n)}, lv2 = in;
        for (size_t pos = 0, k = 0; pos < in.left.size(); pos += block, ++k) {
            if (k == 5) store(scene.later);
            const uint32_t m = uint32_t(std::min(size_t(block), in.left.size() - pos));
            float* ins[2] = {const_cast<float*>(in.left.data() + pos), const_cast<float*>(in.right.data() + pos)};
            float* outs[2] = {vst2.left.data() + pos, vst2.right.data() + pos};
            e->processReplacing(e, ins, outs, VstInt32(m));
            plugin.run(lv2.left.data() + pos, lv2.right.data() + pos, lv2.left.data() + pos, lv2.right.data() + pos, m);
        }
        closePlugin(e);
        // A forced left channel: the VST 2 build leaves the right output
        // alone; the LV2 build writes the processed left there too.
        INFO(scene.what);
        CHECK((lv2.left == vst2.left && (scene.leftOnly ? lv2.right == lv2.left : lv2.right == vst2.right)));
    }
}
