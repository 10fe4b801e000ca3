#include "tools/render/Renderer.h"

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "tools/render/AudioFiles.h"
#include "tools/render/EditorSnapshot.h"
#include "tools/render/Loudness.h"
#include "tools/render/ParameterValues.h"
#include "tools/render/PluginHost.h"
#include "tools/render/ReductionProbe.h"

const char* const kRenderUsage =
    "usage: hok-render [options] INPUT OUTPUT\n"
    "       hok-render [options] --list\n"
    "Renders a mono or stereo WAV, AIFF or FLAC file through Hok Maximizer.\n"
    "  --set \"Name=Value\"   set a parameter by name, in the units its display shows:\n"
    "                       \"Limiter Gain=+4.5\" (dB), \"Algorithm=Smooth SK\", \"Mid Freq=1200\",\n"
    "                       \"Bass Boost=-3dB\" or \"Bass Boost=40%\" (bare numbers: cuts in dB\n"
    "                       below 0, boosts in percent from 0); may be repeated\n"
    "  --program N          select program N (0 to 9) before the settings\n"
    "  --list               print every parameter with its display text and unit\n"
    "  --bits 16|24|float   output sample type (default: the input's where possible)\n"
    "  --block N            block size handed to the plug-in (default 512)\n"
    "  --editor-png FILE    paint the editor, with the meters the file left, into FILE\n"
    "  --progress, --no-progress   force the progress bar on stderr on or off\n"
    "  --plugin PATH        the plug-in library (default: HokMaximizer.so beside hok-render)\n"
    "The output is aligned with the input (the plug-in's 2400-sample latency is removed\n"
    "and its tail flushed) and written under a temporary name, renamed when complete.\n"
    "The deepest gain reduction is measured by running a reference instance at the lowest\n"
    "drive beside the rendering one and comparing their outputs sample by sample.\n";

namespace {

bool parseInt(const std::string& s, long lo, long hi, int& out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || !end || *end || v < lo || v > hi) return false;
    out = (int)v;
    return true;
}

std::string defaultPluginPath() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "HokMaximizer.so";
    std::string path(self, (size_t)n);
    return path.substr(0, path.find_last_of('/') + 1) + "HokMaximizer.so";
}

std::string decibels(double linear, const char* unit) {
    char buf[48];
    if (!(linear > 0.0))
        std::snprintf(buf, sizeof buf, "-inf %s", unit);
    else
        std::snprintf(buf, sizeof buf, "%+.2f %s", 20.0 * std::log10(linear), unit);
    return buf;
}

std::string lufs(double value) {
    char buf[48];
    if (!std::isfinite(value))
        std::snprintf(buf, sizeof buf, "-inf LUFS");
    else
        std::snprintf(buf, sizeof buf, "%.1f LUFS", value);
    return buf;
}

std::string clock(long frame, int rate) {
    double t = (double)frame / rate;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%06.3f", (int)(t / 60.0), std::fmod(t, 60.0));
    return buf;
}

class ProgressBar {
public:
    ProgressBar(FILE* err, bool shown, long total) : err_(err), shown_(shown && total > 0), total_(total) {}
    void update(long done) {
        if (!shown_) return;
        int percent = (int)(100.0 * (double)done / (double)total_);
        if (percent > 100) percent = 100;
        if (percent == last_) return;
        last_ = percent;
        char bar[41];
        int filled = percent * 40 / 100;
        for (int i = 0; i < 40; i++) bar[i] = i < filled ? '#' : '-';
        bar[40] = 0;
        std::fprintf(err_, "\rrendering [%s] %3d%%", bar, percent);
        std::fflush(err_);
    }
    void finish() {
        if (shown_ && last_ >= 0) std::fprintf(err_, "\r%60s\r", "");
    }

private:
    FILE* err_;
    bool shown_;
    long total_;
    int last_ = -1;
};

void printList(PluginInstance& plugin, FILE* out) {
    std::fprintf(out, "  #  %-22s %-11s %s\n", "parameter", "value", "unit");
    for (int i = 0; i < plugin.numParams(); i++)
    {
        std::string shown = plugin.display(i);
        shown.erase(0, shown.find_first_not_of(' ') == std::string::npos ? shown.size() : shown.find_first_not_of(' '));
        std::fprintf(out, "%3d  %-22s %-11s %s\n", i, plugin.name(i).c_str(), shown.c_str(), plugin.label(i).c_str());
    }
}

struct Channels {
    explicit Channels(int frames) : left(frames), right(frames) {}
    std::vector<float> left, right;
    float* pointers[2] = {nullptr, nullptr};
    float** get() {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
};

}  // namespace

bool parseRenderArguments(const std::vector<std::string>& args, RenderOptions& o, std::string& error) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--list") {
            o.list = true;
        } else if (a == "--progress") {
            o.progress = 1;
        } else if (a == "--no-progress") {
            o.progress = 0;
        } else if (a == "--set") {
            if (!value(v)) return false;
            o.settings.push_back(v);
        } else if (a == "--plugin") {
            if (!value(o.plugin)) return false;
        } else if (a == "--editor-png") {
            if (!value(o.editorPng)) return false;
        } else if (a == "--bits") {
            if (!value(o.sampleType)) return false;
            if (o.sampleType != "16" && o.sampleType != "24" && o.sampleType != "float") {
                error = "--bits takes 16, 24 or float, not '" + o.sampleType + "'";
                return false;
            }
        } else if (a == "--program") {
            if (!value(v)) return false;
            if (!parseInt(v, 0, INT_MAX, o.program)) {
                error = "--program takes a program number, not '" + v + "'";
                return false;
            }
        } else if (a == "--block") {
            if (!value(v)) return false;
            if (!parseInt(v, 1, 65536, o.blockSize)) {
                error = "--block takes a block size from 1 to 65536, not '" + v + "'";
                return false;
            }
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            error = "unknown option '" + a + "'";
            return false;
        } else {
            files.push_back(a);
        }
    }
    if (o.help) return true;
    if (files.size() == 2) {
        o.input = files[0];
        o.output = files[1];
    } else if (!(files.empty() && o.list)) {
        error = files.size() < 2 ? "an input and an output file are needed" : "too many file names";
        return false;
    }
    if (!o.editorPng.empty() && o.input.empty()) {
        error = "--editor-png needs a file to render";
        return false;
    }
    return true;
}

int runRenderer(const std::vector<std::string>& args, FILE* out, FILE* err) {
    RenderOptions o;
    std::string error;
    auto fail = [&](const std::string& message) {
        std::fprintf(err, "hok-render: %s\n", message.c_str());
        return 1;
    };
    if (!parseRenderArguments(args, o, error)) {
        std::fprintf(err, "hok-render: %s\n%s", error.c_str(), kRenderUsage);
        return 2;
    }
    if (o.help) {
        std::fputs(kRenderUsage, out);
        return 0;
    }

    // Open the input and decide the output format before anything is rendered.
    InputFile input;
    int outFormat = 0;
    if (!o.input.empty()) {
        if (!input.open(o.input, error)) return fail(error);
        outFormat = chooseOutputFormat(input.info.format, o.output, o.sampleType, error);
        if (!outFormat) return fail(error);
    }

    PluginLibrary library;
    if (!library.load(o.plugin.empty() ? defaultPluginPath() : o.plugin, error)) return fail(error);
    AEffect* effect = library.create();
    if (!effect) return fail("the plug-in did not create an instance");
    PluginInstance plugin(effect);
    if (effect->numInputs < 1 || effect->numOutputs < 2 || effect->numInputs > 2 || effect->numOutputs > 2)
        return fail("the plug-in is not a stereo effect");

    if (o.program >= 0) {
        if (o.program >= plugin.numPrograms())
            return fail("program " + std::to_string(o.program) + " does not exist; programs are 0 to " +
                        std::to_string(plugin.numPrograms() - 1));
        plugin.dispatch(effSetProgram, 0, o.program);
    }
    std::vector<std::string> applied;
    for (const std::string& s : o.settings) {
        std::string shown;
        if (!applySetting(plugin, s, shown, error)) return fail(error);
        applied.push_back(shown);
    }
    // Detection overwrites Force Channels while Auto Select is on.
    int autoSelect = findParameter(plugin, "Auto Select Channels", error);
    for (const std::string& s : o.settings) {
        std::string ignored;
        int index = findParameter(plugin, s.substr(0, s.find('=')), ignored);
        if (autoSelect >= 0 && index >= 0 && normaliseWords(plugin.name(index)).rfind("force channels", 0) == 0 &&
            normaliseWords(plugin.display(autoSelect)) == "on")
            std::fprintf(err, "hok-render: note: Force Channels is replaced by the detected layout while "
                              "Auto Select Channels is On\n");
    }
    if (o.list) printList(plugin, out);
    if (o.input.empty()) return 0;

    const int rate = input.info.samplerate;
    const int channels = input.info.channels;
    const int block = o.blockSize;
    const long latency = plugin.latency() > 0 ? plugin.latency() : 0;
    const long total = (long)input.info.frames;

    OutputFile output;
    if (!output.open(o.output, outFormat, channels, rate, error)) return fail(error);

    ReductionProbe probe;
    std::string why;
    bool probing = probe.prepare(library, plugin, (float)rate, block, why);
    plugin.start((float)rate, block);
    std::unique_ptr<EditorMirror> mirror;
    if (!o.editorPng.empty()) {
        mirror = std::make_unique<EditorMirror>();
        if (!mirror->start(plugin, (float)rate, block, error)) return fail(error);
    }

    LevelMeter inMeter(channels, rate), outMeter(channels, rate);
    std::vector<float> interIn((size_t)block * channels), interOut((size_t)block * channels);
    Channels in(block), mainOut(block), refOut(block);
    ProgressBar progress(err, o.progress == 1 || (o.progress < 0 && isatty(fileno(err)) && total > 30L * rate),
                         total + latency);

    bool eof = false;
    long inFrames = 0, processed = 0;
    for (;;) {
        long n = 0;
        if (!eof) {
            n = input.read(interIn.data(), block);
            inFrames += n;
            eof = n < block;
            if (eof && !input.endedCleanly(error)) {
                progress.finish();
                return fail(error);
            }
        }
        long m = n;
        if (eof) {
            m = std::min<long>(block, inFrames + latency - processed);
            if (m <= 0) break;
        }
        for (long i = 0; i < m; i++) {
            in.left[i] = i < n ? interIn[i * channels] : 0.0f;
            in.right[i] = i < n ? interIn[i * channels + channels - 1] : 0.0f;
        }
        inMeter.add(interIn.data(), n);
        // A mono file is one buffer for both inputs, as hosts hand it over.
        float* inputs[2] = {in.left.data(), channels == 1 ? in.left.data() : in.right.data()};
        plugin.process(inputs, mainOut.get(), (int)m);
        if (probing) probe.reference()->process(inputs, refOut.get(), (int)m);
        if (mirror) mirror->process(inputs, (int)m);

        long skip = std::max<long>(0, latency - processed);
        if (skip < m) {
            long k = m - skip;
            for (long i = 0; i < k; i++) {
                interOut[i * channels] = mainOut.left[skip + i];
                if (channels == 2) interOut[i * channels + 1] = mainOut.right[skip + i];
            }
            if (!output.write(interOut.data(), k, error)) {
                progress.finish();
                return fail(error);
            }
            outMeter.add(interOut.data(), k);
            float* rendered[2] = {mainOut.left.data() + skip, mainOut.right.data() + skip};
            float* referenced[2] = {refOut.left.data() + skip, refOut.right.data() + skip};
            if (probing) probe.compare(rendered, referenced, channels, k, processed + skip - latency);
        }
        processed += m;
        progress.update(processed);
    }
    progress.finish();

    if (mirror) {
        // Painted before the audio is committed, so a failure leaves no output presented as done.
        if (!mirror->paintPng(o.editorPng, error)) return fail(error);
    }
    plugin.stop();
    if (!output.commit(error)) return fail(error);

    std::fprintf(out, "hok-render: %s -> %s\n", o.input.c_str(), o.output.c_str());
    std::fprintf(out, "  input   %s, %d Hz, %s, %.3f s\n", channels == 1 ? "mono" : "stereo", rate,
                 describeFormat(input.info.format).c_str(), (double)inFrames / rate);
    std::fprintf(out, "  output  %s, %ld frames aligned with the input\n", describeFormat(outFormat).c_str(),
                 inFrames);
    for (const std::string& s : applied) std::fprintf(out, "  set     %s\n", s.c_str());
    std::fprintf(out, "                 %-14s %s\n", "input", "output");
    std::fprintf(out, "  sample peak    %-14s %s\n", decibels(inMeter.samplePeak(), "dBFS").c_str(),
                 decibels(outMeter.samplePeak(), "dBFS").c_str());
    std::fprintf(out, "  true peak      %-14s %s\n", decibels(inMeter.truePeak(), "dBTP").c_str(),
                 decibels(outMeter.truePeak(), "dBTP").c_str());
    std::fprintf(out, "  loudness       %-14s %s\n", lufs(inMeter.loudness()).c_str(),
                 lufs(outMeter.loudness()).c_str());
    if (!probing) {
        std::fprintf(out, "  gain reduction not measured: %s\n", why.c_str());
    } else if (probe.deepestFrame() < 0 || probe.deepestGain() >= 0.99999) {
        std::fprintf(out, "  deepest gain reduction  none\n");
    } else {
        const char* side = channels == 1 ? "mono" : probe.deepestChannel() == 0 ? "left" : "right";
        std::fprintf(out, "  deepest gain reduction  %s (%s, at %s)\n",
                     decibels(std::max(probe.deepestGain(), 1e-4), "dB").c_str(), side,
                     clock(probe.deepestFrame(), rate).c_str());
    }
    if (output.integerSamples() && outMeter.framesOverFullScale() > 0)
        std::fprintf(out, "  clipped        %ld frames above full scale were clipped in the output file\n",
                     outMeter.framesOverFullScale());
    if (!o.editorPng.empty()) std::fprintf(out, "  editor  %s\n", o.editorPng.c_str());
    return 0;
}
