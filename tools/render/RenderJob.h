// One file through the plug-in: the input checked, the drive and output gain
// chosen for a delivery goal where one is given, the output rendered and
// measured as the file holds it, and the facts the summary reports.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/Loudness.h"
#include "tools/render/ParameterValues.h"
#include "tools/render/RenderOptions.h"

class PluginLibrary;
class PluginInstance;

// What every file of one invocation shares.
struct RenderRun {
    PluginLibrary& library;
    PluginInstance& settings;  // the one instance: holds the program and the settings, runs every pass
    const RenderOptions& options;
    FILE* err;
    int drive = -1, outGain = -1;         // parameter indices of Limiter Gain and Out Gain
    std::vector<DisplayStep> driveSteps;  // the drive's steps, with a loudness goal
    double lowestOutGain = 0.0;           // dB
};

struct FileReport {
    std::string input, output;
    int channels = 0, rate = 0, inFormat = 0, outFormat = 0;
    long frames = 0;
    Levels in, out;
    long clipped = 0;                 // frames beyond full scale clipped by an integer file
    bool decoded = false;             // output measured by decoding the written file
    std::vector<std::string> set;     // "Algorithm = Full", from --set
    std::vector<std::string> chosen;  // "Limiter Gain = +5.99 dB", for the goal
    int passes = 0;
    std::string notProbed;  // why the gain reduction was not measured
    double deepestGain = 1.0;   // lowest gain of the output stage, linear
    double deepestKnee = 1.0;   // lowest soft-knee gain, linear
    int deepestChannel = 0;
    long deepestFrame = -1;
};

// False with a one-line message naming the file; no output is left then.
bool renderFile(const RenderRun& run, const std::string& input, const std::string& output, FileReport& report,
                std::string& error);
