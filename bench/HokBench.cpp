// hok-bench: CPU time per stereo frame of the plug-in, hosted through its
// record, for the default settings, every stage on, each algorithm, the left
// side alone (the mono path), and a high rate with short blocks; and the time
// to create instances. With several rounds every configuration runs once a
// round, round by round, and each line is the best of its rounds: other work
// on the machine only ever slows a run down, and a slow phase of it then
// touches every line alike instead of a few.
//   hok-bench [--plugin PATH] [--seconds S] [--rounds R] [--creation-only]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/ParameterValues.h"
#include "tools/render/PluginHost.h"

namespace {

double cpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Ten seconds of a hot mix: kick, hats, bass and a chord, peaks near +8 dBFS.
struct Signal {
    explicit Signal(double rate) : frames((long)(10 * rate)), left(frames), right(frames) {
        uint32_t seed = 1;
        for (long i = 0; i < frames; i++) {
            double t = i / rate, beat = std::fmod(t, 0.5);
            seed = seed * 1103515245u + 12345u;
            double noise = ((seed >> 8) / 8388608.0 - 1.0) * 0.25 * std::exp(-std::fmod(t, 0.25) * 30);
            double kick = std::sin(2 * M_PI * (45 + 120 * std::exp(-beat * 25)) * beat) * std::exp(-beat * 6) * 1.6;
            double bass = std::sin(2 * M_PI * 49 * t) * 0.5;
            double chord = 0.15 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.2 * t) +
                                   std::sin(2 * M_PI * 329.6 * t));
            left[i] = (float)(kick + noise + bass + chord);
            right[i] = (float)(kick - noise + bass * 0.8 + chord * 1.1);
        }
    }
    long frames;
    std::vector<float> left, right;
};

struct Config {
    const char* name;
    double rate;
    int block;
    std::vector<const char*> settings;
};

// Nanoseconds of CPU per stereo frame over `seconds` of audio.
double timeConfig(PluginLibrary& library, const Config& c, double seconds, std::string& error) {
    AEffect* effect = library.create();
    if (!effect) {
        error = "no instance";
        return -1.0;
    }
    PluginInstance plugin(effect);
    for (const char* s : c.settings) {
        std::string shown;
        if (!applySetting(plugin, s, shown, error)) return -1.0;
    }
    plugin.start((float)c.rate, c.block);
    Signal signal(c.rate);
    // The signal runs on from its start past its end, so that every block is
    // read in place and nothing but the plug-in runs between the clock reads.
    for (std::vector<float>* channel : {&signal.left, &signal.right})
        channel->insert(channel->end(), channel->begin(), channel->begin() + std::min<long>(c.block, signal.frames));
    std::vector<float> out[2] = {std::vector<float>(c.block), std::vector<float>(c.block)};
    float* outputs[2] = {out[0].data(), out[1].data()};
    long pos = 0;
    const auto run = [&](long frames) {
        for (long done = 0; done < frames; done += c.block) {
            float* inputs[2] = {signal.left.data() + pos, signal.right.data() + pos};
            plugin.process(inputs, outputs, c.block);
            pos = (pos + c.block) % signal.frames;
        }
    };
    // One second untimed to settle caches and the limiter's state, then the
    // timed run: one pair of clock reads for all of it, since a read of the
    // processor clock is a system call (over a microsecond on some machines,
    // which per block would add about 3 ns a frame at 512 frames a block).
    run((long)c.rate);
    const long frames = (long)(seconds * c.rate) / c.block * c.block;
    const double t0 = cpuSeconds();
    run(frames);
    return (cpuSeconds() - t0) * 1e9 / (double)frames;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = "HokMaximizer.so";
    double seconds = 20.0;
    int rounds = 1;
    bool creationOnly = false;  // the creation line alone, for timing it in fresh processes
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--plugin" && i + 1 < argc) path = argv[++i];
        else if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
        else if (a == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--creation-only") creationOnly = true;
        else {
            std::fprintf(stderr, "usage: hok-bench [--plugin PATH] [--seconds S] [--rounds R] [--creation-only]\n");
            return 2;
        }
    }
    if (!(seconds > 0.0)) seconds = 20.0;
    PluginLibrary library;
    std::string error;
    if (!library.load(path, error)) {
        std::fprintf(stderr, "hok-bench: %s\n", error.c_str());
        return 1;
    }

    // Creation: the first instance builds the process-wide tables; later ones
    // made while one lives do not.
    // Wall time is what a host waits; on a busy machine it includes time the
    // thread was not running, so the processor time is printed beside it.
    double t0 = wallSeconds();
    const double cpu0 = cpuSeconds();
    AEffect* first = library.create();
    double firstTime = wallSeconds() - t0;
    const double firstCpu = cpuSeconds() - cpu0;
    if (!first) {
        std::fprintf(stderr, "hok-bench: the plug-in gave no instance\n");
        return 1;
    }
    auto keep = std::make_unique<PluginInstance>(first);
    std::vector<double> later;
    for (int i = 0; i < 21; i++) {
        t0 = wallSeconds();
        AEffect* e = library.create();
        later.push_back(wallSeconds() - t0);
        if (e) PluginInstance drop(e);
    }
    std::sort(later.begin(), later.end());
    const double laterTime = later[later.size() / 2];
    std::printf("creation: first instance %.2f ms, %.2f ms of processor time (target under 5 ms: %s), later "
                "instance %.1f us (median of %zu; target under 100 us: %s)\n",
                firstTime * 1e3, firstCpu * 1e3, firstTime < 5e-3 ? "met" : "NOT MET", laterTime * 1e6, later.size(),
                laterTime < 100e-6 ? "met" : "NOT MET");
    if (creationOnly) return 0;

    std::vector<Config> configs = {
        {"default", 44100, 512, {}},
        {"every stage on", 44100, 512,
         {"EQ On/Off=On", "Body Boost=50", "Bass Boost=30%", "Mid Boost=-3dB", "Hi Boost=30%",
          "Algorithm=Falling SK", "Stereo Link=Linked"}},
        {"Full", 44100, 512, {"Algorithm=Full"}},
        {"Smooth", 44100, 512, {"Algorithm=Smooth"}},
        {"Falling", 44100, 512, {"Algorithm=Falling"}},
        {"Full SK", 44100, 512, {"Algorithm=Full SK"}},
        {"Smooth SK", 44100, 512, {"Algorithm=Smooth SK"}},
        {"Falling SK", 44100, 512, {"Algorithm=Falling SK"}},
        {"left only", 44100, 512, {"Auto Select Channels=Off", "Force Channels  S/L/R=Left"}},
        {"left, all stages", 44100, 512,
         {"Auto Select Channels=Off", "Force Channels  S/L/R=Left", "EQ On/Off=On", "Body Boost=50", "Bass Boost=30%",
          "Mid Boost=-3dB", "Hi Boost=30%", "Algorithm=Falling SK"}},
        {"default", 96000, 64, {}},
        {"every stage on", 96000, 64,
         {"EQ On/Off=On", "Body Boost=50", "Bass Boost=30%", "Mid Boost=-3dB", "Hi Boost=30%",
          "Algorithm=Falling SK", "Stereo Link=Linked"}},
    };
    std::vector<double> best(configs.size(), INFINITY);
    for (int round = 0; round < rounds; round++) {
        for (size_t k = 0; k < configs.size(); k++) {
            const double ns = timeConfig(library, configs[k], seconds, error);
            if (ns < 0.0) {
                std::fprintf(stderr, "hok-bench: %s: %s\n", configs[k].name, error.c_str());
                return 1;
            }
            best[k] = std::min(best[k], ns);
        }
    }
    std::printf("%-16s %7s %6s %12s %14s  (best of %d interleaved round%s)\n", "settings", "rate", "block", "ns/frame",
                "realtime x", rounds, rounds == 1 ? "" : "s");
    for (size_t k = 0; k < configs.size(); k++) {
        const Config& c = configs[k];
        std::printf("%-16s %7.0f %6d %12.1f %14.0f\n", c.name, c.rate, c.block, best[k], 1e9 / (best[k] * c.rate));
    }
    return 0;
}
