#include "tools/render/RenderOptions.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "tools/render/AudioFiles.h"

namespace {

bool parseInt(const std::string& s, long lo, long hi, int& out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || !end || *end || v < lo || v > hi) return false;
    out = (int)v;
    return true;
}

bool parseLevel(const std::string& s, double lo, double hi, std::optional<double>& out) {
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (s.empty() || !end || *end || !std::isfinite(v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

std::string renderUsage() {
    return "usage: hok-render [options] INPUT OUTPUT\n"
           "       hok-render [options] -o DIR INPUT...\n"
           "       hok-render [options] --list\n"
           "Renders mono or stereo audio files through Hok Maximizer. It reads what this libsndfile\n"
           "reads (" + readableFormats() + ")\n"
           "and writes WAV, AIFF, FLAC or Ogg Vorbis (quality 0.9) by the output's extension\n"
           "(.wav .aiff .flac .ogg).\n"
           "  --set \"Name=Value\"   set a parameter by name, in the units its display shows:\n"
           "                       \"Limiter Gain=+4.5\" (dB), \"Algorithm=Smooth SK\", \"Mid Freq=1200\",\n"
           "                       \"Bass Boost=-3dB\" or \"Bass Boost=40%\" (bare numbers: cuts in dB\n"
           "                       below 0, boosts in percent from 0); may be repeated\n"
           "  --program N          select program N (0 to 9) before the settings\n"
           "  --list               print every parameter, its value and what --set takes\n"
           "  --target-lufs L      choose the Limiter Gain that brings the integrated loudness to\n"
           "                       L LUFS, -60 to 0 (within 0.1 LU); Out Gain trims it\n"
           "  --true-peak-ceiling D  choose the Out Gain that keeps the true peak at or under D dBTP\n"
           "  -o, --output-dir DIR write each input to DIR under its own name; with --format EXT\n"
           "                       (wav, aiff, flac, ogg) under that extension instead (inputs in\n"
           "                       formats it does not write become WAV)\n"
           "  --bits 16|24|float   output sample type (default: the input's where possible)\n"
           "  --block N            block size handed to the plug-in (default 512)\n"
           "  --editor-png FILE    paint the editor, with the meters the file left, into FILE\n"
           "  --progress, --no-progress   force the progress bar on stderr on or off\n"
           "  --plugin PATH        render through another VST 2 library (default: the plug-in built\n"
           "                       into hok-render, whose meters give the gain reduction)\n"
           "The output is aligned with the input (the plug-in's 2400-sample latency is removed\n"
           "and its tail flushed) and written under a temporary name, renamed when complete.\n"
           "Integer outputs are rounded and clipped at full scale, never wrapped around.\n"
           "The deepest gain reduction is read from the plug-in's own meters after every block:\n"
           "the lowest gain its output stage applied, and the lowest soft-knee gain.\n"
           "With several inputs, a file that fails does not stop the others; the exit status is\n"
           "non-zero when any failed.\n";
}

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
        } else if (a == "-o" || a == "--output-dir") {
            if (!value(o.outputDir)) return false;
        } else if (a == "--format") {
            if (!value(o.format)) return false;
            if (!writableName("." + o.format)) {
                error = "--format takes wav, aiff, flac or ogg, not '" + o.format + "'";
                return false;
            }
        } else if (a == "--bits") {
            if (!value(o.sampleType)) return false;
            if (o.sampleType != "16" && o.sampleType != "24" && o.sampleType != "float") {
                error = "--bits takes 16, 24 or float, not '" + o.sampleType + "'";
                return false;
            }
        } else if (a == "--target-lufs") {
            if (!value(v)) return false;
            // Far under that, the loudness gate at -70 LUFS bends the measure.
            if (!parseLevel(v, -60.0, 0.0, o.targetLufs)) {
                error = "--target-lufs takes a loudness from -60 to 0 (LUFS), not '" + v + "'";
                return false;
            }
        } else if (a == "--true-peak-ceiling") {
            if (!value(v)) return false;
            if (!parseLevel(v, -60.0, 0.0, o.truePeakCeiling)) {
                error = "--true-peak-ceiling takes a level from -60 to 0 (dBTP), not '" + v + "'";
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
    if (!o.outputDir.empty()) {
        o.inputs = files;
        if (files.empty()) {
            error = "--output-dir needs at least one input file";
            return false;
        }
    } else if (files.size() == 2) {
        o.inputs = {files[0]};
        o.output = files[1];
    } else if (!(files.empty() && o.list)) {
        error = files.size() < 2 ? "an input and an output file are needed"
                                 : "too many file names; use -o DIR to render several files";
        return false;
    }
    if (!o.format.empty() && o.outputDir.empty()) {
        error = "--format names the outputs of -o DIR; a single output takes its format from its name";
        return false;
    }
    if (!o.editorPng.empty() && o.inputs.size() != 1) {
        error = o.inputs.empty() ? "--editor-png needs a file to render" : "--editor-png takes a single input";
        return false;
    }
    return true;
}
