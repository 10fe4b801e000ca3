#include "tools/render/RenderSummary.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/render/AudioFiles.h"
#include "tools/render/RenderJob.h"

namespace {

std::string clock(long frame, int rate) {
    double t = (double)frame / rate;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%06.3f", (int)(t / 60.0), std::fmod(t, 60.0));
    return buf;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& s : items) text += (text.empty() ? "" : ", ") + s;
    return text;
}

std::string passes(int n) { return std::to_string(n) + (n == 1 ? " pass" : " passes"); }

void row(FILE* out, const char* what, double in, double outLevel, const char* unit, int places) {
    std::fprintf(out, "  %-14s %-14s %s\n", what, levelText(in, unit, places).c_str(),
                 levelText(outLevel, unit, places).c_str());
}

}  // namespace

void printSummary(FILE* out, const FileReport& r, bool editorPicture, const char* editorPng) {
    std::fprintf(out, "hok-render: %s -> %s\n", r.input.c_str(), r.output.c_str());
    std::fprintf(out, "  input   %s, %d Hz, %s, %.3f s\n", r.channels == 1 ? "mono" : "stereo", r.rate,
                 describeFormat(r.inFormat).c_str(), (double)r.frames / r.rate);
    std::fprintf(out, "  output  %s, %ld frames aligned with the input%s\n", describeFormat(r.outFormat).c_str(),
                 r.frames, r.decoded ? " (levels as decoded from the file)" : "");
    for (const std::string& s : r.set) std::fprintf(out, "  set     %s\n", s.c_str());
    if (!r.chosen.empty()) std::fprintf(out, "  chose   %s\n", joined(r.chosen).c_str());
    std::fprintf(out, "  passes  %d over the file\n", r.passes);
    std::fprintf(out, "                 %-14s %s\n", "input", "output");
    row(out, "sample peak", decibels(r.in.samplePeak), decibels(r.out.samplePeak), "dBFS", 2);
    row(out, "true peak", decibels(r.in.truePeak), decibels(r.out.truePeak), "dBTP", 2);
    row(out, "loudness", r.in.loudness, r.out.loudness, "LUFS", 1);
    if (!r.notProbed.empty()) {
        std::fprintf(out, "  gain reduction not measured: %s\n", r.notProbed.c_str());
    } else if (r.deepestFrame < 0 || r.deepestGain >= 0.99999) {
        std::fprintf(out, "  deepest gain reduction  none\n");
    } else {
        const char* side = r.channels == 1 ? "mono" : r.deepestChannel == 0 ? "left" : "right";
        std::fprintf(out, "  deepest gain reduction  %s (%s, in the block from %s)\n",
                     levelText(decibels(std::max(r.deepestGain, 1e-4)), "dB", 2).c_str(), side,
                     clock(r.deepestFrame, r.rate).c_str());
    }
    if (r.notProbed.empty() && r.deepestKnee < 0.99999)
        std::fprintf(out, "  deepest soft knee       %s\n", levelText(decibels(r.deepestKnee), "dB", 2).c_str());
    if (r.clipped > 0)
        std::fprintf(out, "  clipped        %ld frames above full scale were clipped in the output file\n", r.clipped);
    if (editorPicture) std::fprintf(out, "  editor  %s\n", editorPng);
}

void printProgressLine(FILE* out, int number, int count, const FileReport& r) {
    std::string facts = levelText(r.out.loudness, "LUFS") + ", " + levelText(decibels(r.out.truePeak), "dBTP");
    if (!r.chosen.empty()) facts += ", " + joined(r.chosen);
    std::fprintf(out, "[%d/%d] %s -> %s: %s, %s\n", number, count, r.input.c_str(), r.output.c_str(), facts.c_str(),
                 passes(r.passes).c_str());
    std::fflush(out);
}
