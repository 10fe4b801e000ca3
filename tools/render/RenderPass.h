// One pass of an audio file through a started plug-in instance: the output
// aligned with the input (the plug-in's latency removed and its tail
// flushed), measured, where asked written, and the gain reduction read from
// the plug-in's own meters after every block.
#pragma once
#include <cstdio>
#include <string>

#include "engine/Meters.h"

struct InputFile;
class LevelMeter;
class OutputFile;
class PluginInstance;

class ProgressBar {
public:
    // `label` leads the line ("pass 2"); nothing is shown unless `shown`.
    ProgressBar(FILE* err, bool shown, long total, std::string label);
    void update(long done);
    void finish();

private:
    FILE* err_;
    bool shown_;
    long total_;
    std::string label_;
    int last_ = -1;
};

// The deepest reductions over a pass, as the engine's meters report them:
// the lowest gain the output stage applied (limiter, smoother and link) with
// its channel and the file position of the block where it happened, and the
// lowest soft-knee gain; per channel, everything the meters showed.
struct Reduction {
    double gain = 1.0;
    int channel = 0;
    long frame = -1;
    double knee = 1.0;
    MeterTake held[2] = {{-1.0f, 1.0f, 1.0f}, {-1.0f, 1.0f, 1.0f}};
};

// What a pass feeds besides the output meter; null members are left out.
struct PassTaps {
    LevelMeter* inputMeter = nullptr;
    OutputFile* output = nullptr;
    Reduction* reduction = nullptr;  // needs an instance with meters
};

// Renders `input` from its start through `plugin` in blocks of `block`
// frames. `frames` gets the number of input frames; false with a message
// when the file cannot be read or written to the end.
bool renderPass(PluginInstance& plugin, InputFile& input, int block, const PassTaps& taps, LevelMeter& outMeter,
                ProgressBar& progress, long& frames, std::string& error);

// Reads a whole file into `meter` (a lossy output, measured as a player decodes it).
bool measureFile(const std::string& path, LevelMeter& meter, std::string& error);
