// Pinned outputs: FNV-1a checksums of the output bits for fixed signals and
// settings, so that later work on speed cannot change the sound unnoticed.
// The values pin what this engine produces; its correctness comes from the
// other suites. HOK_PRINT_GOLDEN=1 prints the table afresh.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "tests/check.h"
#include "tests/support/Signals.h"
#include "tests/support/EngineRig.h"

namespace {

struct GoldenCase {
    const char* name;
    float rate;
    std::vector<std::pair<int, float>> settings;  // internal values
    uint32_t expected;
};

uint32_t fnv1a(uint32_t hash, const std::vector<float>& v) {
    for (float f : v) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int k = 0; k < 4; ++k) {
            hash ^= (bits >> (8 * k)) & 0xffu;
            hash *= 16777619u;
        }
    }
    return hash;
}

const std::vector<std::pair<int, float>> kAllEq = {
    {kBodyBoost, 250.0f}, {kBassBoost, 230.0f}, {kMidBoost, 60.0f}, {kHiBoost, 240.0f}};

const GoldenCase kCases[] = {
    {"full", 44100.0f, {{kAlgorithm, 0}}, 0x0e5b7f4eu},
    {"smooth", 44100.0f, {{kAlgorithm, 1}}, 0x68698cb8u},
    {"falling", 44100.0f, {{kAlgorithm, 2}}, 0xd8a3b63eu},
    {"full sk fast", 44100.0f, {{kAlgorithm, 3}}, 0x40f8530fu},
    {"smooth sk", 44100.0f, {{kAlgorithm, 4}}, 0x40f8530fu},
    {"falling sk", 44100.0f, {{kAlgorithm, 5}}, 0x52b38846u},
    {"full sk slow", 44100.0f, {{kAlgorithm, 3}, {kSoftKnee, 0}}, 0xad143cb6u},
    {"full sk medium", 44100.0f, {{kAlgorithm, 3}, {kSoftKnee, 1}}, 0x87f7c9a5u},
    {"falling sk slow", 44100.0f, {{kAlgorithm, 5}, {kSoftKnee, 0}}, 0x3760094bu},
    {"body", 44100.0f, {{kAlgorithm, 3}, {kBodyBoost, 387}}, 0x92c8544eu},
    {"bass cut", 44100.0f, {{kAlgorithm, 3}, {kBassBoost, 40}, {kBassFreq, 200}}, 0xa5f7a963u},
    {"bass boost", 44100.0f, {{kAlgorithm, 1}, {kBassBoost, 282}}, 0xda48cdceu},
    {"mid cut", 44100.0f, {{kAlgorithm, 3}, {kMidBoost, 0}, {kMidFreq, 1200}}, 0x99199f80u},
    {"mid boost", 44100.0f, {{kAlgorithm, 0}, {kMidBoost, 282}}, 0x57343bb0u},
    {"treble cut", 44100.0f, {{kAlgorithm, 3}, {kHiBoost, 20}}, 0x6751b824u},
    {"treble boost", 44100.0f, {{kAlgorithm, 2}, {kHiBoost, 282}, {kTrebleFreq, 6000}}, 0xf391539fu},
    {"all eq", 44100.0f, kAllEq, 0xb61db907u},
    {"eq off", 44100.0f, {{kEqOnOff, 0}, {kBassBoost, 282}, {kHiBoost, 0}}, 0x40f8530fu},
    {"full unlinked", 44100.0f, {{kAlgorithm, 0}, {kStereoLink, 0}}, 0x234107a6u},
    {"smooth unlinked", 44100.0f, {{kAlgorithm, 1}, {kStereoLink, 0}}, 0x23447e3eu},
    {"falling sk unlinked", 44100.0f, {{kAlgorithm, 5}, {kStereoLink, 0}}, 0xff6251ecu},
    {"drive dull", 44100.0f, {{kLimiterGain, 300}, {kDullSharp, 0}, {kOutGain, 150}}, 0x9f504f40u},
    {"drive sharp", 44100.0f, {{kLimiterGain, 280}, {kDullSharp, 162}, {kAlgorithm, 1}}, 0x2fb1fc69u},
    {"forced left", 44100.0f, {{kAutoSelectChannels, 0}, {kForceChannels, 1}}, 0x2b73fbefu},
    {"forced right", 44100.0f, {{kAutoSelectChannels, 0}, {kForceChannels, 2}, {kAlgorithm, 2}}, 0xe4132a06u},
    {"96k full eq", 96000.0f, {{kAlgorithm, 0}, {kBassBoost, 250}, {kTrebleFreq, 9000}, {kHiBoost, 60}}, 0x933bd644u},
    {"96k falling all eq unlinked", 96000.0f,
     {{kAlgorithm, 2}, {kStereoLink, 0}, {kBodyBoost, 250.0f}, {kBassBoost, 230.0f}, {kMidBoost, 60.0f},
      {kHiBoost, 240.0f}},
     0xbc31ea3cu},
    {"96k smooth sk medium", 96000.0f, {{kAlgorithm, 4}, {kSoftKnee, 1}, {kBassBoost, 60}}, 0xfec43975u},
};

uint32_t render(const GoldenCase& c) {
    EngineRig rig(c.rate, 512);
    for (const auto& [index, value] : c.settings) rig.set(index, value);
    const auto left = signals::program(30000, 1.7, 101);
    const auto right = signals::program(30000, 1.2, 202);
    const auto out = rig.run(left, right, {512, 100, 1, 333});
    return fnv1a(fnv1a(2166136261u, out.left), out.right);
}

}  // namespace

TEST_CASE("engine.golden", "output checksums match the pinned values") {
    const char* print = std::getenv("HOK_PRINT_GOLDEN");
    for (const GoldenCase& c : kCases) {
        const uint32_t sum = render(c);
        if (print && *print == '1') std::printf("    %-28s 0x%08xu\n", c.name, unsigned(sum));
        if (sum != c.expected) std::printf("    %s: 0x%08x, pinned 0x%08x\n", c.name, unsigned(sum), unsigned(c.expected));
        CHECK(sum == c.expected);
    }
}

TEST_CASE("engine.golden", "a rendering is repeatable and sensitive to one changed sample") {
    const GoldenCase& c = kCases[3];
    CHECK_EQ(render(c), render(c));
    const std::vector<float> a{0.5f, 0.25f}, b{0.5f, 0.2500001f};
    CHECK(fnv1a(2166136261u, a) != fnv1a(2166136261u, b));
}
