// The renderer's command line.
#pragma once
#include <optional>
#include <string>
#include <vector>

struct RenderOptions {
    std::string plugin;  // empty: HokMaximizer.so beside the program
    std::vector<std::string> inputs;
    std::string output;     // the one output file, without --output-dir
    std::string outputDir;  // batch: outputs named after the inputs go here
    std::string format;     // batch: extension of the outputs ("" keeps the input's where it can be written)
    std::string editorPng;
    std::string sampleType;  // "", "16", "24" or "float"
    std::vector<std::string> settings;
    std::optional<double> targetLufs, truePeakCeiling;
    int program = -1;
    int blockSize = 512;
    int progress = -1;  // -1 when stderr is a terminal and the file is long, 0 never, 1 always
    bool list = false;
    bool help = false;
};

// Parses the command line (without the program name); false with a message.
bool parseRenderArguments(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The help text; it names the formats the installed libsndfile reads.
std::string renderUsage();
