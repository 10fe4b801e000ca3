// The offline renderer: hosts the plug-in library, applies settings given by
// parameter name and display value, renders an audio file with the latency
// compensated and prints a level summary.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

struct RenderOptions {
    std::string plugin;  // empty: HokMaximizer.so beside the program
    std::string input;
    std::string output;
    std::string editorPng;
    std::string sampleType;  // "", "16", "24" or "float"
    std::vector<std::string> settings;
    int program = -1;
    int blockSize = 512;
    int progress = -1;  // -1 when stderr is a terminal and the file is long, 0 never, 1 always
    bool list = false;
    bool help = false;
};

// Parses the command line (without the program name); false with a message.
bool parseRenderArguments(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// Runs one invocation; returns the exit status. Messages go to `err`, the
// listing and the summary to `out`.
int runRenderer(const std::vector<std::string>& args, FILE* out, FILE* err);

extern const char* const kRenderUsage;
