#include "tools/render/Renderer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <map>

#include "tools/render/AudioFiles.h"
#include "tools/render/ParameterValues.h"
#include "tools/render/PluginHost.h"
#include "tools/render/RenderJob.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/RenderSummary.h"

namespace {

void printList(PluginInstance& plugin, FILE* out) {
    std::fprintf(out, "  #  %-22s %-11s %s\n", "parameter", "value", "--set takes");
    for (int i = 0; i < plugin.numParams(); i++)
        std::fprintf(out, "%3d  %-22s %-11s %s\n", i, plugin.name(i).c_str(), commandLineText(plugin, i).c_str(),
                     acceptedValues(plugin, i).c_str());
}

// The output for `input` in `dir`: its own file name, under `format` when
// given, and as WAV when its own format cannot be written.
std::string outputFor(const std::string& input, const std::string& dir, const std::string& format) {
    std::string name = input.substr(input.find_last_of('/') + 1);
    size_t dot = name.find_last_of('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    if (format.empty() && writableName(name)) return dir + "/" + name;
    return dir + "/" + stem + "." + (format.empty() ? "wav" : format);
}

// Applies program and settings to the instance every file copies; false with a message.
bool configure(const RenderOptions& o, PluginInstance& plugin, RenderRun& run, std::vector<std::string>& applied,
               FILE* err, std::string& error) {
    if (o.program >= 0) {
        if (o.program >= plugin.numPrograms()) {
            error = "program " + std::to_string(o.program) + " does not exist; programs are 0 to " +
                    std::to_string(plugin.numPrograms() - 1);
            return false;
        }
        plugin.dispatch(effSetProgram, 0, o.program);
    }
    const bool goal = o.targetLufs || o.truePeakCeiling;
    if (goal) {
        run.drive = findParameter(plugin, "Limiter Gain", error);
        run.outGain = findParameter(plugin, "Out Gain", error);
        if (run.drive < 0 || run.outGain < 0) return false;
    }
    for (const std::string& s : o.settings) {
        std::string shown;
        if (!applySetting(plugin, s, shown, error)) return false;
        int index = findParameter(plugin, s.substr(0, s.find('=')), error);
        if (goal && (index == run.outGain || (o.targetLufs && index == run.drive))) {
            error = "\"" + plugin.name(index) + "\" is chosen by " +
                    (index == run.drive || !o.truePeakCeiling ? "--target-lufs" : "--true-peak-ceiling") +
                    "; leave out --set \"" + s + "\"";
            return false;
        }
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
    if (o.targetLufs) run.driveSteps = displaySteps(plugin, run.drive);
    if (goal) {
        std::vector<DisplayStep> outSteps = displaySteps(plugin, run.outGain);
        if (outSteps.empty() || (o.targetLufs && run.driveSteps.empty())) {
            error = "the plug-in's Limiter Gain and Out Gain show no levels";
            return false;
        }
        run.lowestOutGain = outSteps.front().number;
    }
    return true;
}

}  // namespace

int runRenderer(const std::vector<std::string>& args, FILE* out, FILE* err) {
    RenderOptions o;
    std::string error;
    auto fail = [&](const std::string& message) {
        std::fprintf(err, "hok-render: %s\n", message.c_str());
        return 1;
    };
    if (!parseRenderArguments(args, o, error)) {
        std::fprintf(err, "hok-render: %s\n%s", error.c_str(), renderUsage().c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(renderUsage().c_str(), out);
        return 0;
    }
    struct stat st;
    if (!o.outputDir.empty() && (stat(o.outputDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
        return fail("cannot write into '" + o.outputDir + "': the folder does not exist");

    PluginLibrary library;
    if (o.plugin.empty())
        library.useBuiltIn();
    else if (!library.load(o.plugin, error))
        return fail(error);
    AEffect* effect = library.create();
    if (!effect) return fail("the plug-in did not create an instance");
    PluginInstance settings(effect, library.builtIn());
    if (effect->numInputs < 1 || effect->numOutputs < 2 || effect->numInputs > 2 || effect->numOutputs > 2)
        return fail("the plug-in is not a stereo effect");
    RenderRun run{library, settings, o, err, -1, -1, {}, 0.0};
    std::vector<std::string> applied;
    if (!configure(o, settings, run, applied, err, error)) return fail(error);
    if (o.list) printList(settings, out);

    const bool batch = !o.outputDir.empty();
    std::vector<std::string> failed;
    std::map<std::string, std::string> written;  // output -> the input it came from
    for (size_t i = 0; i < o.inputs.size(); i++) {
        const std::string& input = o.inputs[i];
        const std::string output = batch ? outputFor(input, o.outputDir, o.format) : o.output;
        FileReport report;
        bool done = false;
        if (written.count(output))
            error = "'" + input + "' would overwrite '" + output + "', rendered from '" + written[output] + "'";
        else
            done = renderFile(run, input, output, report, error);
        if (!done) {
            failed.push_back(input);
            fail(batch ? "[" + std::to_string(i + 1) + "/" + std::to_string(o.inputs.size()) + "] " + error : error);
            continue;
        }
        written[output] = input;
        report.set = applied;
        if (batch)
            printProgressLine(out, (int)i + 1, (int)o.inputs.size(), report);
        else
            printSummary(out, report, !o.editorPng.empty(), o.editorPng.c_str());
    }
    if (failed.empty()) return 0;
    if (batch) {
        std::string names;
        for (const std::string& f : failed) names += (names.empty() ? "" : ", ") + f;
        fail(std::to_string(failed.size()) + " of " + std::to_string(o.inputs.size()) + " files failed: " + names);
    }
    return 1;
}
