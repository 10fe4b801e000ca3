#include "tools/render/RenderJob.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "tools/render/AudioFiles.h"
#include "tools/render/DeliveryTarget.h"
#include "tools/render/EditorSnapshot.h"
#include "tools/render/PluginHost.h"
#include "tools/render/RenderPass.h"

namespace {

// How often a written file that missed the goal is rendered again.
constexpr int kMostCorrections = 2;

// Out Gain applies 20·log10 of its normalised value cut toward zero to 0.1 dB
// and at most 0 dB; the middle of a step's interval selects it beyond doubt.
float outGainValue(double db) { return db >= 0.0 ? 1.0f : (float)std::pow(10.0, (db - 0.05) / 20.0); }

std::string outGainText(double db) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dB", db > -0.05 ? 0.0 : db);
    return text;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat x, y;
    return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

class FileRender {
public:
    FileRender(const RenderRun& run, FileReport& report) : run_(run), o_(run.options), report_(report) {}

    bool run(std::string& error) {
        if (!first_.open(report_.input, error)) return false;
        if (sameFile(report_.input, report_.output)) {
            error = "'" + report_.output + "' is the input itself; choose another output";
            return false;
        }
        report_.channels = first_.info.channels;
        report_.rate = first_.info.samplerate;
        report_.inFormat = first_.info.format;
        report_.outFormat = chooseOutputFormat(report_.inFormat, report_.output, o_.sampleType, error);
        if (!report_.outFormat) return false;

        const DeliveryGoal goal{o_.targetLufs, o_.truePeakCeiling};
        // A ceiling alone measures once, at the drive the settings give.
        std::vector<double> driveDb(1, 0.0);
        int start = 0;
        if (goal.lufs) {
            driveDb.clear();
            for (const DisplayStep& s : run_.driveSteps) {
                if (s.value <= run_.settings.exact(run_.drive)) start = (int)driveDb.size();
                driveDb.push_back(s.number);
            }
        }
        std::map<int, PassLevels> measured;
        auto measure = [&](int step, PassLevels& levels, std::string& why) {
            if (!measured.count(step)) {
                drive_ = goal.lufs ? step : -1;
                Levels out;
                if (!pass(0.0, nullptr, out, why)) return false;
                measured[step] = {out.loudness, decibels(out.truePeak)};
            }
            levels = measured[step];
            return true;
        };
        // What the search aims at: the goal, moved by what writing the file
        // added to the levels it measured (a lossy encoding raises peaks).
        DeliveryGoal aim = goal;
        for (int attempt = 0;; attempt++) {
            DeliveryChoice choice;
            if ((goal.lufs || goal.ceiling) &&
                !chooseDelivery(driveDb, start, run_.lowestOutGain, aim, measure, choice, error))
                return false;
            drive_ = goal.lufs ? choice.step : -1;
            OutputFile output;
            Levels out;
            if (!write(choice.outGain, output, out, error)) return false;
            const double peak = decibels(out.truePeak);
            const bool over = goal.ceiling && peak > *goal.ceiling;
            const bool off = goal.lufs && std::fabs(out.loudness - *goal.lufs) > kLoudnessTolerance;
            if (!over && !off) return commit(output, out, choice.outGain, error);
            if (attempt == kMostCorrections) {
                error = "'" + report_.output + "' comes out at " + levelText(out.loudness, "LUFS") + " and " +
                        levelText(peak, "dBTP") + ", " +
                        (over ? "over the ceiling of " + levelText(*goal.ceiling, "dBTP")
                              : "not within 0.1 LU of " + levelText(*goal.lufs, "LUFS"));
                return false;
            }
            if (over) aim.ceiling = std::min(*aim.ceiling, *goal.ceiling - (peak - choice.truePeak));
            if (goal.lufs) aim.lufs = *goal.lufs - (out.loudness - choice.loudness);
        }
    }

private:
    // The drive and output gain a pass sets on the instance, put back as
    // they were when it ends, so the next pass and the next file start from
    // the user's settings.
    class PassSettings {
    public:
        PassSettings(PluginInstance& plugin, const RenderRun& run, int drive, bool goals, double outGainDb)
            : plugin_(plugin) {
            for (int index : {run.drive, run.outGain})
                if (index >= 0) saved_.push_back({index, plugin.exact(index)});
            if (drive >= 0) plugin.set(run.drive, run.driveSteps[(size_t)drive].value);
            if (goals) plugin.set(run.outGain, outGainValue(outGainDb));
        }
        ~PassSettings() {
            for (const auto& [index, value] : saved_) plugin_.set(index, value);
        }
        PassSettings(const PassSettings&) = delete;
        PassSettings& operator=(const PassSettings&) = delete;

    private:
        PluginInstance& plugin_;
        std::vector<std::pair<int, float>> saved_;
    };

    // One pass at the current drive and `outGainDb`, written when `output` is
    // given. Every pass runs on the one instance, from a fresh start: the
    // plug-in's resume sets all its processing state anew.
    bool pass(double outGainDb, OutputFile* output, Levels& out, std::string& error,
              const std::string& editorPng = std::string()) {
        PluginInstance& plugin = run_.settings;
        PassSettings chosen(plugin, run_, drive_, o_.targetLufs || o_.truePeakCeiling, outGainDb);
        InputFile again;
        InputFile& input = report_.passes == 0 ? first_ : again;
        if (report_.passes > 0 && !again.open(report_.input, error)) return false;
        const float rate = (float)report_.rate;
        const int block = o_.blockSize;
        const bool metered = output && plugin.meters();
        report_.notProbed = metered || !output ? "" : "the plug-in loaded with --plugin has no meters to read";
        plugin.start(rate, block);
        struct Stop {
            PluginInstance& plugin;
            ~Stop() { plugin.stop(); }
        } stop{plugin};
        const long total = (long)input.info.frames + (plugin.latency() > 0 ? plugin.latency() : 0);
        const bool shown = o_.progress == 1 ||
                           (o_.progress < 0 && isatty(fileno(run_.err)) && total > 30L * report_.rate);
        ProgressBar progress(run_.err, shown, total, output ? "rendering" : "measuring");
        LevelMeter inMeter(report_.channels, report_.rate), outMeter(report_.channels, report_.rate);
        PassTaps taps;
        taps.inputMeter = report_.passes == 0 ? &inMeter : nullptr;
        taps.output = output;
        Reduction reduction;
        taps.reduction = metered ? &reduction : nullptr;
        long frames = 0;
        if (!renderPass(plugin, input, block, taps, outMeter, progress, frames, error)) return false;
        if (report_.passes++ == 0) {
            report_.in = inMeter.levels();
            report_.frames = frames;
        }
        if (frames == 0) {
            error = "'" + report_.input + "' holds no audio";
            return false;
        }
        out = outMeter.levels();
        if (output && drive_ >= 0) driveText_ = commandLineText(plugin, run_.drive);
        if (metered) {
            report_.deepestGain = reduction.gain;
            report_.deepestChannel = reduction.channel;
            report_.deepestFrame = reduction.frame;
            report_.deepestKnee = reduction.knee;
        }
        if (!editorPng.empty()) {
            // The editor shows what the whole file did to its meters.
            if (Meters* meters = plugin.meters())
                for (int c = 0; c < 2; c++) {
                    meters->raisePeak(c, reduction.held[c].peak);
                    meters->lowerReduction(c, reduction.held[c].reduction);
                }
            if (!paintEditorPng(plugin, editorPng, error)) return false;
        }
        return true;
    }

    // Renders the output file and measures it as it holds the audio.
    bool write(double outGainDb, OutputFile& output, Levels& out, std::string& error) {
        if (!output.open(report_.output, report_.outFormat, report_.channels, report_.rate, error) ||
            !pass(outGainDb, &output, out, error, o_.editorPng))
            return false;
        report_.clipped = output.clippedFrames();
        report_.decoded = lossyFormat(report_.outFormat);
        if (!report_.decoded) return true;
        LevelMeter decoded(report_.channels, report_.rate);
        if (!output.finish(error) || !measureFile(output.tempPath(), decoded, error)) return false;
        out = decoded.levels();
        return true;
    }

    bool commit(OutputFile& output, const Levels& out, double outGainDb, std::string& error) {
        if (!output.commit(error)) return false;
        report_.out = out;
        if (o_.targetLufs) report_.chosen.push_back(run_.settings.name(run_.drive) + " = " + driveText_);
        if (o_.targetLufs || o_.truePeakCeiling)
            report_.chosen.push_back(run_.settings.name(run_.outGain) + " = " + outGainText(outGainDb));
        return true;
    }

    const RenderRun& run_;
    const RenderOptions& o_;
    FileReport& report_;
    InputFile first_;
    int drive_ = -1;  // drive step set for a pass, -1 to keep the settings'
    std::string driveText_;
};

}  // namespace

bool renderFile(const RenderRun& run, const std::string& input, const std::string& output, FileReport& report,
                std::string& error) {
    report = FileReport{};
    report.input = input;
    report.output = output;
    FileRender render(run, report);
    if (render.run(error)) return true;
    if (error.find(input) == std::string::npos) error = "'" + input + "': " + error;
    return false;
}
