// hok-peerbench: times one plug-in, VST 2 (a Linux .so) or LV2 (by URI,
// where lilv is found), on one of our own signals: the benchmark's hot mix,
// or the generated song (drums, bass, voices, pad) mastered to full scale.
// Only the plug-in's processing is timed, in processor time; the last line
// reads like vstbench's: "<name> rtf=<x> peak_out=<p> ns_per_frame=<t>".
//
//   hok-peerbench vst PATH [options] [Name=Value ...]   (values as the plug-in displays them,
//                                                       or index=normalised value)
//   hok-peerbench lv2 URI  [options] [symbol=value ...]
//   options: --signal bench|song  --seconds S  --rate R  --block B  --whole  --list
// Like vstbench and lv2bench, it reads the processor clock around every
// block, so each figure includes those reads (a system call each); with
// --whole one pair of reads spans the whole run instead.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/Mixes.h"
#include "tools/render/ParameterValues.h"
#include "tools/render/PluginHost.h"
#if defined(HOK_HAVE_LILV)
#include "bench/Lv2Instance.h"
#endif

namespace {

double cpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Options {
    std::string kind, target, signal = "bench";
    double seconds = 20.0, rate = 44100.0;
    int block = 512;
    bool list = false, whole = false;
    std::vector<std::string> settings;
};

// Any plug-in: a name, and one block of stereo processing.
struct Timed {
    std::string name;
    std::function<void(float** in, float** out, int n)> process;
};

// Feeds the signal (looped) block by block; returns processor seconds spent in process.
double drive(const Options& o, const mixes::Stereo& signal, Timed& plugin, double& peak) {
    std::vector<float> in[2] = {std::vector<float>(o.block), std::vector<float>(o.block)};
    std::vector<float> out[2] = {std::vector<float>(o.block), std::vector<float>(o.block)};
    float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    const long frames = long(o.seconds * o.rate), length = long(signal.left.size());
    double busy = 0.0;
    for (long done = 0, at = 0; done < frames; done += o.block) {
        const int n = int(std::min<long>(o.block, frames - done));
        for (int i = 0; i < n; ++i, at = at + 1 == length ? 0 : at + 1) {
            in[0][i] = signal.left[at];
            in[1][i] = signal.right[at];
        }
        const double t0 = cpuSeconds();
        plugin.process(ins, outs, n);
        busy += cpuSeconds() - t0;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < n; ++i) peak = std::max(peak, double(std::fabs(out[c][i])));
    }
    return busy;
}

// The same run timed whole: the blocks read in place from the signal, which
// runs on past its end, after one untimed second (which gives the peak).
double driveWhole(const Options& o, mixes::Stereo signal, Timed& plugin, double& peak) {
    const long length = long(signal.left.size());
    for (std::vector<float>* channel : {&signal.left, &signal.right})
        channel->insert(channel->end(), channel->begin(), channel->begin() + std::min<long>(o.block, length));
    std::vector<float> out[2] = {std::vector<float>(o.block), std::vector<float>(o.block)};
    float* outs[2] = {out[0].data(), out[1].data()};
    long at = 0;
    const auto run = [&](long frames, bool scan) {
        for (long done = 0; done < frames; done += o.block) {
            const int n = int(std::min<long>(o.block, frames - done));
            float* ins[2] = {signal.left.data() + at, signal.right.data() + at};
            plugin.process(ins, outs, n);
            at = (at + n) % length;
            if (scan)
                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < n; ++i) peak = std::max(peak, double(std::fabs(out[c][i])));
        }
    };
    run(long(o.rate), true);
    const double t0 = cpuSeconds();
    run(long(o.seconds * o.rate), false);
    return cpuSeconds() - t0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: hok-peerbench vst PATH|lv2 URI [--signal bench|song] [--seconds S] [--rate R] "
                 "[--block B] [--whole] [--list] [setting ...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    Options o;
    o.kind = argv[1];
    o.target = argv[2];
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--signal" && i + 1 < argc) o.signal = argv[++i];
        else if (a == "--seconds" && i + 1 < argc) o.seconds = std::atof(argv[++i]);
        else if (a == "--rate" && i + 1 < argc) o.rate = std::atof(argv[++i]);
        else if (a == "--block" && i + 1 < argc) o.block = std::atoi(argv[++i]);
        else if (a == "--list") o.list = true;
        else if (a == "--whole") o.whole = true;
        else if (a.find('=') != std::string::npos) o.settings.push_back(a);
        else return usage();
    }
    if (o.block < 1 || !(o.rate > 0.0) || !(o.seconds > 0.0) || (o.signal != "bench" && o.signal != "song"))
        return usage();
    // Ten seconds of material, looped: long enough that a loop point is rare.
    const long material = long(10.0 * o.rate);
    const mixes::Stereo signal =
        o.signal == "song" ? mixes::musicMix(material, o.rate) : mixes::benchMix(material, o.rate);

    std::string error;
    Timed timed;
    PluginLibrary library;
    std::unique_ptr<PluginInstance> vst;
#if defined(HOK_HAVE_LILV)
    std::unique_ptr<Lv2Instance> lv2;
#endif
    if (o.kind == "vst") {
        if (!library.load(o.target, error)) {
            std::fprintf(stderr, "hok-peerbench: %s\n", error.c_str());
            return 1;
        }
        AEffect* effect = library.create();
        if (!effect) {
            std::fprintf(stderr, "hok-peerbench: no instance\n");
            return 1;
        }
        vst = std::make_unique<PluginInstance>(effect);
        if (o.list) {
            for (int i = 0; i < vst->numParams(); ++i)
                std::printf("%3d %-28s %s %s\n", i, vst->name(i).c_str(), vst->display(i).c_str(),
                            vst->label(i).c_str());
            return 0;
        }
        std::string shown, settings;
        for (const std::string& s : o.settings) {
            // "index=value" sets a normalised value as vstbench does; names go through the display.
            const std::string key = s.substr(0, s.find('='));
            if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos) {
                vst->set(std::atoi(key.c_str()), std::strtof(s.c_str() + key.size() + 1, nullptr));
                settings += " " + s;
                continue;
            }
            if (!applySetting(*vst, s, shown, error)) {
                std::fprintf(stderr, "hok-peerbench: %s\n", error.c_str());
                return 1;
            }
            settings += " " + shown;
        }
        char name[256] = {};
        vst->dispatch(effGetEffectName, 0, 0, name);
        timed.name = std::string(name[0] ? name : o.target.c_str()) + settings;
        vst->start(float(o.rate), o.block);
        timed.process = [&](float** in, float** out, int n) { vst->process(in, out, n); };
    } else if (o.kind == "lv2") {
#if defined(HOK_HAVE_LILV)
        lv2 = std::make_unique<Lv2Instance>();
        if (!lv2->load(o.target, o.rate, o.block, error)) {
            std::fprintf(stderr, "hok-peerbench: %s\n", error.c_str());
            return 1;
        }
        for (const std::string& s : o.settings) {
            if (!lv2->set(s, error)) {
                std::fprintf(stderr, "hok-peerbench: %s\n", error.c_str());
                return 1;
            }
        }
        timed.name = lv2->name();
        for (const std::string& s : o.settings) timed.name += " " + s;
        lv2->activate();
        timed.process = [&](float** in, float** out, int n) { lv2->run(in, out, n); };
#else
        std::fprintf(stderr, "hok-peerbench: built without lilv, no LV2 hosting\n");
        return 1;
#endif
    } else {
        return usage();
    }
    double peak = 0.0;
    const double busy = o.whole ? driveWhole(o, signal, timed, peak) : drive(o, signal, timed, peak);
    const double frames = std::floor(o.seconds * o.rate);
    std::printf("%s rtf=%.1f peak_out=%.4f ns_per_frame=%.2f\n", timed.name.c_str(), o.seconds / busy, peak,
                busy * 1e9 / frames);
    return 0;
}
