// lv2apply, lilv's own command-line host, renders a file through the bundle:
// the result is the engine's output for the same settings.
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/ParameterUnits.h"
#include "tests/support/Checks.h"
#include "tests/lv2/Lv2Host.h"
#include "tests/support/Signals.h"

namespace {

bool writeWav(const std::string& path, const Stereo& s, int rate) {
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    std::vector<float> frames;
    for (size_t i = 0; i < s.left.size(); ++i) frames.insert(frames.end(), {s.left[i], s.right[i]});
    const bool ok = sf_writef_float(f, frames.data(), sf_count_t(s.left.size())) == sf_count_t(s.left.size());
    return sf_close(f) == 0 && ok;
}

bool readWav(const std::string& path, Stereo& s) {
    SF_INFO info = {};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return false;
    std::vector<float> frames(size_t(info.frames) * 2);
    const bool ok = info.channels == 2 && sf_readf_float(f, frames.data(), info.frames) == info.frames;
    sf_close(f);
    for (size_t i = 0; ok && i < frames.size(); i += 2) {
        s.left.push_back(frames[i]);
        s.right.push_back(frames[i + 1]);
    }
    return ok;
}

}  // namespace

TEST_CASE("lv2apply renders a file through the bundle as the engine does, latency and all" *
          doctest::test_suite("lv2.render")) {
    char dir[] = "/tmp/hok-lv2-XXXXXX";
    CHECK(mkdtemp(dir) != nullptr);
    const std::string root = dir;
    // A search path holding only this bundle.
    CHECK_EQ(symlink(HOK_LV2_BUNDLE, (root + "/HokMaximizer.lv2").c_str()), 0);

    const int rate = 44100, n = rate * 3 / 2;
    const Stereo in{signals::program(n, 1.6, 7), signals::program(n, 1.2, 8)};
    CHECK(writeWav(root + "/in.wav", in, rate));
    const std::vector<std::pair<int, float>> settings = {
        {kLimiterGain, 6.0f}, {kDullSharp, 40.0f}, {kOutGain, -1.5f}, {kAlgorithm, 4.0f},
        {kBassBoost, 30.0f},  {kHiBoost, -40.0f},  {kMidFreq, 1200.0f}, {kStereoLink, 0.0f}};
    std::string command = "LV2_PATH=" + root + " lv2apply -i " + root + "/in.wav -o " + root + "/out.wav";
    for (const auto& [index, value] : settings) {
        char set[64];
        std::snprintf(set, sizeof set, " -c %s %.9g", lv2port::kParameterSymbols[index], double(value));
        command += set;
    }
    command += std::string(" ") + lv2port::kPluginUri + " >" + root + "/lv2apply.log 2>&1";
    CHECK_EQ(std::system(command.c_str()), 0);

    Stereo out;
    CHECK(readWav(root + "/out.wav", out));
    const Stereo expected = engineOutput(in.left, in.right, float(rate), settings);
    CHECK_EQ(out.left.size(), expected.left.size());
    double worst = 0.0, latencyPeak = 0.0, peak = 0.0;
    for (size_t i = 0; i < out.left.size() && i < expected.left.size(); ++i) {
        worst = std::fmax(worst, std::fabs(double(out.left[i]) - expected.left[i]));
        worst = std::fmax(worst, std::fabs(double(out.right[i]) - expected.right[i]));
        const double a = std::fmax(std::fabs(out.left[i]), std::fabs(out.right[i]));
        (i < size_t(kLatency) ? latencyPeak : peak) = std::fmax(i < size_t(kLatency) ? latencyPeak : peak, a);
    }
    CHECK(worst <= 1e-6);
    // The signal arrives after the latency, at the level Out Gain sets.
    CHECK(latencyPeak < 1e-6);
    CHECK_NEAR(20.0 * std::log10(peak), -1.5, 0.05);
    std::system(("rm -rf " + root).c_str());
}
