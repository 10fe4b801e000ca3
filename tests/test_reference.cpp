// The engine against the reference maximizer (a frozen scalar copy of the
// processing, tests/reference): every output sample within 1e-6 and every
// segment decision of the limiter the same, over fixed settings and signals,
// the benchmark's mix, hot and quiet songs at 44.1 and 96 kHz in all six
// algorithms with the equaliser on and off, in various block sizes, and
// with the algorithm switched mid-song; for each instruction set the
// processor runs.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/Dynamics.h"
#include "engine/Parameters.h"
#include <doctest.h>
#include "tests/reference/Reference.h"
#include "tests/support/Mixes.h"
#include "tests/support/Signals.h"
#include "tests/support/EngineRig.h"

namespace {

using Settings = std::vector<std::pair<int, float>>;  // internal values

struct Change {
    long at;  // applied before the first host block that starts at or after this frame
    int index;
    float value;
};

struct Case {
    std::string name;
    float rate;
    int32_t resumeBlock;
    std::vector<int> blocks;  // host block sizes, cycled
    Settings settings;
    const mixes::Stereo* signal;
    std::vector<Change> changes;
    // Compare only the decisions of segments that write a gain (see the hostile cases).
    bool limitingOnly = false;
};

struct Rendered {
    std::vector<float> left, right;
    std::vector<reference::SegmentClose> closes;
};

// Runs the host blocks of a case: change(index, value) between blocks as the
// schedule says, block(offset, frames) for each.
template <typename OnChange, typename OnBlock>
void drive(const Case& c, OnChange change, OnBlock block) {
    const long frames = long(c.signal->left.size());
    size_t next = 0, k = 0;
    for (long at = 0; at < frames;) {
        for (; next < c.changes.size() && c.changes[next].at <= at; ++next)
            change(c.changes[next].index, c.changes[next].value);
        const long n = std::min<long>(c.blocks[k++ % c.blocks.size()], frames - at);
        block(at, int32_t(n));
        at += n;
    }
}

// Segment decisions of one engine channel, in the reference's terms.
struct ChannelLog final : SegmentLog {
    int32_t channel = 0;
    std::vector<reference::SegmentClose>* to = nullptr;
    void closed(int32_t writePos, int32_t length, bool hump, float gain) override {
        to->push_back({channel, writePos, length, hump, gain});
    }
};

// The engine side, driven through its own API; with `listen`, every segment
// decision is recorded (the limiter then also queues the segments that write
// nothing, which it otherwise drops).
Rendered renderEngine(const Case& c, bool listen) {
    Rendered out{std::vector<float>(c.signal->left.size()), std::vector<float>(c.signal->left.size()), {}};
    EngineRig rig(c.rate, c.resumeBlock);
    for (const auto& [index, value] : c.settings) rig.set(index, value);
    ChannelLog logs[2];
    for (int ch = 0; ch < 2; ++ch) {
        logs[ch].channel = ch;
        logs[ch].to = &out.closes;
    }
    if (listen) rig.engine.logSegments(&logs[0], &logs[1]);
    std::vector<float> inL(c.signal->left), inR(c.signal->right);
    drive(c, [&](int index, float value) { rig.set(index, value); },
          [&](long at, int32_t n) {
              rig.block(inL.data() + at, inR.data() + at, out.left.data() + at, out.right.data() + at, n);
          });
    return out;
}

Rendered renderReference(const Case& c) {
    float params[reference::kParams];
    for (int i = 0; i < reference::kParams; ++i) params[i] = kParameters[i].defaultValue;
    for (const auto& [index, value] : c.settings) params[index] = value;
    reference::Maximizer ref(c.rate, c.resumeBlock, params);
    Rendered out{std::vector<float>(c.signal->left.size()), std::vector<float>(c.signal->left.size()), {}};
    drive(c, [&](int index, float value) { ref.setParameter(index, value); },
          [&](long at, int32_t n) {
              ref.process(c.signal->left.data() + at, c.signal->right.data() + at, out.left.data() + at,
                          out.right.data() + at, n);
          });
    // The engine reports each channel's decisions as its limiter runs; order both by channel.
    std::stable_sort(ref.closes.begin(), ref.closes.end(),
                     [](const auto& a, const auto& b) { return a.channel < b.channel; });
    out.closes = std::move(ref.closes);
    return out;
}

double largestDeviation(const Rendered& a, const Rendered& b) {
    double worst = 0.0;
    for (size_t i = 0; i < a.left.size(); ++i) {
        worst = std::max({worst, std::fabs(double(a.left[i]) - b.left[i]), std::fabs(double(a.right[i]) - b.right[i])});
        if (!(a.left[i] == a.left[i]) || !(a.right[i] == a.right[i])) return INFINITY;
    }
    return worst;
}

bool sameDecisions(std::vector<reference::SegmentClose> engine, std::vector<reference::SegmentClose> ref,
                   bool limitingOnly) {
    std::stable_sort(engine.begin(), engine.end(), [](const auto& a, const auto& b) { return a.channel < b.channel; });
    if (limitingOnly)
        for (auto* closes : {&engine, &ref})
            std::erase_if(*closes, [](const reference::SegmentClose& c) { return !(c.gain <= 1.0f); });
    if (engine.size() != ref.size()) return false;
    for (size_t i = 0; i < ref.size(); ++i) {
        const auto &e = engine[i], &r = ref[i];
        const bool gainsAgree = e.gain == r.gain || std::fabs(double(e.gain) - r.gain) <= 1e-6 * r.gain;
        if (e.channel != r.channel || e.writePos != r.writePos || e.length != r.length || e.hump != r.hump ||
            !gainsAgree)
            return false;
    }
    return true;
}

const char* const kModeNames[3] = {"stereo", "left", "right"};

const Settings kEveryStage = {{kEqOnOff, 1}, {kBodyBoost, 193.5f}, {kBassBoost, 197.4f}, {kMidBoost, 84.6f},
                              {kHiBoost, 225.6f}, {kStereoLink, 1}};

Settings with(Settings s, const Settings& more) {
    s.insert(s.end(), more.begin(), more.end());
    return s;
}

std::vector<Case> cases() {
    static const mixes::Stereo program{signals::program(30000, 1.7, 101), signals::program(30000, 1.2, 202)};
    static const mixes::Stereo bench = mixes::benchMix(44100, 44100.0);
    static const mixes::Stereo song44 = mixes::musicMix(44100, 44100.0), song96 = mixes::musicMix(96000, 96000.0);
    static const auto scaled = [](const mixes::Stereo& s, float by) {
        mixes::Stereo q = s;
        for (auto* v : {&q.left, &q.right})
            for (float& x : *v) x *= by;
        return q;
    };
    static const mixes::Stereo quiet44 = scaled(song44, 0.25f), quiet96 = scaled(song96, 0.25f);
    // So hot into the equaliser that the boosted treble stage's follower overshoots full scale.
    static const mixes::Stereo loud44 = scaled(song44, 4.0f);
    constexpr float kPlus6dB = 268.0f, kPlus12dB = 318.0f;  // Limiter Gain positions

    const std::vector<int> golden = {512, 100, 1, 333};
    const Settings allEq = {{kBodyBoost, 250}, {kBassBoost, 230}, {kMidBoost, 60}, {kHiBoost, 240}};
    std::vector<Case> list = {
        {"full", 44100, 512, golden, {{kAlgorithm, 0}}, &program, {}},
        {"smooth", 44100, 512, golden, {{kAlgorithm, 1}}, &program, {}},
        {"falling", 44100, 512, golden, {{kAlgorithm, 2}}, &program, {}},
        {"full sk fast", 44100, 512, golden, {{kAlgorithm, 3}}, &program, {}},
        {"smooth sk", 44100, 512, golden, {{kAlgorithm, 4}}, &program, {}},
        {"falling sk", 44100, 512, golden, {{kAlgorithm, 5}}, &program, {}},
        {"full sk slow", 44100, 512, golden, {{kAlgorithm, 3}, {kSoftKnee, 0}}, &program, {}},
        {"full sk medium", 44100, 512, golden, {{kAlgorithm, 3}, {kSoftKnee, 1}}, &program, {}},
        {"falling sk slow", 44100, 512, golden, {{kAlgorithm, 5}, {kSoftKnee, 0}}, &program, {}},
        {"body", 44100, 512, golden, {{kAlgorithm, 3}, {kBodyBoost, 387}}, &program, {}},
        {"bass cut", 44100, 512, golden, {{kAlgorithm, 3}, {kBassBoost, 40}, {kBassFreq, 200}}, &program, {}},
        {"bass boost", 44100, 512, golden, {{kAlgorithm, 1}, {kBassBoost, 282}}, &program, {}},
        {"mid cut", 44100, 512, golden, {{kAlgorithm, 3}, {kMidBoost, 0}, {kMidFreq, 1200}}, &program, {}},
        {"mid boost", 44100, 512, golden, {{kAlgorithm, 0}, {kMidBoost, 282}}, &program, {}},
        {"treble cut", 44100, 512, golden, {{kAlgorithm, 3}, {kHiBoost, 20}}, &program, {}},
        {"treble boost", 44100, 512, golden, {{kAlgorithm, 2}, {kHiBoost, 282}, {kTrebleFreq, 6000}}, &program, {}},
        {"all eq", 44100, 512, golden, allEq, &program, {}},
        {"mid and treble", 44100, 512, golden, {{kAlgorithm, 4}, {kMidBoost, 60}, {kHiBoost, 240}}, &program, {}},
        {"song +12 dB into the treble boost", 44100, 512, {512}, {{kHiBoost, 282}, {kTrebleFreq, 5000}}, &loud44, {}},
        {"bass cut, mid boost", 44100, 100, {100, 7}, {{kAlgorithm, 3}, {kBassBoost, 90}, {kMidBoost, 250}}, &program,
         {}},
        {"eq off", 44100, 512, golden, {{kEqOnOff, 0}, {kBassBoost, 282}, {kHiBoost, 0}}, &program, {}},
        {"full unlinked", 44100, 512, golden, {{kAlgorithm, 0}, {kStereoLink, 0}}, &program, {}},
        {"smooth unlinked", 44100, 512, golden, {{kAlgorithm, 1}, {kStereoLink, 0}}, &program, {}},
        {"falling sk unlinked", 44100, 512, golden, {{kAlgorithm, 5}, {kStereoLink, 0}}, &program, {}},
        {"drive dull", 44100, 512, golden, {{kLimiterGain, 300}, {kDullSharp, 0}, {kOutGain, 150}}, &program, {}},
        {"drive sharp", 44100, 512, golden, {{kLimiterGain, 280}, {kDullSharp, 162}, {kAlgorithm, 1}}, &program, {}},
        {"forced left", 44100, 512, golden, {{kAutoSelectChannels, 0}, {kForceChannels, 1}}, &program, {}},
        {"forced right", 44100, 512, golden, {{kAutoSelectChannels, 0}, {kForceChannels, 2}, {kAlgorithm, 2}},
         &program, {}},
        {"96k full eq", 96000, 512, golden, {{kAlgorithm, 0}, {kBassBoost, 250}, {kTrebleFreq, 9000}, {kHiBoost, 60}},
         &program, {}},
        {"96k falling all eq unlinked", 96000, 512, golden,
         with({{kAlgorithm, 2}, {kStereoLink, 0}}, allEq), &program, {}},
        {"96k smooth sk medium", 96000, 512, golden, {{kAlgorithm, 4}, {kSoftKnee, 1}, {kBassBoost, 60}}, &program,
         {}},
        {"benchmark mix, defaults", 44100, 512, {512}, {}, &bench, {}},
        {"benchmark mix, every stage", 44100, 512, {512}, with(kEveryStage, {{kAlgorithm, 5}}), &bench, {}},
        {"benchmark mix, every stage, 64", 44100, 64, {64}, with(kEveryStage, {{kAlgorithm, 5}}), &bench, {}},
        // Switching to a smoothed algorithm and back mid-song.
        {"song, algorithm switched", 44100, 512, {512, 77},
         {{kLimiterGain, kPlus6dB}, {kAlgorithm, 3}}, &song44,
         {{9000, kAlgorithm, 1}, {20000, kAlgorithm, 0}, {26000, kAlgorithm, 2}, {33000, kAlgorithm, 5},
          {38000, kAlgorithm, 1}}},
        {"96k song, algorithm switched", 96000, 256, {256, 64},
         {{kLimiterGain, kPlus12dB}, {kAlgorithm, 5}}, &song96,
         {{30001, kAlgorithm, 2}, {60000, kAlgorithm, 3}, {61000, kAlgorithm, 1}}},
    };
    // The mono path's equaliser: each forced side at both rates with every
    // stage on, the bass and treble boosting on the left, cutting on the right.
    const Settings everyCut = {{kEqOnOff, 1}, {kBodyBoost, 120}, {kBassBoost, 60}, {kMidBoost, 250}, {kHiBoost, 90}};
    for (const bool high : {false, true}) {
        for (const int side : {1, 2}) {
            const Settings forced = {{kAutoSelectChannels, 0}, {kForceChannels, float(side)},
                                     {kAlgorithm, float(side + 2)}, {kLimiterGain, kPlus6dB}};
            char name[80];
            std::snprintf(name, sizeof name, "forced %s, every eq stage, %s", kModeNames[side], high ? "96k" : "44.1k");
            list.push_back({name, high ? 96000.0f : 44100.0f, 512, golden,
                            with(forced, side == 1 ? kEveryStage : everyCut), high ? &song96 : &song44, {}});
        }
    }
    // Hostile input through every stage (boosting, then cutting), in stereo
    // and mono: twice, then silence for the latency, so that what follows
    // the overflowing values reaches the output. The filters ring down to
    // the flush floor there, and in segments that quiet the last-bit
    // differences the rule allows can move a turning point; such segments
    // write no gain, so only the decisions of segments that limit count.
    static const mixes::Stereo hostile = [] {
        mixes::Stereo h;
        for (const uint32_t seed : {11u, 31u}) {
            const auto l = signals::hostile(seed, 64), r = signals::hostile(seed + 12, 50);
            h.left.insert(h.left.end(), l.begin(), l.end());
            h.right.insert(h.right.end(), r.begin(), r.end());
        }
        h.left.resize(h.left.size() + 3000, 0.0f);
        h.right.resize(h.right.size() + 3000, 0.0f);
        return h;
    }();
    for (const int mode : {0, 1, 2}) {
        for (const bool cut : {false, true}) {
            char name[80];
            std::snprintf(name, sizeof name, "hostile input, %s, every eq stage %s", kModeNames[mode],
                          cut ? "cutting" : "boosting");
            list.push_back({name, 44100, 512, golden,
                            with({{kAutoSelectChannels, mode == 0 ? 1.0f : 0.0f}, {kForceChannels, float(mode)}},
                                 cut ? everyCut : kEveryStage),
                            &hostile, {}, true});
        }
    }
    // Exact zeros where the limiter's rule acts on them: a triangle passing
    // through 0.0 on its slope, zeros between the half-waves of a square, a
    // zero inside a half-wave, a sawtooth dropping to 0.0, and gaps of digital
    // silence (the equaliser off, so that the zeros stay exact).
    static const mixes::Stereo zeros = [] {
        mixes::Stereo z;
        for (int rep = 0; rep < 60; ++rep) {
            for (int k = 0; k < 32; ++k) z.left.push_back(0.25f * float(k < 16 ? k - 8 : 24 - k));
            for (int k = 0; k < 12; ++k) z.left.push_back(k % 3 == 2 ? 0.0f : (k < 6 ? 1.5f : -1.5f));
            // A zero inside a half-wave, then a turn and a dip against the new sign.
            z.left.insert(z.left.end(), {1.5f, 0.0f, 1.2f, -0.8f, -1.6f, -0.4f, 0.3f});
            for (int k = 0; k < 24; ++k) z.right.push_back(k % 6 == 5 ? 0.0f : (k < 12 ? 0.3f : -0.3f) * float(k % 6 + 1));
            z.left.resize(z.left.size() + rep % 5, 0.0f);
            z.right.resize(z.right.size() + rep % 7, 0.0f);
        }
        z.left.resize(z.left.size() + 3000, 0.0f);
        z.right.resize(z.left.size(), 0.0f);
        return z;
    }();
    for (const int alg : {0, 5}) {
        list.push_back({alg == 0 ? "exact zeros, full" : "exact zeros, falling sk", 44100, 512, golden,
                        {{kAlgorithm, float(alg)}, {kEqOnOff, 0}}, &zeros, {}});
    }
    // Low tones, hot: segments far longer than the 210-sample window, which
    // the falling algorithms scale down.
    static const mixes::Stereo low{signals::sineWave(30000, 1100.0, 0.9), signals::sineWave(30000, 1700.0, 0.8)};
    for (const int alg : {2, 5}) {
        list.push_back({alg == 2 ? "low tones, falling" : "low tones, falling sk", 44100, 512, golden,
                        {{kAlgorithm, float(alg)}, {kLimiterGain, kPlus6dB}}, &low, {}});
    }
    // Hot and quiet songs at both rates, all six algorithms, the equaliser off
    // and with every stage on, in block patterns that include blocks longer
    // than the one given at resume.
    const std::vector<std::pair<int32_t, std::vector<int>>> patterns = {
        {512, {512}}, {64, {64}}, {512, {511, 1, 1024, 37}}, {128, {128, 3}}};
    int k = 0;
    for (const bool high : {false, true}) {
        for (const bool hot : {true, false}) {
            for (int alg = 0; alg < 6; ++alg) {
                for (const bool eq : {false, true}) {
                    const auto& [resume, blocks] = patterns[k++ % patterns.size()];
                    Settings s = {{kAlgorithm, float(alg)}, {kLimiterGain, hot ? kPlus6dB : 207.0f}, {kEqOnOff, 0}};
                    if (eq) s = with(s, kEveryStage);
                    const mixes::Stereo* song = high ? (hot ? &song96 : &quiet96) : (hot ? &song44 : &quiet44);
                    char name[80];
                    std::snprintf(name, sizeof name, "%s song %s, algorithm %d, eq %s", hot ? "hot" : "quiet",
                                  high ? "96k" : "44.1k", alg, eq ? "on" : "off");
                    list.push_back({name, high ? 96000.0f : 44100.0f, resume, blocks, s, song, {}});
                }
            }
        }
    }
    return list;
}

}  // namespace

TEST_CASE("every output within 1e-6 of the reference and the same segment decisions" *
          doctest::test_suite("engine.reference")) {
    double worst = 0.0;
    size_t decisions = 0;
    const SimdLevel chosen = simdLevel();
    for (const Case& c : cases()) {
        const Rendered ref = renderReference(c);
        CHECK((!ref.closes.empty() || c.name.find("quiet") != std::string::npos));
        decisions += ref.closes.size();
        for (const SimdLevel level : kSimdLevels) {
            if (!simdSupported(level)) continue;
            setSimdLevel(level);
            const Rendered engine = renderEngine(c, true), unheard = renderEngine(c, false);
            const double deviation = std::max(largestDeviation(engine, ref), largestDeviation(unheard, ref));
            const bool same = sameDecisions(engine.closes, ref.closes, c.limitingOnly);
            if (!(deviation <= 1e-6) || !same)
                std::printf("    %s (%s): deviation %.3g, decisions %s (%zu vs %zu)\n", c.name.c_str(),
                            simdName(level), deviation, same ? "same" : "DIFFER",
                            engine.closes.size(), ref.closes.size());
            CHECK(deviation <= 1e-6);
            CHECK(same);
            worst = std::max(worst, deviation);
        }
    }
    setSimdLevel(chosen);
    std::string levels;
    for (const SimdLevel level : kSimdLevels)
        if (simdSupported(level)) levels += std::string(" ") + simdName(level);
    std::printf("    largest deviation from the reference: %.3g (%zu segment decisions per instruction set:%s)\n",
                worst, decisions, levels.c_str());
}
