// One pass of an audio file through a started plug-in instance: the output
// aligned with the input (the plug-in's latency removed and its tail
// flushed), measured, and where asked written, compared with the reduction
// probe's reference and mirrored into the editor picture.
#pragma once
#include <cstdio>
#include <string>

class EditorMirror;
struct InputFile;
class LevelMeter;
class OutputFile;
class PluginInstance;
class ReductionProbe;

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

// What a pass feeds besides the output meter; null members are left out.
struct PassTaps {
    LevelMeter* inputMeter = nullptr;
    OutputFile* output = nullptr;
    ReductionProbe* probe = nullptr;
    EditorMirror* mirror = nullptr;
};

// Renders `input` from its start through `plugin` in blocks of `block`
// frames. `frames` gets the number of input frames; false with a message
// when the file cannot be read or written to the end.
bool renderPass(PluginInstance& plugin, InputFile& input, int block, const PassTaps& taps, LevelMeter& outMeter,
                ProgressBar& progress, long& frames, std::string& error);

// Reads a whole file into `meter` (a lossy output, measured as a player decodes it).
bool measureFile(const std::string& path, LevelMeter& meter, std::string& error);
