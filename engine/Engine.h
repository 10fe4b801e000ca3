// The maximizer engine: the parameters and the ten programs, the derived
// values, the processing buffers and the block processing, with no plug-in
// format, editor or platform types. A plug-in format owns one and maps its
// host's calls onto it.
//
// Threads: process() runs on the audio thread; parameter stores may come from
// any thread while blocks run (each shared value is one Relaxed field, no
// locks); prepare() and release() are kept apart from process() by the
// caller, as plug-in protocols do. Meters are published through meters().
#pragma once
#include <cstdint>

#include "engine/ChannelPlan.h"
#include "engine/ChannelState.h"
#include "engine/Meters.h"
#include "engine/Parameters.h"
#include "engine/Relaxed.h"
#include "engine/SegmentLog.h"

struct MaximizerProgram {
    MaximizerProgram();
    Relaxed<float> values[kParameterSlots];  // normalised
    char name[24];
};

class MaximizerEngine {
public:
    MaximizerEngine();
    ~MaximizerEngine();
    MaximizerEngine(const MaximizerEngine&) = delete;
    MaximizerEngine& operator=(const MaximizerEngine&) = delete;

    // --- Parameters and programs ---

    // Stores a normalised value: NaN is ignored, the lower clamps apply, the
    // internal value and the current program take it, and the derived values
    // are recomputed. Out-of-range indices are ignored.
    void setParameter(int32_t index, float normalised);
    // Internal value / max: reflects any clamp and any direct write.
    float parameter(int32_t index) const;
    // The internal value, and a direct write of it (no clamp, no program
    // store, no recomputation): the editor's and channel detection's path
    // before they report the value back through setParameter.
    float value(int32_t index) const { return isParameterIndex(index) ? paramValue[index].load() : 0.0f; }
    void setValue(int32_t index, float internal) {
        if (isParameterIndex(index)) paramValue[index] = internal;
    }

    int32_t currentProgram() const { return curProgram; }
    // Makes a program current without loading it; the format loads its values
    // through setParameter in the order its protocol asks.
    void selectProgram(int32_t program) {
        if (isProgramIndex(program)) curProgram = program;
    }
    float programValue(int32_t program, int32_t index) const;
    // A program's name (at most 23 characters), and the change of the current
    // program's name; a longer name is cut.
    const char* programName(int32_t program) const {
        return programs[isProgramIndex(program) ? program : curProgram.load()].name;
    }
    void setProgramName(const char* name);

    // --- Derived values ---
    void updateCoefficients();
    float limiterGain() const { return limiterGain_; }
    float outputGain() const { return outputGain_; }
    float rampFactor() const { return rampFactor_; }
    float bodyAmount() const { return bodyAmount_; }
    float trebleMix() const { return trebleMix_; }
    // The value text hosts show for a parameter (see ParameterText.h).
    void displayText(int32_t index, char* text) const;

    // --- Processing ---

    // Captures the rate and the longest block, allocates the buffers, sets
    // every start value and enables processing. An invalid rate or size, or
    // a failed allocation, leaves processing off with nothing allocated.
    // A prepare after a prepare releases first.
    bool prepare(float sampleRate, int32_t maxBlock);
    // Releases the buffers and disables processing.
    void release();
    bool prepared() const { return resumed == 1; }
    float sampleRate() const { return sampleRateAtResume; }
    int32_t maxBlock() const { return blockSizeAtResume; }

    // One block: the channels of `plan` from `in` to `out`, written or, with
    // `accumulate`, added. Does nothing while not prepared. Blocks longer
    // than maxBlock() run in pieces.
    void process(const float* const* in, float* const* out, int32_t frames, const ChannelPlan& plan,
                 bool accumulate);

    Meters& meters() { return meters_; }
    const Meters& meters() const { return meters_; }

    // The processing state, for tests and tools that look inside.
    const ChannelState& channel(int c) const { return channels[c]; }
    const HighPassSection& trebleSection(int c) const { return trebleHighPass[c]; }
    float trebleFollower(int c) const { return trebleFollow[c]; }
    int32_t readPosition() const { return readPos; }
    // Records each channel's segment decisions (null: none).
    void logSegments(SegmentLog* left, SegmentLog* right) {
        channels[0].segmentLog = left;
        channels[1].segmentLog = right;
    }

private:
    void releaseBuffers();

    // Parameters and programs.
    MaximizerProgram programs[kNumPrograms];
    Relaxed<int32_t> curProgram{0};
    Relaxed<float> paramValue[kParameterSlots];
    Relaxed<int32_t> blockSizeAtResume{0};
    Relaxed<float> sampleRateAtResume{44100.0f};  // coefficients are recomputed at prepare

    // Derived values.
    Relaxed<float> limiterGain_{1.0f};
    Relaxed<float> outputGain_{1.0f};
    Relaxed<float> rampFactor_{0.5f};
    Relaxed<float> bodyAmount_{0.0f};
    Relaxed<float> trebleMix_{0.0f};
    HighPassSection trebleHighPass[2] = {};

    // Processing.
    ChannelState channels[2] = {};
    Relaxed<int32_t> resumed{0};
    bool buffersAllocated = false;
    float* workBuffer[2] = {};
    float trebleFollow[2] = {};
    int32_t readPos = 0;
    int32_t clearPos = 0;
    float outSampleLeft = 0.0f;
    float outSampleRight = 0.0f;
    int32_t ringLength = 4800;  // this instance's ring wrap length, set at prepare
    Meters meters_;
};
